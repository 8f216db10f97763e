#include "modBiorhythm.h"

#include "platform/Dates.h"

#include <cmath>

namespace modBiorhythm {

qint16 TotalVisitors = 0;
qint16 VisitorsLeft = 0;
qint16 GroupSize = 0;

QList<QString> VisitorName;
QList<QDate> VisitorDob;
QList<QDate> VisitorReportDate;
QList<qint32> VisitorColor;

std::array<qint32, 11> UsedColors {};
qint16 UsedColorCount = 0;

bool IsSelf = false;
QString VisitType;
QString CurrentView;

void EmptyUsedColors()
{
    UsedColorCount = 0;
    for (size_t i = 0; i <= 9; ++i)
        UsedColors[i] = -1;
}

void ResizeMemberTable(int n)
{
    n = qMax(0, n);
    VisitorName = QList<QString>(n);
    VisitorDob = QList<QDate>(n, Dates::EmptyDate());
    VisitorReportDate = QList<QDate>(n, Dates::EmptyDate());
    VisitorColor = QList<qint32>(n, 0);
}

void ClearMemberTable()
{
    ResizeMemberTable(0);
}

int MemberCount()
{
    // The arrays are resized together; should anything ever break that, a member is only
    // what all four arrays hold.
    return int(qMin(qMin(VisitorName.size(), VisitorDob.size()),
                    qMin(VisitorReportDate.size(), VisitorColor.size())));
}

bool IsMember(int i)
{
    return i >= 0 && i < MemberCount();
}

void StoreMember(int i, const QString &name, const QDate &dob, const QDate &reportDate,
                 qint32 color)
{
    if (!IsMember(i))
        return;
    VisitorName[i] = name;
    VisitorDob[i] = dob;
    VisitorReportDate[i] = reportDate;
    VisitorColor[i] = color;
}

qint32 DaysLived(int i)
{
    if (!IsMember(i) || !VisitorDob[i].isValid() || !VisitorReportDate[i].isValid())
        return 0;
    // Julian day numbers count calendar-day boundaries, before 1900 as after it.
    return qint32(VisitorDob[i].daysTo(VisitorReportDate[i]));
}

double FirstVertex(int i, double P, float W)
{
    const float half = W / 2;
    const qint32 period = qint32(std::lround(P));
    // C++'s remainder takes the sign of the dividend, which is what puts the phase of a
    // report date before the birth date in (-P, 0].
    const qint32 phase = period != 0 ? DaysLived(i) % period : 0;
    double peakX = half - (phase - P / 4);
    if (P > 0) {
        while (peakX > 0)
            peakX -= P;
    }
    return peakX - P / 2;
}

QString DayLivedText(int i)
{
    return QStringLiteral("Day Lived ") + QString::number(DaysLived(i));
}

} // namespace modBiorhythm
