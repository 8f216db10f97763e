#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

// The visit: everything the start-up window hands to the chart window. It belongs to the
// process, not to a window; both windows read and write it directly.
namespace modBiorhythm {

// Visit counters.
extern qint16 TotalVisitors;
extern qint16 VisitorsLeft;
extern qint16 GroupSize;

// The member table: four parallel arrays, always the same length, indexed from 0.
extern QList<QString> VisitorName;
extern QList<QDate> VisitorDob;
extern QList<QDate> VisitorReportDate;
extern QList<qint32> VisitorColor; // 0x00BBGGRR

// Colours already given to members since the start-up window last loaded; -1 marks a free slot.
extern std::array<qint32, 11> UsedColors;
extern qint16 UsedColorCount;
// Frees slots 0 .. 9 and sets the count to 0; slot 10 keeps its value.
void EmptyUsedColors();

extern bool IsSelf;
extern QString VisitType; // "SELF", "COUPLE", "GROUP" or empty
extern QString CurrentView; // "Physical", "Emotional", "Intellectual", "All" or empty

// The three cycles, in the order the all-cycles view draws them.
inline constexpr double PhysicalPeriod = 23;
inline constexpr double EmotionalPeriod = 28;
inline constexpr double IntellectualPeriod = 33;

// Resizes the member table to n members and discards its contents: names empty, dates the
// empty date, colours 0.
void ResizeMemberTable(int n);
// Empties the member table (no members at all).
void ClearMemberTable();
// Number of members the table holds (the arrays always agree).
int MemberCount();
bool IsMember(int i);

// Stores member i; an index outside the table is skipped, the table stays as it was.
void StoreMember(int i, const QString &name, const QDate &dob, const QDate &reportDate,
                 qint32 color);

// Calendar days from member i's date of birth to the member's report date; negative when the
// report date comes first. A member that is missing or has no valid dates counts 0 days.
qint32 DaysLived(int i);

// The x of the trough at or left of the chart's left edge from which a drawing pass of a
// cycle of period P starts, for a chart W days wide centred on member i's report date.
double FirstVertex(int i, double P, float W);

// "Day Lived " followed by DaysLived in plain decimal.
QString DayLivedText(int i);

} // namespace modBiorhythm
