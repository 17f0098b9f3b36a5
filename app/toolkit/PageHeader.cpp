#include "toolkit/PageHeader.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace tidewell::app {

PageHeader::PageHeader(const QString& header, const QString& subHeader, QWidget* parent)
    : QWidget(parent), header_(new QLabel(header, this)), subHeader_(new QLabel(subHeader, this)) {
  QFont large = header_->font();
  large.setBold(true);
  large.setPointSizeF(large.pointSizeF() * 1.25);
  header_->setFont(large);
  header_->setTextFormat(Qt::PlainText);
  subHeader_->setTextFormat(Qt::PlainText);
  subHeader_->setWordWrap(true);
  // Only hidden here: showing a label before the header has its layout would
  // make Qt size it on its own, laying out the wrapped text for nothing.
  if (subHeader.isEmpty()) subHeader_->hide();

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 4);
  column->setSpacing(4);
  column->addWidget(header_);
  column->addWidget(subHeader_);
  column->addSpacing(2);
  column->addWidget(line);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void PageHeader::SetHeader(const QString& header) { header_->setText(header); }

void PageHeader::SetSubHeader(const QString& subHeader) {
  subHeader_->setText(subHeader);
  subHeader_->setVisible(!subHeader.isEmpty());
}

QString PageHeader::Header() const { return header_->text(); }
QString PageHeader::SubHeader() const { return subHeader_->text(); }

}  // namespace tidewell::app
