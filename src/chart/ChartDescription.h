#pragma once

#include <QDate>
#include <QString>

// The chart in words, for those who cannot see it: where each curve of the current view stands
// on the report date and when it next crosses the mid line. Worked out from the visit state
// with the arithmetic the drawing uses, so the words say what the curves show; like the chart,
// it gives no values.
namespace ChartDescription {

// Where a cycle's curve stands on a chart day, read as a sighted user reads it off the chart:
// a peak, trough or crossing that falls within the day (half a day either side of its line),
// otherwise the side of the mid line and the way the curve is heading.
enum class Standing {
    Peak,
    Trough,
    CrossingUpward,
    CrossingDownward,
    AboveRising,
    AboveFalling,
    BelowRising,
    BelowFalling,
};

struct CycleStanding
{
    Standing standing = Standing::AboveRising;
    // Days from the report date to the day of the next crossing after it (at least 1).
    int daysToNextCrossing = 0;
};

// Member i's cycle of period P on the report date, on a chart W days wide.
CycleStanding StandingOf(int i, double P, float W);

// The standing in words, as the description says it ("above the mid line and rising").
QString Words(Standing standing);

// A date as the description speaks it.
QString SpokenDate(const QDate &date);

// Who the chart is of: "Ann" for one person, "Ann and Bob", "Ann, Bob and Cy".
QString People();

// The whole description of the current view: the report date, then for each member shown and
// each cycle of the view, where it stands and the date of its next crossing.
QString Text(float W);

} // namespace ChartDescription
