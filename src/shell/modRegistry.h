#pragma once

#include <QString>

// The product web site and the pages the program opens on it.
namespace modRegistry {

// Scheme and host only, no trailing slash.
QString SiteAddress();

QString HomePageAddress();
QString HelpPageAddress();
QString DownloadPageAddress();
QString FarewellPageAddress();

void OpenHomePage();
void OpenHelpPage();
void OpenDownloadPage();
void OpenFarewellPage();

} // namespace modRegistry
