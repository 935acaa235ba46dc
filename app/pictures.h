#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kb {

// Pictures drawn from the SVG sources at their design size, sharp at any scale.
QPixmap svgPixmap(const QString& resource, QSize size, qreal devicePixelRatio);
QIcon svgIcon(const QString& resource, QSize size);

} // namespace kb
