// Renders the product's SVG icons to PNG images at the sizes the windows use,
// at build time, so the tool itself draws no SVG when it starts:
//   tidewell-icon-renderer OUTPUT_FOLDER SIZES SVG...
// writes OUTPUT_FOLDER/NAME-SIZE.png for each SVG and each size of the
// comma-separated list.
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: tidewell-icon-renderer OUTPUT_FOLDER SIZES SVG...\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  const QStringList sizes = QString::fromLocal8Bit(argv[2]).split(QLatin1Char(','));
  for (int i = 3; i < argc; ++i) {
    const QString svg = QString::fromLocal8Bit(argv[i]);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
      std::fprintf(stderr, "not an SVG image: %s\n", argv[i]);
      return 1;
    }
    for (const QString& text : sizes) {
      const int size = text.toInt();
      QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::transparent);
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      renderer.render(&painter);
      painter.end();
      const QString png =
          QStringLiteral("%1/%2-%3.png").arg(output, QFileInfo(svg).completeBaseName(), text);
      if (!image.save(png, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(png));
        return 1;
      }
    }
  }
  return 0;
}
