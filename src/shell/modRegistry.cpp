#include "modRegistry.h"

#include "platform/Browser.h"

namespace modRegistry {

QString SiteAddress()
{
    QString site = QStringLiteral(VANTREL_SITE);
    while (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    return site;
}

QString HomePageAddress() { return SiteAddress(); }
QString HelpPageAddress() { return SiteAddress() + QStringLiteral("/vantrel-help/"); }
QString DownloadPageAddress() { return SiteAddress() + QStringLiteral("/download-vantrel.html"); }
QString FarewellPageAddress()
{
    return SiteAddress() + QStringLiteral("/thankyou-for-using-vantrel.php");
}

void OpenHomePage() { Browser::Open(HomePageAddress()); }
void OpenHelpPage() { Browser::Open(HelpPageAddress()); }
void OpenDownloadPage() { Browser::Open(DownloadPageAddress()); }
void OpenFarewellPage() { Browser::Open(FarewellPageAddress()); }

} // namespace modRegistry
