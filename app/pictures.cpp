#include "pictures.h"

#include <cstring>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>

namespace kb {
namespace {

// Drawn at build time at 1x and 2x: the width and height in pixels as two
// 32-bit numbers, then the premultiplied ARGB32 pixels, all in the machine's
// byte order. A null image when there is no such drawing.
QImage drawnAtBuildTime(const QString& resource, int ratio) {
    const QResource drawn(
        QStringLiteral(":/raster/%1@%2x.argb").arg(QFileInfo(resource).baseName()).arg(ratio));
    quint32 size[2];
    if (!drawn.isValid() || drawn.compressionAlgorithm() != QResource::NoCompression ||
        drawn.size() < qint64(sizeof size))
        return {};
    std::memcpy(size, drawn.data(), sizeof size);
    const qint64 width = size[0], height = size[1];
    if (drawn.size() != qint64(sizeof size) + width * height * 4) return {};
    // The resource's bytes are compiled in and outlive the image.
    return QImage(drawn.data() + sizeof size, int(width), int(height), int(width) * 4,
                  QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QPixmap svgPixmap(const QString& resource, qreal devicePixelRatio) {
    if (devicePixelRatio == 1.0 || devicePixelRatio == 2.0) {
        const QImage drawn = drawnAtBuildTime(resource, static_cast<int>(devicePixelRatio));
        if (!drawn.isNull()) {
            QPixmap pixmap = QPixmap::fromImage(drawn);
            pixmap.setDevicePixelRatio(devicePixelRatio);
            return pixmap;
        }
    }
    QSvgRenderer renderer(resource);
    const QSize size = renderer.defaultSize();
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon svgIcon(const QString& resource) {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0})
        icon.addPixmap(svgPixmap(resource, ratio));
    return icon;
}

QSize pictureSize(const QString& resource) {
    const QImage drawn = drawnAtBuildTime(resource, 1);
    return drawn.isNull() ? QSvgRenderer(resource).defaultSize() : drawn.size();
}

} // namespace kb
