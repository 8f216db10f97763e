#include "startup/frmAtFirst.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));

    // The start-up window's load ends this copy at once when another one is running.
    QPointer<frmAtFirst> window = frmAtFirst::GetOrCreate();
    if (!window) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return 0;
    }
    window->show();
    return app.exec();
}
