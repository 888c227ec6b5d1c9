#pragma once

#include <QIcon>
#include <QStyle>

namespace kelvora {

// The program's icon in the sizes drawn for it (16 to 256 pixels). A size is read from its picture each time a
// window asks for it and not kept: the window system keeps its own copy, and most sizes are never drawn again.
QIcon programIcon();

// The style the program's windows are drawn in: the system's, less what it would load and never show.
QStyle* programStyle();

} // namespace kelvora
