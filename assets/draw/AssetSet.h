#pragma once

#include <QString>

namespace draw {

// Draws every picture. The window pictures (compiled into the program) go to `assetsDir`/window
// as PNG. The rest need ImageMagick to be finished, so they go to `workDir` as lossless PNG:
// the level pictures as level-0.png ... level-20.png (to become img/N.jpg) and the frames of the
// search animation as search-00.png, search-01.png, ... (to become img/Search.gif). Throws
// std::runtime_error when a file cannot be written or the caption font is missing.
void WriteAssets(const QString& assetsDir, const QString& workDir);

}  // namespace draw
