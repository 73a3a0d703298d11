// The program's artwork: the application icon and the command icons of the toolbar, the menus
// and the sidebar. They are drawn in code from simple shapes, so they stay sharp at every size
// and screen density and need no image files.
#pragma once

#include <QIcon>

namespace quorrel {

// The icon of command `nCommandId` (an ID of CommandIds.h), drawn at 16, 20, 24, 32 and 48
// pixels; a null icon for a command that has none. Needs a QGuiApplication.
QIcon CommandIcon(int nCommandId);

// The application icon: a shredder taking in a page, on a red tile; drawn at 16 to 256
// pixels. Needs a QGuiApplication.
QIcon AppIcon();

}  // namespace quorrel
