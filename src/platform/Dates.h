#pragma once

#include <QDate>
#include <QString>

// Dates as the user and the calendar see them. The program stores dates from 1 January 100 to
// 31 December 9999; a member table slot that holds no date holds the "empty date", day 0 of the
// classic serial-date count (30 December 1899).
namespace Dates {

QDate EmptyDate();
QDate FirstStorableDate();
QDate LastStorableDate();
bool IsStorable(const QDate &date);

// The current date, without a time of day.
QDate Today();

// The system's short date format with a two-digit year widened to four digits, so that a
// date shown or written never loses its century.
QString ShortDateFormat();
QString ShortDateText(const QDate &date);

} // namespace Dates
