#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whole files in and out, for tests that set up a file and look at what became of it.
namespace TestFiles {

// Empty when there is nothing to read.
inline QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

} // namespace TestFiles
