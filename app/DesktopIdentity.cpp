#include "app/DesktopIdentity.h"

namespace DesktopIdentity {

const char* const DesktopFileName = VELMORA_DESKTOP_ID;

QPixmap Picture()
{
    return QPixmap(":/icons/program.png");
}

QIcon Icon()
{
    return QIcon::fromTheme(DesktopFileName, QIcon(Picture()));
}

}  // namespace DesktopIdentity
