#include "SavedMembersFileLines.h"

#include "platform/Dates.h"

#include <QLocale>
#include <QStringView>

#include <algorithm>
#include <array>

// The record format, and how the lines of a file are found: one person a line, three
// double-quoted fields (name, date of birth, colour) separated by commas.

using SavedMembersLines::ByteOrderMark;

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

// The first three items of one line. A quoted item runs to the next double quote, or to the
// end of the line when that quote is missing; what follows a closing quote up to the next
// comma belongs to no item. An unquoted item runs to the next comma, blanks around it dropped.
std::array<QStringView, 3> firstItems(QStringView line)
{
    std::array<QStringView, 3> items;
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (QStringView &item : items) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i < n && line[i] == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            item = line.mid(i + 1, end - i - 1);
            const qsizetype comma = close < 0 ? -1 : line.indexOf(QLatin1Char(','), close + 1);
            i = comma < 0 ? n : comma;
        } else {
            const qsizetype comma = line.indexOf(QLatin1Char(','), i);
            const qsizetype end = comma < 0 ? n : comma;
            item = trimBlanks(line.mid(i, end - i));
            i = end;
        }
        if (i >= n)
            break;
        ++i; // past the comma
    }
    return items;
}

QByteArray quoted(const QString &field)
{
    // One record a line, whatever a field holds.
    QString text = field;
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return '"' + text.toLocal8Bit() + '"';
}

} // namespace

namespace SavedMembersLines {

// The decoder drops a byte order mark that opens a line, so one alone makes a line blank too.
bool IsBlankLine(QByteArrayView line)
{
    if (line.startsWith(ByteOrderMark))
        line = line.sliced(ByteOrderMark.size());
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

SavedMembersFile::Record ParseLine(QByteArrayView line)
{
    // Bytes that do not decode become replacement characters; they never stop the reading.
    const QString text = QString::fromLocal8Bit(line);
    const std::array<QStringView, 3> items = firstItems(text);
    return SavedMembersFile::Record { items[0].toString(), items[1].toString(),
                                      items[2].toString() };
}

void Splitter::feed(QByteArrayView bytes, Handler &handler)
{
    if (!m_headDone) {
        while (!bytes.isEmpty() && m_head.size() < ByteOrderMark.size()
               && bytes.front() == ByteOrderMark[m_head.size()]) {
            m_head += bytes.front();
            bytes = bytes.sliced(1);
        }
        if (m_head.size() == ByteOrderMark.size()) {
            m_headDone = true;
            handler.keep(m_head);
        } else if (!bytes.isEmpty()) {
            // Only the start of a mark: those bytes begin the first line.
            m_headDone = true;
            const QByteArray head = m_head;
            split(head, handler);
        } else {
            return;
        }
    }
    split(bytes, handler);
}

void Splitter::finish(Handler &handler)
{
    if (!m_headDone) {
        m_headDone = true;
        const QByteArray head = m_head;
        split(head, handler);
    }
    if (m_overlong)
        m_overlong = false;
    else if (!m_pending.isEmpty())
        endLine({}, {}, handler);
    m_pending.clear();
}

void Splitter::split(QByteArrayView bytes, Handler &handler)
{
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    if (m_afterCr != AfterCr::No && n > 0) {
        // The LF of a CR LF that came in two pieces goes where its CR went.
        if (bytes[0] == '\n') {
            if (m_afterCr == AfterCr::Kept)
                handler.keep(bytes.first(1));
            i = 1;
        }
        m_afterCr = AfterCr::No;
    }
    while (i < n) {
        qsizetype end = i;
        while (end < n && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end == n) {
            grow(bytes.sliced(i), handler);
            return;
        }
        qsizetype terminator = 1;
        bool crAtEnd = false;
        if (bytes[end] == '\r') {
            if (end + 1 < n)
                terminator = bytes[end + 1] == '\n' ? 2 : 1;
            else
                crAtEnd = true;
        }
        const bool kept = endLine(bytes.sliced(i, end - i), bytes.sliced(end, terminator), handler);
        if (crAtEnd)
            m_afterCr = kept ? AfterCr::Kept : AfterCr::Dropped;
        i = end + terminator;
    }
}

// Bytes of a line whose end has not come yet.
void Splitter::grow(QByteArrayView bytes, Handler &handler)
{
    if (m_overlong) {
        handler.keep(bytes);
    } else if (m_pending.size() + bytes.size() > SavedMembersFile::MaxLineBytes) {
        m_overlong = true;
        handler.keep(m_pending);
        handler.keep(bytes);
        m_pending.clear();
    } else {
        m_pending += bytes;
    }
}

bool Splitter::endLine(QByteArrayView tail, QByteArrayView terminator, Handler &handler)
{
    bool kept = true;
    if (m_overlong) {
        m_overlong = false;
        handler.keep(tail);
    } else if (m_pending.size() + tail.size() > SavedMembersFile::MaxLineBytes) {
        handler.keep(m_pending);
        handler.keep(tail);
    } else if (m_pending.isEmpty()) {
        kept = handler.line(tail);
        if (kept)
            handler.keep(tail);
    } else {
        m_pending += tail;
        kept = handler.line(m_pending);
        if (kept)
            handler.keep(m_pending);
    }
    m_pending.clear();
    if (kept)
        handler.keep(terminator);
    return kept;
}

} // namespace SavedMembersLines

QList<SavedMembersFile::Record> SavedMembersFile::Parse(const QByteArray &bytes)
{
    QList<Record> records;
    SavedMembersLines::Lister lister(
        [&records](Record &&record) { records.append(std::move(record)); });
    SavedMembersLines::Splitter lines;
    lines.feed(bytes, lister);
    lines.finish(lister);
    return records;
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
