// How the desktop knows the program: the name of its menu entry and its icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace DesktopIdentity {

// The desktop entry's name without ".desktop"; the icon carries it too.
extern const char* const DesktopFileName;

// The icon of the menu entry, from the program's resources.
QPixmap Picture();
// The window icon: the installed theme icon when there is one, else the picture.
QIcon Icon();

}  // namespace DesktopIdentity
