#pragma once

#include <QString>
#include <QStringList>

namespace draw {

// Draws every picture and writes it under `assetsDir`: window/ (the pictures compiled into the
// program) and img/ (the level pictures installed beside it). The frames of the search
// animation go to `framesDir` as search-00.png, search-01.png, ..., for the GIF to be assembled
// from. Returns the files written, relative to their directory. Throws std::runtime_error when a
// file cannot be written or the caption font is missing.
QStringList WriteAssets(const QString& assetsDir, const QString& framesDir);

}  // namespace draw
