#pragma once

#include "SavedMembersFile.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <utility>

// How the saved-members file is cut into lines and a line into a record: shared by the reading
// of a file and the parsing of bytes in memory.
namespace SavedMembersLines {

inline constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");

// What the splitter hands its lines and bytes to.
class Handler
{
public:
    virtual ~Handler() = default;
    // A line of up to MaxLineBytes, without its line end; whether it stays.
    virtual bool line(QByteArrayView line) = 0;
    // Every byte that stays, in file order: a removal writes those out.
    virtual void keep(QByteArrayView bytes) = 0;
};

// Cuts a stream of bytes, fed in pieces of any size, into lines. LF, CR LF and a bare CR each
// end a line; a byte order mark that opens the stream belongs to no line. A line that goes
// takes its line end with it and nothing else changes. A longer line is damaged: it stays, and
// is passed on piece by piece as it comes, never held.
class Splitter
{
public:
    void feed(QByteArrayView bytes, Handler &handler);
    // The end of the stream: a last line without a line end is a line too.
    void finish(Handler &handler);

private:
    void split(QByteArrayView bytes, Handler &handler);
    void grow(QByteArrayView bytes, Handler &handler);
    bool endLine(QByteArrayView tail, QByteArrayView terminator, Handler &handler);

    enum class AfterCr { No, Kept, Dropped };

    QByteArray m_head; // the first bytes of the stream, while they may be a byte order mark
    bool m_headDone = false;
    QByteArray m_pending; // the start of a line that goes on in the next piece
    bool m_overlong = false; // the line being cut is over the limit
    AfterCr m_afterCr = AfterCr::No; // the last piece ended with a line's CR
};

// A line holding nothing but blanks is no record.
bool IsBlankLine(QByteArrayView line);
SavedMembersFile::Record ParseLine(QByteArrayView line);

// Hands every record to `take`, in file order; every line stays.
class Lister : public Handler
{
public:
    explicit Lister(std::function<void(SavedMembersFile::Record &&)> take)
        : m_take(std::move(take))
    { }

    bool line(QByteArrayView line) override
    {
        if (m_take && !IsBlankLine(line))
            m_take(ParseLine(line));
        return true;
    }
    void keep(QByteArrayView) override { }

private:
    std::function<void(SavedMembersFile::Record &&)> m_take;
};

} // namespace SavedMembersLines
