#pragma once

#include <QFont>
#include <QStringList>

namespace kb {

// "ＭＳ Ｐゴシック" where installed, else IPAPGothic, else any proportional
// Japanese Gothic face the system has.
QStringList gothicFamilies();
// The Gothic face at a size in points, given in pixels at 96 dpi.
QFont gothicFont(double points);

} // namespace kb
