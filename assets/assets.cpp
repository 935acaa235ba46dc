#include "assets.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function, which only works outside any namespace.
static void initAssetsResource() {
    Q_INIT_RESOURCE(assets);
    Q_INIT_RESOURCE(raster);
}

namespace kb {

void initAssets() {
    initAssetsResource();
}

} // namespace kb
