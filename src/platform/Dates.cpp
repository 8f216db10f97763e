#include "Dates.h"

#include <QLocale>
#include <QRegularExpression>

namespace Dates {

QDate EmptyDate() { return QDate(1899, 12, 30); }
QDate FirstStorableDate() { return QDate(100, 1, 1); }
QDate LastStorableDate() { return QDate(9999, 12, 31); }

bool IsStorable(const QDate &date)
{
    return date.isValid() && date >= FirstStorableDate() && date <= LastStorableDate();
}

QDate Today() { return QDate::currentDate(); }

QString ShortDateFormat()
{
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    // "yy" alone (not part of "yyyy") becomes "yyyy".
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(twoDigitYear, QStringLiteral("yyyy"));
    return format;
}

QString ShortDateText(const QDate &date)
{
    return QLocale::system().toString(date, ShortDateFormat());
}

} // namespace Dates
