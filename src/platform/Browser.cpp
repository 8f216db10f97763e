#include "Browser.h"

#include <QDesktopServices>
#include <QUrl>

namespace Browser {

void Open(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}

} // namespace Browser
