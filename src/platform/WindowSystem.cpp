#include "WindowSystem.h"

#include <QGuiApplication>

namespace WindowSystem {

bool IsWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace WindowSystem
