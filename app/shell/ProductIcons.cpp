#include "shell/ProductIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>

// The icon images are compiled into the library; the linker keeps them only
// when something calls their initialiser, which cannot be named inside a
// namespace.
static void LoadIconImages() { Q_INIT_RESOURCE(icons); }

namespace tidewell::app {

namespace {

// The sizes rendered at build time (resources/Icons.cmake).
constexpr int kSizes[] = {16, 20, 24, 32, 36, 48, 64, 72};

// Reads the one image a size needs when it is first drawn. The images are
// read as PNG by name: probing the file for its format would load every
// image plugin of the system at start-up.
class ProductIconEngine final : public QIconEngine {
 public:
  explicit ProductIconEngine(QString name) : name_(std::move(name)) {}

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const int wanted = std::max(1, std::min(size.width(), size.height()));
    int chosen = kSizes[std::size(kSizes) - 1];
    for (int rendered : kSizes) {
      if (rendered >= wanted) {
        chosen = rendered;
        break;
      }
    }
    const QString key = QStringLiteral("tidewell-icon:%1:%2:%3").arg(name_).arg(wanted).arg(mode);
    QPixmap result;
    if (QPixmapCache::find(key, &result)) return result;
    QImage image(QStringLiteral(":/icons/%1-%2.png").arg(name_).arg(chosen), "PNG");
    if (chosen != wanted)
      image = image.scaled(wanted, wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    result = QPixmap::fromImage(std::move(image));
    if (mode != QIcon::Normal) {
      QStyleOption option;
      option.palette = QApplication::palette();
      result = QApplication::style()->generatedIconPixmap(mode, result, &option);
    }
    QPixmapCache::insert(key, result);
    return result;
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap image = pixmap(rect.size() * ratio, mode, state);
    image.setDevicePixelRatio(ratio);
    const QSize shown = image.size() / ratio;
    painter->drawPixmap(QRect(rect.topLeft() + QPoint((rect.width() - shown.width()) / 2,
                                                      (rect.height() - shown.height()) / 2),
                              shown),
                        image);
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};
  }

  QIconEngine* clone() const override { return new ProductIconEngine(name_); }
  QString key() const override { return QStringLiteral("tidewell-product-icon"); }

 private:
  QString name_;
};

}  // namespace

QIcon ProductIcon(const char* name) {
  static const bool loaded = (LoadIconImages(), true);
  (void)loaded;
  return QIcon(new ProductIconEngine(QString::fromLatin1(name)));
}

}  // namespace tidewell::app
