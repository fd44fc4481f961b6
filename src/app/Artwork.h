#pragma once
// The program's pictures, drawn rather than loaded, at any size: the program icon (windows,
// splash, the desktop's menus) and the catalog file icon (file managers). Plain images, so that
// the build can write them as PNG files without a window system.

#include <QImage>

namespace tf {

QImage DrawProgramIcon(int size);
QImage DrawCatalogFileIcon(int size);

}  // namespace tf
