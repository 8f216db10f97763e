// Opens the chart window on a ready-made visit, for looking at it by eye:
//   chart_preview self|group [report-date yyyy-MM-dd]
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    using namespace modBiorhythm;
    const bool self = argc < 2 || QString::fromLocal8Bit(argv[1]) == QLatin1String("self");
    const QDate report = argc > 2 ? QDate::fromString(QString::fromLocal8Bit(argv[2]), Qt::ISODate)
                                  : QDate(2000, 1, 1);
    const qint32 colours[] = {0x0000FF, 0x00A5FF, 0x00FFFF, 0x00FF00, 0xFFFF00,
                              0xFF0000, 0x800080, 0xFF00FF, 0x808080, 0x004080};
    const int n = self ? 1 : 10;
    ResizeMemberTable(n);
    TotalVisitors = VisitorsLeft = qint16(n);
    for (int i = 0; i < n; ++i)
        StoreMember(i, self ? QStringLiteral("A&B <b>x</b>") : QStringLiteral("Member %1").arg(i + 1),
                    QDate(1970, 1, 1).addDays(i * 37), report, colours[i]);
    VisitorsLeft = 0;
    IsSelf = self;
    VisitType = self ? QStringLiteral("SELF") : QStringLiteral("GROUP");
    auto *chart = new frmBio;
    chart->show();
    return app.exec();
}
