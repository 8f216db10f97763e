#include "DataLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool userCanWrite(const QString &folder)
{
    // access() asks the kernel, so read-only mounts and ACLs count as well as the mode bits.
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

// Creates the folder and any missing parent with mode 0700: the saved people are personal data
// that no other user of the machine should be able to list. Each new folder is synced into its
// parent, or a power cut could take it, and the first person saved in it, away again.
void makePrivatePath(const QString &path)
{
    if (QFileInfo(path).isDir())
        return;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path)
        makePrivatePath(parent);
    if (::mkdir(QFile::encodeName(path).constData(), S_IRWXU) != 0)
        return;
    const int fd
        = ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace DataLocation {

QString Folder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (userCanWrite(programFolder))
        return programFolder;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString folder = QDir(base).filePath(QStringLiteral("Vantrel"));
    makePrivatePath(folder);
    return folder;
}

} // namespace DataLocation
