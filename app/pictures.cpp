#include "pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace kb {

QPixmap svgPixmap(const QString& resource, QSize size, qreal devicePixelRatio) {
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
