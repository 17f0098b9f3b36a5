#include "toolkit/Balloon.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace tidewell::app {

namespace {

constexpr int kArrowHeight = 12;
constexpr int kArrowHalfWidth = 9;
constexpr int kArrowInset = 26;  // from the balloon's near edge to the arrow's tip
constexpr int kRadius = 7;
constexpr int kMargin = 10;
constexpr int kTextWidth = 320;
constexpr int kBaseLifetimeMs = 5000;
constexpr int kLifetimePerCharacterMs = 60;

QIcon StandardIcon(MessageIcon icon) {
  QStyle* style = QApplication::style();
  switch (icon) {
    case MessageIcon::Error: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case MessageIcon::Warning:
    case MessageIcon::Exclamation: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case MessageIcon::Information: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case MessageIcon::Question: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case MessageIcon::None: break;
  }
  return {};
}

}  // namespace

Balloon::Balloon(const QString& caption, const QString& text, MessageIcon icon, QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::WindowStaysOnTopHint),
      caption_(caption),
      text_(text) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_DeleteOnClose);
  setFocusPolicy(Qt::NoFocus);

  auto* captionLabel = new QLabel(caption, this);
  QFont bold = captionLabel->font();
  bold.setBold(true);
  captionLabel->setFont(bold);
  // CR LF pairs are the core's line ends; the label breaks at LF alone.
  auto* textLabel = new QLabel(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
  textLabel->setWordWrap(true);
  textLabel->setTextFormat(Qt::PlainText);
  // A wrapped label in a fixed-size layout shrinks to its narrowest form:
  // give it the width of its longest line, up to the limit.
  int natural = 0;
  for (const QString& line : textLabel->text().split(QLatin1Char('\n')))
    natural = std::max(natural, textLabel->fontMetrics().horizontalAdvance(line) + 2);
  textLabel->setFixedWidth(std::min(natural, kTextWidth));
  for (QLabel* label : {captionLabel, textLabel}) {
    label->setForegroundRole(QPalette::ToolTipText);
    label->setFocusPolicy(Qt::NoFocus);
  }

  auto* captionRow = new QHBoxLayout;
  captionRow->setSpacing(6);
  const QIcon shown = StandardIcon(icon);
  if (!shown.isNull()) {
    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(shown.pixmap(16, 16));
    captionRow->addWidget(iconLabel);
  }
  captionRow->addWidget(captionLabel, 1);

  auto* column = new QVBoxLayout(this);
  column->setSpacing(6);
  column->addLayout(captionRow);
  column->addWidget(textLabel);
  column->setSizeConstraint(QLayout::SetFixedSize);
  SetArrowSide(Arrow::Up);

  lifetime_.setSingleShot(true);
  lifetime_.setInterval(LifetimeFor(text));
  connect(&lifetime_, &QTimer::timeout, this, &QWidget::close);
}

int Balloon::LifetimeFor(const QString& text) {
  return kBaseLifetimeMs + kLifetimePerCharacterMs * static_cast<int>(text.size());
}

void Balloon::SetArrowSide(Arrow side) {
  arrow_ = side;
  layout()->setContentsMargins(kMargin + (side == Arrow::Left ? kArrowHeight : 0),
                               kMargin + (side == Arrow::Up ? kArrowHeight : 0), kMargin,
                               kMargin + (side == Arrow::Down ? kArrowHeight : 0));
  layout()->activate();
  adjustSize();
}

void Balloon::Start() {
  show();
  raise();
  lifetime_.start();
}

void Balloon::ShowPointingAt(QPoint globalTip) {
  QScreen* screen = QGuiApplication::screenAt(globalTip);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect room = screen ? screen->availableGeometry() : QRect(globalTip, QSize(1, 1));

  SetArrowSide(globalTip.y() + height() + kArrowHeight <= room.bottom() ||
                       globalTip.y() - height() < room.top()
                   ? Arrow::Up
                   : Arrow::Down);
  const QSize size = this->size();

  // The arrow sits near the left edge unless the balloon would leave the
  // screen on the right.
  int left = globalTip.x() - kArrowInset;
  if (left + size.width() > room.right()) left = globalTip.x() - size.width() + kArrowInset;
  left = std::max(left, room.left());
  arrowAt_ = std::clamp(globalTip.x() - left, kRadius + kArrowHalfWidth,
                        size.width() - kRadius - kArrowHalfWidth);
  const int top = arrow_ == Arrow::Up ? globalTip.y() : globalTip.y() - size.height();
  move(left, top);
  Start();
}

void Balloon::ShowBeside(QPoint globalTip) {
  QScreen* screen = QGuiApplication::screenAt(globalTip);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect room = screen ? screen->availableGeometry() : QRect(globalTip, QSize(1, 1));
  SetArrowSide(Arrow::Left);
  const QSize size = this->size();
  if (globalTip.x() + size.width() > room.right()) {
    ShowPointingAt(globalTip);
    return;
  }
  int top = globalTip.y() - kArrowInset;
  top = std::max(room.top(), std::min(top, room.bottom() - size.height()));
  arrowAt_ = std::clamp(globalTip.y() - top, kRadius + kArrowHalfWidth,
                        size.height() - kRadius - kArrowHalfWidth);
  move(globalTip.x(), top);
  Start();
}

void Balloon::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal up = arrow_ == Arrow::Up ? kArrowHeight : 0;
  const qreal down = arrow_ == Arrow::Down ? kArrowHeight : 0;
  const qreal left = arrow_ == Arrow::Left ? kArrowHeight : 0;
  const QRectF body = QRectF(rect()).adjusted(left + 0.5, up + 0.5, -0.5, -down - 0.5);
  QPainterPath outline;
  outline.addRoundedRect(body, kRadius, kRadius);
  QPainterPath arrow;
  if (arrow_ == Arrow::Left) {
    arrow.moveTo(body.left() + 1, arrowAt_ - kArrowHalfWidth);
    arrow.lineTo(0.5, arrowAt_);
    arrow.lineTo(body.left() + 1, arrowAt_ + kArrowHalfWidth);
  } else {
    const qreal edge = arrow_ == Arrow::Up ? body.top() + 1 : body.bottom() - 1;
    const qreal tip = arrow_ == Arrow::Up ? 0.5 : height() - 0.5;
    arrow.moveTo(arrowAt_ - kArrowHalfWidth, edge);
    arrow.lineTo(arrowAt_, tip);
    arrow.lineTo(arrowAt_ + kArrowHalfWidth, edge);
  }
  arrow.closeSubpath();
  outline = outline.united(arrow);

  painter.setPen(QPen(palette().color(QPalette::ToolTipText), 1));
  painter.setBrush(palette().color(QPalette::ToolTipBase));
  painter.drawPath(outline);
}

void Balloon::mousePressEvent(QMouseEvent* event) {
  event->accept();
  close();
}

void Balloon::closeEvent(QCloseEvent* event) {
  lifetime_.stop();
  emit closed();
  QWidget::closeEvent(event);
}

BalloonManager::~BalloonManager() { CloseAll(); }

Balloon* BalloonManager::Show(const Request& request) {
  std::vector<Shown> kept;
  for (Shown& shown : shown_) {
    if (shown.balloon.isNull()) continue;
    const bool partner = !request.pairGroup.isEmpty() && shown.pairGroup == request.pairGroup &&
                         shown.key != request.key;
    if (partner)
      kept.push_back(shown);
    else
      shown.balloon->close();
  }
  shown_ = std::move(kept);

  // Owned by the anchor's window, so it goes when a dialog closes and stays
  // above it while it is modal.
  QWidget* owner = request.anchor ? request.anchor->window() : nullptr;
  auto* balloon = new Balloon(request.caption, request.text, request.icon, owner);
  shown_.push_back({balloon, request.key, request.pairGroup});
  if (request.beside)
    balloon->ShowBeside(request.globalTip);
  else
    balloon->ShowPointingAt(request.globalTip);
  return balloon;
}

void BalloonManager::CloseAll() {
  for (Shown& shown : shown_)
    if (!shown.balloon.isNull()) shown.balloon->close();
  shown_.clear();
}

std::vector<Balloon*> BalloonManager::Visible() const {
  std::vector<Balloon*> visible;
  for (const Shown& shown : shown_)
    if (!shown.balloon.isNull() && shown.balloon->isVisible()) visible.push_back(shown.balloon);
  return visible;
}

}  // namespace tidewell::app
