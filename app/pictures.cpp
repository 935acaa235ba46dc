#include "pictures.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>

namespace kb {

QPixmap svgPixmap(const QString& resource, QSize size, qreal devicePixelRatio) {
    // Drawn at build time for the sizes the window uses, at 1x and 2x.
    if (devicePixelRatio == 1.0 || devicePixelRatio == 2.0) {
        const int ratio = static_cast<int>(devicePixelRatio);
        const QResource drawn(QStringLiteral(":/raster/%1-%2x%3@%4x.argb")
                                  .arg(QFileInfo(resource).baseName())
                                  .arg(size.width())
                                  .arg(size.height())
                                  .arg(ratio));
        const QSize pixels = size * ratio;
        if (drawn.isValid() && drawn.compressionAlgorithm() == QResource::NoCompression &&
            drawn.size() == qint64(pixels.width()) * pixels.height() * 4) {
            QPixmap pixmap = QPixmap::fromImage(QImage(drawn.data(), pixels.width(), pixels.height(),
                                                       pixels.width() * 4,
                                                       QImage::Format_ARGB32_Premultiplied));
            pixmap.setDevicePixelRatio(devicePixelRatio);
            return pixmap;
        }
    }
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon svgIcon(const QString& resource, QSize size) {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0})
        icon.addPixmap(svgPixmap(resource, size, ratio));
    return icon;
}

} // namespace kb
