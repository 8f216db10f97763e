// Maximises both main windows of the program, and the About box, the way a title bar's Maximise
// button asks for it, redraws them, restores them, and checks each time that the fixed layout keeps
// its size and stands centred in what the compositor gave the window, then back in its place; on
// X11, that the windows keep their fixed size. Ends with status 0 when all held, 1 when a check
// failed; a compositor that ends the program ends it with another status. Prints the window system
// it ran on first. Started with the program's own choice of window system. With VANTREL_SHOTS set
// to a folder, saves each window as it looked maximised and restored there. With VANTREL_RATIO set,
// checks that the chart's canvas is drawn at that pixel ratio, the output's scale.

#include "PageSink.h"
#include "chart/ChartCanvas.h"
#include "chart/frmBio.h"
#include "shell/frmAbout.h"
#include "startup/frmAtFirst.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {

int failures = 0;

void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Compositors answer in their own time: wait generously for what must come.
bool waitFor(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        spin(50);
    }
    spin(300); // the frame that follows the change
    return true;
}

void check(bool ok, const QString &what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", qPrintable(what));
    std::fflush(stdout);
    if (!ok)
        ++failures;
}

QString text(QRect r)
{
    return QStringLiteral("%1x%2 at %3,%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

void save(QWidget *window, const char *state)
{
    const QByteArray folder = qgetenv("VANTREL_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(
            QStringLiteral("%1/%2-%3.png")
                .arg(QString::fromLocal8Bit(folder), window->objectName(), QLatin1String(state)));
}

// Anything that redraws: a new frame goes to the compositor. No blinking text cursor is left
// to tell two looks at the same layout apart.
void redraw(QWidget *window)
{
    window->update();
    for (QLineEdit *field : window->findChildren<QLineEdit *>())
        field->setText(QStringLiteral("typed"));
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
    spin(300);
}

void maximiseAndRestore(QMainWindow *window)
{
    const QString name = window->objectName();
    window->show();
    check(waitFor([window] { return window->windowHandle()->isExposed(); }), name + " shown");
    redraw(window);
    QWidget *client = window->centralWidget();
    const QRect normal = window->geometry();
    const QRect placed = client->geometry();
    const QImage layout = client->grab().toImage();

    window->windowHandle()->setWindowStates(Qt::WindowMaximized);
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // On X11 the window asks for a fixed size. A window manager that grows it all the same
        // (Weston's does) finds the layout centred as on Wayland.
        spin(1500);
        redraw(window);
        check(window->minimumSize() == normal.size() && window->maximumSize() == normal.size(),
              name + " asks for a fixed size on X11");
        const QRect content = client->geometry();
        const QRect room = window->rect().adjusted(0, placed.top(), 0, 0);
        check(content == placed
                  || (content.size() == placed.size()
                      && qAbs(content.center().x() - room.center().x()) <= 1
                      && qAbs(content.center().y() - room.center().y()) <= 1),
              name + " content in place or centred on X11 in " + text(window->geometry()) + ": "
                  + text(content));
        window->windowHandle()->setWindowStates(Qt::WindowNoState);
        spin(500);
        return;
    }
    const bool maximised
        = waitFor([&] { return window->isMaximized() && window->size() != normal.size(); });
    check(maximised, name + " maximised to " + text(window->geometry()));
    redraw(window);
    save(window, "maximised");
    const int top = window->menuWidget() ? window->menuWidget()->geometry().bottom() + 1 : 0;
    const QRect room(0, top, window->width(), window->height() - top);
    const QRect content = client->geometry();
    check(content.size() == placed.size(), name + " content keeps its size: " + text(content));
    check(qAbs(content.center().x() - room.center().x()) <= 1
              && qAbs(content.center().y() - room.center().y()) <= 1,
          name + " content centred in " + text(room) + ": " + text(content));
    const QImage grown = window->grab().toImage();
    const QColor field = client->palette().color(QPalette::Window);
    const qreal dpr = grown.devicePixelRatio();
    check(grown.pixelColor(QPoint(2, room.bottom() - 2) * dpr) == field
              && grown.pixelColor(QPoint(room.right() - 2, top + 2) * dpr) == field,
          name + " frame filled with the content's colour " + field.name());

    window->windowHandle()->setWindowStates(Qt::WindowNoState);
    const bool restored
        = waitFor([&] { return !window->isMaximized() && window->size() == normal.size(); });
    check(restored, name + " restored to " + text(window->geometry()));
    redraw(window);
    save(window, "restored");
    check(client->geometry() == placed,
          name + " content back in place: " + text(client->geometry()));
    check(client->grab().toImage() == layout, name + " content as it was before");
}

// The About box holds its controls itself; on Wayland they move together to the middle.
void maximiseAndRestoreDialog(QWidget *dialog)
{
    const QString name = dialog->objectName();
    dialog->show();
    check(waitFor([dialog] { return dialog->windowHandle()->isExposed(); }), name + " shown");
    const QSize normal = dialog->size();
    QWidget *title = dialog->findChild<QWidget *>(QStringLiteral("lblTitle"));
    const QPoint placed = title->pos();
    const QImage look = dialog->grab().toImage();
    dialog->windowHandle()->setWindowStates(Qt::WindowMaximized);
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        const bool maximised
            = waitFor([&] { return dialog->isMaximized() && dialog->size() != normal; });
        check(maximised, name + " maximised to " + text(dialog->geometry()));
        const QPoint offset((dialog->width() - normal.width()) / 2,
                            (dialog->height() - normal.height()) / 2);
        check(title->pos() == placed + offset, name + " controls centred");
    } else {
        spin(1500);
    }
    dialog->windowHandle()->setWindowStates(Qt::WindowNoState);
    const bool restored = waitFor([&] { return dialog->size() == normal; });
    check(restored, name + " restored to " + text(dialog->geometry()));
    check(title->pos() == placed && dialog->grab().toImage() == look, name + " as it was before");
}

void checkCanvasRatio(frmBio *chart)
{
    const QByteArray expected = qgetenv("VANTREL_RATIO");
    if (expected.isEmpty())
        return;
    const ChartCanvas *canvas = chart->Canvas();
    const QImage &drawing = canvas->Drawing();
    const qreal ratio = expected.toDouble();
    check(canvas->devicePixelRatioF() == ratio && drawing.devicePixelRatio() == ratio
              && drawing.size() == (QSizeF(canvas->size()) * ratio).toSize(),
          QStringLiteral("canvas at ratio %1: devicePixelRatio() %2, drawing %3x%4 for %5x%6")
              .arg(ratio)
              .arg(canvas->devicePixelRatioF())
              .arg(drawing.width())
              .arg(drawing.height())
              .arg(canvas->width())
              .arg(canvas->height()));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    PageSink sink;
    std::printf("%s\n", qPrintable(QGuiApplication::platformName()));
    std::fflush(stdout);

    frmAtFirst *start = frmAtFirst::GetOrCreate();
    if (!start)
        return 2;
    maximiseAndRestore(start);
    maximiseAndRestore(frmBio::GetOrCreate());
    checkCanvasRatio(frmBio::Instance());
    auto *about = new frmAbout;
    maximiseAndRestoreDialog(about);
    delete about;
    delete frmBio::Instance();
    delete start;
    return failures == 0 ? 0 : 1;
}
