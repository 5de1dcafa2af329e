#pragma once

#include <QIcon>
#include <QImage>

namespace trx {

// The application's icon, drawn once at the sizes the window system asks for: a panel face
// with its display and its rows of camera buttons.
QIcon applicationIcon();

// The same drawing at one size, for the icon files that the installation puts in the desktop's
// icon theme; drawing it needs no application object.
QImage drawApplicationIcon(int size);

}  // namespace trx
