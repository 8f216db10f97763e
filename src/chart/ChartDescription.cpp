#include "ChartDescription.h"

#include "model/modBiorhythm.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

using namespace modBiorhythm;

namespace ChartDescription {

namespace {

struct Cycle
{
    const char *name;
    double period;
};

constexpr Cycle Physical { "Physical", PhysicalPeriod };
constexpr Cycle Emotional { "Emotional", EmotionalPeriod };
constexpr Cycle Intellectual { "Intellectual", IntellectualPeriod };

QList<Cycle> cyclesOfView(const QString &view)
{
    if (view == QLatin1String("Physical"))
        return { Physical };
    if (view == QLatin1String("Emotional"))
        return { Emotional };
    if (view == QLatin1String("Intellectual"))
        return { Intellectual };
    if (view == QLatin1String("All"))
        return { Physical, Emotional, Intellectual };
    return {};
}

// How far past the last peak x lies, in [0, P).
double sincePeak(double x, double peak, double P)
{
    const double u = std::fmod(x - peak, P);
    return u < 0 ? u + P : u;
}

} // namespace

CycleStanding StandingOf(int i, double P, float W)
{
    CycleStanding result;
    if (!IsMember(i) || !(P > 0))
        return result;
    // The drawing puts a trough at FirstVertex and a peak half a period on; the curve meets the
    // mid line a quarter period either side of each. The report date is the centre line.
    const double peak = FirstVertex(i, P, W) + P / 2;
    const double reportX = double(W) / 2;
    const double quarter = P / 4;
    // The day is the half day either side of its line: what falls in it happens that day.
    const double dayStart = sincePeak(reportX - 0.5, peak, P);
    const auto within = [&](double mark) {
        double offset = mark - dayStart;
        if (offset < 0)
            offset += P;
        return offset < 1.0;
    };
    const double u = sincePeak(reportX, peak, P);
    if (within(0))
        result.standing = Standing::Peak;
    else if (within(2 * quarter))
        result.standing = Standing::Trough;
    else if (within(quarter))
        result.standing = Standing::CrossingDownward;
    else if (within(3 * quarter))
        result.standing = Standing::CrossingUpward;
    else if (u < quarter)
        result.standing = Standing::AboveFalling;
    else if (u < 2 * quarter)
        result.standing = Standing::BelowFalling;
    else if (u < 3 * quarter)
        result.standing = Standing::BelowRising;
    else
        result.standing = Standing::AboveRising;

    // The first crossing after the report date's own day, and the day it falls in.
    const double dayEnd = dayStart + 1.0;
    double next = quarter;
    while (next < dayEnd)
        next += 2 * quarter;
    const double crossingX = reportX - 0.5 + (next - dayStart);
    result.daysToNextCrossing = int(std::floor(crossingX - reportX + 0.5));
    return result;
}

QString Words(Standing standing)
{
    switch (standing) {
    case Standing::Peak:
        return QStringLiteral("at a peak");
    case Standing::Trough:
        return QStringLiteral("at a trough");
    case Standing::CrossingUpward:
        return QStringLiteral("crossing the mid line that day, upward");
    case Standing::CrossingDownward:
        return QStringLiteral("crossing the mid line that day, downward");
    case Standing::AboveRising:
        return QStringLiteral("above the mid line and rising");
    case Standing::AboveFalling:
        return QStringLiteral("above the mid line and falling");
    case Standing::BelowRising:
        return QStringLiteral("below the mid line and rising");
    case Standing::BelowFalling:
        return QStringLiteral("below the mid line and falling");
    }
    return {};
}

QString SpokenDate(const QDate &date)
{
    return date.isValid() ? QLocale::system().toString(date, QStringLiteral("d MMMM yyyy"))
                          : QString();
}

QString People()
{
    QStringList names;
    for (int i = 0; i < TotalVisitors && IsMember(i); ++i)
        names << VisitorName[i];
    if (names.size() < 2)
        return names.value(0);
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString Text(float W)
{
    if (!IsMember(0))
        return {};
    const QDate report = VisitorReportDate[0];
    QStringList parts { QStringLiteral("Report date %1.").arg(SpokenDate(report)) };
    const QList<Cycle> cycles = cyclesOfView(CurrentView);
    for (int i = 0; i < TotalVisitors && IsMember(i); ++i) {
        QString who = VisitorName[i];
        // Members may each have a report date of their own; the chart centres every one on it.
        if (VisitorReportDate[i] != report)
            who += QStringLiteral(" on %1").arg(SpokenDate(VisitorReportDate[i]));
        for (const Cycle &cycle : cycles) {
            const CycleStanding at = StandingOf(i, cycle.period, W);
            const QDate crossing = VisitorReportDate[i].addDays(at.daysToNextCrossing);
            parts << QStringLiteral("%1, %2: %3; next crossing %4.")
                         .arg(who, QLatin1String(cycle.name), Words(at.standing),
                              SpokenDate(crossing));
        }
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace ChartDescription
