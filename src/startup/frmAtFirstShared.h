#pragma once

#include <QString>

// What the start-up window's files share: the analysis types as the type list offers them, and
// how a number of people is written in its messages and captions.
namespace AtFirst {

inline const QString SelfType = QStringLiteral("SELF");
inline const QString CoupleType = QStringLiteral("COUPLE");
inline const QString GroupType = QStringLiteral("GROUP");

inline QString persons(qint64 count)
{
    return QString::number(count) + QStringLiteral(" Person(s)");
}

} // namespace AtFirst
