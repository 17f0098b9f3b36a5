#pragma once

#include <QWidget>

class QLabel;

namespace tidewell::app {

// The top of a page or dialog: a bold header, a sub-header that wraps, and a
// line under both.
class PageHeader : public QWidget {
  Q_OBJECT

 public:
  PageHeader(const QString& header, const QString& subHeader, QWidget* parent = nullptr);

  void SetHeader(const QString& header);
  void SetSubHeader(const QString& subHeader);
  QString Header() const;
  QString SubHeader() const;

 private:
  QLabel* header_;
  QLabel* subHeader_;
};

}  // namespace tidewell::app
