#include "WindowSystem.h"

#include <QByteArray>

namespace WindowSystem {

void Choose()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qgetenv("XDG_SESSION_TYPE") != QByteArrayLiteral("wayland"))
        return;
    // Qt tries the entries in order and takes the first that connects.
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

} // namespace WindowSystem
