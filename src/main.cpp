#include "startup/frmAtFirst.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));

    new frmAtFirst;
    // The start-up window shows itself, or ends this process at once when another copy of
    // the program is already running.
    return app.exec();
}
