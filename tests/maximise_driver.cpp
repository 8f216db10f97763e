// Maximises both windows of the program the way a title bar's Maximise button asks for it,
// redraws them, and ends with status 0 when the program survived that. Prints the window
// system it ran on. Started with the program's own choice of window system.

#include "PageSink.h"
#include "chart/frmBio.h"
#include "platform/WindowSystem.h"
#include "startup/frmAtFirst.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void maximiseAndRedraw(QWidget *window)
{
    window->show();
    spin(500);
    window->windowHandle()->setWindowStates(Qt::WindowMaximized);
    spin(500);
    // Anything that redraws: a new frame goes to the compositor.
    window->update();
    for (QLineEdit *field : window->findChildren<QLineEdit *>())
        field->setText(QStringLiteral("typed"));
    spin(500);
}

} // namespace

int main(int argc, char *argv[])
{
    WindowSystem::Choose();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    PageSink sink;
    std::printf("%s\n", qPrintable(QGuiApplication::platformName()));
    std::fflush(stdout);

    frmAtFirst *start = frmAtFirst::GetOrCreate();
    if (!start)
        return 2;
    maximiseAndRedraw(start);
    maximiseAndRedraw(frmBio::GetOrCreate());
    delete frmBio::Instance();
    delete start;
    return 0;
}
