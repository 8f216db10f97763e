#include "platform/SingleInstance.h"
#include "startup/frmAtFirst.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));

    // A second start only brings the running copy forward; deciding it before any window is
    // built keeps a click on the launcher quick.
    if (SingleInstance::AnotherIsRunning())
        return 0;

    QPointer<frmAtFirst> window = frmAtFirst::GetOrCreate();
    if (!window)
        return 0;
    window->show();
    return app.exec();
}
