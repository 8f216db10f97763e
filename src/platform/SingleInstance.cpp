#include "SingleInstance.h"

#include "WindowSystem.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMainWindow>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <optional>

namespace {

constexpr QByteArrayView Request = "raise";
constexpr QByteArrayView Reply = "raised";
// A request is one short line; anything longer is not from a copy of this program.
constexpr qsizetype MaxLine = 512;
// How long a start waits for a copy that holds the lock but does not answer yet (it may be
// starting up itself) before it runs on its own.
constexpr int PatienceMs = 2000;
// How long a raised window may take to become the active one before the desktop is taken to
// have refused it the focus.
constexpr int ActivationMs = 500;

QString runtimeFile(const QString &name)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
}

// The token a launcher hands to the program it starts so that the desktop lets it take the
// focus. The copy being raised needs it, not this one.
QByteArray activationToken()
{
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty())
        token = qgetenv("DESKTOP_STARTUP_ID");
    QByteArray printable;
    for (const char c : token) {
        if (c > ' ' && c < 127)
            printable += c;
    }
    return printable.left(MaxLine - Request.size() - 2);
}

void bringForward(const QByteArray &token)
{
    QWidget *target = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || !qobject_cast<QMainWindow *>(window))
            continue;
        if (window->isMinimized())
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        target = window;
    }
    // A message or dialog waiting for an answer stays in front of its window.
    if (QWidget *modal = QApplication::activeModalWidget())
        target = modal;
    if (!target)
        return; // the window is still being built and shows itself in a moment
    // A Wayland compositor gives the focus only to a request that shows the launcher's token;
    // the toolkit takes it from here and clears it with the next activation.
    if (!token.isEmpty() && WindowSystem::IsWayland())
        qputenv("XDG_ACTIVATION_TOKEN", token);
    target->raise();
    target->activateWindow();
    // Where the desktop keeps the focus where it is (focus-stealing rules), the window at least
    // asks for the user's attention, so that the start is not lost without a sign.
    QTimer::singleShot(ActivationMs, target, [target] {
        if (!target->isActiveWindow())
            QApplication::alert(target);
    });
}

void answer(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxLine)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(MaxLine).trimmed();
    if (line.startsWith(Request)) {
        bringForward(line.mid(Request.size()).trimmed());
        socket->write(Reply.toByteArray() + '\n');
        socket->flush();
    }
    socket->disconnectFromServer();
}

void listenForLaterStarts()
{
    const QString path = SingleInstance::ServerPath();
    if (path.isEmpty() || !QCoreApplication::instance())
        return;
    auto *server = new QLocalServer(QCoreApplication::instance());
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock makes any socket left at the path a dead copy's.
    QLocalServer::removeServer(path);
    if (!server->listen(path)) {
        delete server;
        return;
    }
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [socket] { answer(socket); });
            answer(socket);
        }
    });
}

bool handOver()
{
    QLocalSocket socket;
    socket.connectToServer(SingleInstance::ServerPath());
    if (!socket.waitForConnected(500))
        return false;
    socket.write(Request.toByteArray() + ' ' + activationToken() + '\n');
    if (!socket.waitForBytesWritten(1000))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(PatienceMs))
            return false;
    }
    return socket.readLine(MaxLine).trimmed() == Reply;
}

bool decide()
{
    const QString path = SingleInstance::LockFilePath();
    if (path.isEmpty())
        return false;
    // Held until the process ends; its destructor removes the file on a normal exit.
    static std::optional<QLockFile> lock;
    lock.emplace(path);
    // The lock's age says nothing: a copy may run for weeks.
    lock->setStaleLockTime(0);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < PatienceMs) {
        if (lock->tryLock(0)) {
            listenForLaterStarts();
            return false;
        }
        // A lock that could not be taken because of the file system rather than another copy
        // must not keep the program from starting.
        if (lock->error() != QLockFile::LockFailedError)
            return false;
        if (handOver())
            return true;
        // Nobody answered. A living copy keeps its lock file locked while it runs, so a file
        // that nobody holds (emptied, damaged, left by a crash, naming another machine) is
        // removed and the lock taken again. One that is held may belong to a copy still
        // starting up: it gets a moment.
        if (!lock->removeStaleLockFile())
            QThread::msleep(50);
    }
    // A copy that never answers must not keep this one from starting.
    return false;
}

} // namespace

namespace SingleInstance {

QString LockFilePath()
{
    return runtimeFile(QStringLiteral("vantrel.lock"));
}

QString ServerPath()
{
    return runtimeFile(QStringLiteral("vantrel.socket"));
}

bool AnotherIsRunning()
{
    static const bool another = decide();
    return another;
}

} // namespace SingleInstance
