#include "SavedMembersFile.h"

#include "platform/DataLocation.h"
#include "platform/Dates.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// The items of one line. A quoted item runs to the next double quote, or to the end of the
// line when that quote is missing; what follows a closing quote up to the next comma belongs
// to no item. An unquoted item runs to the next comma, blanks around it dropped.
QStringList splitItems(QStringView line)
{
    QStringList items;
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (;;) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i < n && line[i] == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            items << line.mid(i + 1, end - i - 1).toString();
            const qsizetype comma = close < 0 ? -1 : line.indexOf(QLatin1Char(','), close + 1);
            i = comma < 0 ? n : comma;
        } else {
            const qsizetype comma = line.indexOf(QLatin1Char(','), i);
            const qsizetype end = comma < 0 ? n : comma;
            items << trimBlanks(line.mid(i, end - i)).toString();
            i = end;
        }
        if (i >= n)
            return items;
        ++i; // past the comma
    }
}

QByteArray quoted(const QString &field)
{
    // One record a line, whatever a field holds.
    QString text = field;
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return '"' + text.toLocal8Bit() + '"';
}

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

SavedMembersFile::SavedMembersFile(const QString &path)
    : m_path(path)
{ }

QString SavedMembersFile::DefaultPath()
{
    return DataLocation::Folder() + QStringLiteral("/Vantrel");
}

QString SavedMembersFile::ScratchPath() const
{
    return QFileInfo(m_path).absolutePath() + QStringLiteral("/temp");
}

void SavedMembersFile::EnsureExists() const
{
    if (QFileInfo::exists(m_path))
        return;
    QFile file(m_path);
    if (file.open(QIODevice::Append))
        file.close();
}

std::optional<QByteArray> SavedMembersFile::readAll() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

QList<SavedMembersFile::Line> SavedMembersFile::parseLines(const QByteArray &bytes)
{
    QByteArrayView rest(bytes);
    // An editor may have put a byte order mark in front of the first name.
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);

    QList<Line> lines;
    while (!rest.isEmpty()) {
        const qsizetype lf = rest.indexOf('\n');
        QByteArrayView raw = lf < 0 ? rest : rest.first(lf);
        rest = lf < 0 ? QByteArrayView() : rest.sliced(lf + 1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        // Bytes that do not decode become replacement characters; they never stop the reading.
        const QString text = QString::fromLocal8Bit(raw);
        if (trimBlanks(text).isEmpty())
            continue;
        const QStringList items = splitItems(text);
        lines.append(
            Line { raw.toByteArray(), Record { items.value(0), items.value(1), items.value(2) } });
    }
    return lines;
}

QList<SavedMembersFile::Record> SavedMembersFile::Parse(const QByteArray &bytes)
{
    QList<Record> records;
    const QList<Line> lines = parseLines(bytes);
    records.reserve(lines.size());
    for (const Line &line : lines)
        records.append(line.record);
    return records;
}

QList<SavedMembersFile::Record> SavedMembersFile::Records() const
{
    return Parse(readAll().value_or(QByteArray()));
}

QStringList SavedMembersFile::Names() const
{
    QStringList names;
    for (const Record &record : Records())
        names << record.name;
    return names;
}

bool SavedMembersFile::IsStorableName(const QString &name)
{
    return !name.contains(QLatin1Char('"'));
}

QByteArray SavedMembersFile::RecordLine(const QString &name, const QDate &dob, qint32 color)
{
    // ISO dates read back the same whatever the date settings are when they are read.
    return quoted(name) + ',' + quoted(dob.toString(Qt::ISODate)) + ','
        + quoted(QString::number(color)) + "\r\n";
}

bool SavedMembersFile::Append(const QString &name, const QDate &dob, qint32 color) const
{
    if (!IsStorableName(name))
        return false;
    QFile file(m_path);
    // Unbuffered: a write that fails part-way must not leave bytes waiting in a buffer,
    // or cutting the half record off again would fail as well.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const qint64 size = file.size();
    QByteArray bytes;
    if (size > 0) {
        // A last line without its line break would swallow the new record.
        char last = 0;
        if (!file.seek(size - 1) || !file.getChar(&last))
            return false;
        // A file cut between CR and LF only lacks the LF.
        if (last == '\r')
            bytes = "\n";
        else if (last != '\n')
            bytes = "\r\n";
    }
    bytes += RecordLine(name, dob, color);
    if (file.seek(size) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    // Leave no half record behind.
    file.resize(size);
    return false;
}

bool SavedMembersFile::RemovePositions(const QList<int> &positions) const
{
    const std::optional<QByteArray> bytes = readAll();
    if (!bytes)
        return false;

    QByteArray kept;
    const QList<Line> lines = parseLines(*bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The line as it stands, so that what could not be read well is not spoiled further.
        if (!positions.contains(int(i)))
            kept += lines[i].raw + "\r\n";
    }

    const QString scratchPath = ScratchPath();
    // A link left at the scratch name is not ours to write through.
    if (QFileInfo(scratchPath).isSymLink() && !QFile::remove(scratchPath))
        return false;
    {
        QFile scratch(scratchPath);
        if (!scratch.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        // On the disk before it takes the saved file's place, so that even a power cut
        // leaves the old file or the complete new one.
        if (scratch.write(kept) != kept.size() || !scratch.flush() || ::fsync(scratch.handle()) != 0) {
            scratch.close();
            scratch.remove();
            return false;
        }
    }
    // One step: at every moment the saved file is either the old one or the complete new one.
    std::error_code error;
    std::filesystem::rename(nativePath(scratchPath), nativePath(m_path), error);
    if (error) {
        QFile::remove(scratchPath);
        return false;
    }
    return true;
}

std::optional<QDate> SavedMembersFile::DateFromText(const QString &text)
{
    const QLocale locale = QLocale::system();
    auto convert = [&](const QString &t) -> std::optional<QDate> {
        for (const QDate &date :
             { QDate::fromString(t, Qt::ISODate), locale.toDate(t, Dates::ShortDateFormat()),
               locale.toDate(t, QLocale::ShortFormat) }) {
            if (Dates::IsStorable(date))
                return date;
        }
        return std::nullopt;
    };
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (std::optional<QDate> date = convert(trimmed))
        return date;
    // Older records may carry a time of day after the date.
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    if (blank > 0)
        return convert(trimmed.left(blank));
    return std::nullopt;
}

std::optional<qint32> SavedMembersFile::ColorFromText(const QString &text)
{
    bool ok = false;
    const qint32 color = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return color;
}
