#include "SingleInstance.h"

#include <QDir>
#include <QLockFile>

#include <unistd.h>

namespace SingleInstance {

QString LockFilePath()
{
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("vantrel-%1.lock").arg(QString::number(::getuid())));
}

bool AnotherIsRunning()
{
    // Held until the process ends; its destructor removes the file on a normal exit, and a
    // copy that crashed leaves a file naming a dead process, which the next start clears.
    static QLockFile lock(LockFilePath());
    static const bool another = [] {
        // The lock's age says nothing: a copy may run for weeks. Only a dead holder is stale.
        lock.setStaleLockTime(0);
        if (lock.tryLock(0))
            return false;
        // A lock we could not take because of the file system rather than another copy must
        // not keep the program from starting.
        return lock.error() == QLockFile::LockFailedError;
    }();
    return another;
}

} // namespace SingleInstance
