#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

// Catches every web page the program opens while it lives, so that a driver never reaches a
// real browser.
class PageSink : public QObject
{
    Q_OBJECT

public:
    PageSink()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openPage");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openPage");
    }
    ~PageSink() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

public slots:
    void openPage(const QUrl &) { }
};
