#pragma once

#include <QIcon>

namespace trx {

// The application's icon, drawn once at the sizes the window system asks for: a panel face
// with its display and its rows of camera buttons.
QIcon applicationIcon();

}  // namespace trx
