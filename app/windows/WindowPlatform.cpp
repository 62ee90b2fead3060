#include "app/windows/WindowPlatform.h"

#include <QByteArray>
#include <QtGlobal>

void PreferX11Platform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}
