// Draws the window's pictures from their SVG sources once, at build time, at
// the size each file gives and at 1x and 2x, and lists them in a resource
// file: drawing them at every start cost a fifth of the start-up. Each is kept
// as its width and height in pixels (two 32-bit numbers) and its raw
// premultiplied ARGB32 pixels, all in the machine's byte order, which the
// program shows straight from its own image, with nothing to decode.
//   kb_rasterise OUT_DIR SVG_DIR NAME...
#include <cstdint>
#include <cstdio>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

// Drawn as the window would draw the SVG itself, at its scale.
QImage draw(QSvgRenderer& renderer, int ratio) {
    const QSize size = renderer.defaultSize();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

bool write(const QImage& image, const QString& path) {
    const std::uint32_t size[2] = {std::uint32_t(image.width()), std::uint32_t(image.height())};
    const auto bytes = static_cast<qint64>(image.sizeInBytes());
    QFile pixels(path);
    return image.bytesPerLine() == image.width() * 4 && pixels.open(QIODevice::WriteOnly) &&
           pixels.write(reinterpret_cast<const char*>(size), sizeof size) == qint64(sizeof size) &&
           pixels.write(reinterpret_cast<const char*>(image.constBits()), bytes) == bytes;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUT_DIR SVG_DIR NAME...\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString svgs = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    QByteArray qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/raster\">\n";
    for (int i = 3; i < argc; ++i) {
        const QString name = QString::fromLocal8Bit(argv[i]);
        QSvgRenderer renderer(svgs + u'/' + name + QStringLiteral(".svg"));
        if (!renderer.isValid() || renderer.defaultSize().isEmpty()) {
            std::fprintf(stderr, "kb_rasterise: cannot draw %s\n", argv[i]);
            return 1;
        }
        for (int ratio : {1, 2}) {
            const QString file = QStringLiteral("%1@%2x.argb").arg(name).arg(ratio);
            if (!write(draw(renderer, ratio), out + u'/' + file)) {
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
