#pragma once

namespace kb {

// Registers the pictures under ":/assets/", and under ":/raster/" as drawn at build time. The resources live in a static
// library, so nothing registers them until this is called once from main().
void initAssets();

} // namespace kb
