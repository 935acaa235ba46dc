#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kb {

// Pictures drawn from the SVG sources at the size each file gives (its width
// and height), sharp at any scale. That size is the only one: the window shows
// each picture at it, and the build draws it at it.
QPixmap svgPixmap(const QString& resource, qreal devicePixelRatio);
QIcon svgIcon(const QString& resource);
QSize pictureSize(const QString& resource);

} // namespace kb
