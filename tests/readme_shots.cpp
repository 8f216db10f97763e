// Makes the README's pictures from the real windows, offscreen:
//   QT_QPA_PLATFORM=offscreen readme_shots OUTDIR
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "startup/frmAtFirst.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    frmAtFirst *start = frmAtFirst::GetOrCreate();
    if (!start)
        return 1;
    auto *type = start->findChild<QComboBox *>(QStringLiteral("cboVisitType"));
    type->setCurrentIndex(2);
    start->cboVisitType_Click();
    auto *size = start->findChild<QComboBox *>(QStringLiteral("cboNoOfVisitor"));
    size->setCurrentIndex(2);
    start->cboNoOfVisitor_Click();
    start->show();
    QCoreApplication::processEvents();
    if (!start->grab().save(out.filePath(QStringLiteral("startup.png"))))
        return 1;
    start->hide();

    using namespace modBiorhythm;
    const struct
    {
        const char *name;
        QDate dob;
        qint32 color;
    } people[] = {{"Alice", QDate(1984, 3, 14), 0x0000E0}, {"Bruno", QDate(1979, 11, 2), 0xD07000},
                  {"Chiara", QDate(1991, 7, 23), 0x00A000}, {"Dev", QDate(1988, 1, 30), 0xB000B0},
                  {"Emma", QDate(1995, 5, 5), 0x0090E0}};
    const int n = int(std::size(people));
    ResizeMemberTable(n);
    TotalVisitors = VisitorsLeft = GroupSize = qint16(n);
    for (int i = 0; i < n; ++i)
        StoreMember(i, QString::fromLatin1(people[i].name), people[i].dob, QDate(2026, 12, 8),
                    people[i].color);
    VisitorsLeft = 0;
    VisitType = QStringLiteral("GROUP");
    IsSelf = false;
    auto *chart = new frmBio;
    chart->show();
    QCoreApplication::processEvents();
    return chart->grab().save(out.filePath(QStringLiteral("chart-group.png"))) ? 0 : 1;
}
