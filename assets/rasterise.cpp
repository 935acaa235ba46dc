// Draws the window's pictures from their SVG sources once, at build time, at
// the sizes the window shows them and at 1x and 2x, and lists them in a
// resource file: drawing them at every start cost a fifth of the start-up.
// They are kept as raw premultiplied ARGB32 pixels in the machine's byte order,
// which the program shows straight from its own image, with nothing to decode.
//   kb_rasterise OUT_DIR SVG_DIR NAME:WIDTHxHEIGHT...
#include <cstdio>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUT_DIR SVG_DIR NAME:WIDTHxHEIGHT...\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString svgs = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    QByteArray qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/raster\">\n";
    for (int i = 3; i < argc; ++i) {
        const QString spec = QString::fromLocal8Bit(argv[i]);
        const QString name = spec.section(u':', 0, 0);
        const QSize size(spec.section(u':', 1).section(u'x', 0, 0).toInt(),
                         spec.section(u':', 1).section(u'x', 1).toInt());
        QSvgRenderer renderer(svgs + u'/' + name + QStringLiteral(".svg"));
        if (!renderer.isValid() || size.isEmpty()) {
            std::fprintf(stderr, "kb_rasterise: cannot draw %s\n", argv[i]);
            return 1;
        }
        for (int ratio : {1, 2}) {
            // Drawn as the window would draw the SVG itself, at its scale.
            QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
            painter.end();
            const QString file = QStringLiteral("%1-%2x%3@%4x.argb")
                                     .arg(name)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(ratio);
            QFile pixels(out + u'/' + file);
            const auto bytes = static_cast<qint64>(image.sizeInBytes());
            if (image.bytesPerLine() != image.width() * 4 || !pixels.open(QIODevice::WriteOnly) ||
                pixels.write(reinterpret_cast<const char*>(image.constBits()), bytes) != bytes) {
                std::fprintf(stderr, "kb_rasterise: cannot write %s\n", qPrintable(file));
                return 1;
            }
            qrc += "    <file>" + file.toUtf8() + "</file>\n";
        }
    }
    qrc += "  </qresource>\n</RCC>\n";
    QFile list(out + QStringLiteral("/raster.qrc"));
    return list.open(QIODevice::WriteOnly) && list.write(qrc) == qrc.size() ? 0 : 1;
}
