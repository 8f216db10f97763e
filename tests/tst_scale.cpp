// How heavy the chart's curves and rules come out at the screen's pixel ratio, measured on
// the pictures the user sees. CTest runs this at ratios 1, 1.25, 1.5, 2 and 3
// (QT_SCALE_FACTOR): a curve must weigh about one logical pixel and never less than a grid
// line, and every rule must be one width along its whole length and the same width as every
// other rule of its logical width.

#include "chart/ChartCanvas.h"
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "shell/LineControl.h"

#include <QLabel>
#include <QtTest>

#include <algorithm>

using namespace modBiorhythm;

namespace {

// Each device column's run of the given colour: its length and middle row, or 0 where the
// column holds none.
struct ColumnRun
{
    int length = 0;
    double middle = 0;
};

QList<ColumnRun> columnRuns(const QImage &image, QRgb colour)
{
    QList<ColumnRun> runs(image.width());
    for (int x = 0; x < image.width(); ++x) {
        int first = -1, last = -1, count = 0;
        for (int y = 0; y < image.height(); ++y) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) {
                if (first < 0)
                    first = y;
                last = y;
                ++count;
            }
        }
        // A column where the curve is cut by an edge of the canvas says nothing of its weight.
        if (count > 0 && first > 0 && last < image.height() - 1 && count == last - first + 1)
            runs[x] = { count, (first + last) / 2.0 };
    }
    return runs;
}

// The rule's width across it, device pixel by device pixel along its length, leaving out what
// lies under the given areas (labels, other rules).
QList<int> widthsAlong(const QImage &seen, const LineControl *rule, const QList<QRect> &covered)
{
    const qreal dpr = seen.devicePixelRatio();
    const QRect area = rule->geometry();
    const bool horizontal = area.width() >= area.height();
    const QRgb colour = rule->Color().rgb() & 0xFFFFFF;
    const int reach = int(std::ceil(3 * dpr)) + rule->BorderWidth() * 2;
    const int along0 = int(std::ceil((horizontal ? area.left() : area.top()) * dpr));
    const int along1 = int(std::floor((horizontal ? area.right() + 1 : area.bottom() + 1) * dpr));
    const int middle = int(((horizontal ? area.top() : area.left())
                            + (horizontal ? area.height() : area.width()) / 2.0)
                           * dpr);
    QList<int> widths;
    for (int along = along0; along < along1; ++along) {
        const QPointF logical
            = horizontal ? QPointF(along / dpr, middle / dpr) : QPointF(middle / dpr, along / dpr);
        bool hidden = false;
        for (const QRect &r : covered)
            hidden |= r.adjusted(-2, -2, 2, 2).contains(logical.toPoint());
        if (hidden)
            continue;
        int count = 0;
        for (int across = middle - reach; across <= middle + reach; ++across) {
            const QPoint p = horizontal ? QPoint(along, across) : QPoint(across, along);
            count += seen.rect().contains(p) && (seen.pixel(p) & 0xFFFFFF) == colour;
        }
        widths << count;
    }
    return widths;
}

// What lies over a rule on the canvas: the other children, where they show.
QList<QRect> coveringRule(const ChartCanvas *canvas, const LineControl *rule)
{
    QList<QRect> covered;
    for (const QWidget *other : canvas->findChildren<QWidget *>()) {
        if (other != rule && other->isVisible())
            covered << other->geometry();
    }
    return covered;
}

} // namespace

class tst_scale : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void rulesHaveOneWidth_data();
    void rulesHaveOneWidth();
    void curveWeighsAsAtRatioOne_data();
    void curveWeighsAsAtRatioOne();

private:
    frmBio *openChart();
    // The width each logical rule width came out in, from the first rule measured.
    QHash<int, int> m_ruleWidths;
};

void tst_scale::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    qInfo("pixel ratio %g", qApp->devicePixelRatio());
}

void tst_scale::cleanup()
{
    delete frmBio::Instance();
    for (QWidget *widget : QApplication::topLevelWidgets())
        delete widget;
    ClearMemberTable();
    TotalVisitors = VisitorsLeft = 0;
}

frmBio *tst_scale::openChart()
{
    frmBio *chart = frmBio::GetOrCreate();
    chart->show();
    if (!QTest::qWaitForWindowExposed(chart))
        qWarning("chart window not exposed");
    return chart;
}

void tst_scale::rulesHaveOneWidth_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("lnHor") << QStringLiteral("lnHor");
    QTest::newRow("lnVert") << QStringLiteral("lnVert");
    for (int i = 0; i < 13; ++i) {
        for (const char *row : { "lnVertNext", "lnVertPre" }) {
            const QString name = QStringLiteral("%1(%2)").arg(QLatin1String(row)).arg(i);
            QTest::newRow(qPrintable(name)) << name;
        }
    }
}

void tst_scale::rulesHaveOneWidth()
{
    QFETCH(QString, name);
    // No visit: nothing is drawn under the rules.
    frmBio *chart = openChart();
    ChartCanvas *canvas = chart->Canvas();
    const QImage seen = canvas->grab().toImage();
    QCOMPARE(seen.devicePixelRatio(), qApp->devicePixelRatio());
    auto *rule = canvas->findChild<LineControl *>(name);
    QVERIFY(rule);
    const QList<int> widths = widthsAlong(seen, rule, coveringRule(canvas, rule));
    QVERIFY2(widths.size() > 100, qPrintable(QString::number(widths.size())));
    const auto [thinnest, widest] = std::minmax_element(widths.begin(), widths.end());
    QVERIFY2(
        *thinnest == *widest,
        qPrintable(QStringLiteral("from %1 to %2 device pixels wide").arg(*thinnest).arg(*widest)));
    // About its logical width.
    const qreal logical = *thinnest / seen.devicePixelRatio();
    QVERIFY2(qAbs(logical - rule->BorderWidth()) <= 0.5,
             qPrintable(QStringLiteral("%1 device pixels").arg(*thinnest)));
    const int first = m_ruleWidths.value(rule->BorderWidth(), *thinnest);
    m_ruleWidths.insert(rule->BorderWidth(), first);
    QCOMPARE(*thinnest, first);
}

void tst_scale::curveWeighsAsAtRatioOne_data()
{
    QTest::addColumn<int>("view");
    QTest::newRow("Physical, 23 days") << 0;
    QTest::newRow("Emotional, 28 days") << 1;
    QTest::newRow("Intellectual, 33 days") << 2;
}

void tst_scale::curveWeighsAsAtRatioOne()
{
    QFETCH(int, view);
    const qint32 colour = 0x0000C0;
    ResizeMemberTable(1);
    StoreMember(0, QStringLiteral("Ann"), QDate(1970, 1, 1), QDate(2000, 1, 1), colour);
    TotalVisitors = 1;
    VisitType = QStringLiteral("GROUP");
    IsSelf = false;
    frmBio *chart = openChart();
    switch (view) {
    case 0:
        chart->cmdPhysical_Click();
        break;
    case 1:
        chart->cmdEmotional_Click();
        break;
    default:
        chart->cmdIntellectual_Click();
        break;
    }
    ChartCanvas *canvas = chart->Canvas();
    const QImage &drawing = canvas->Drawing();
    const qreal dpr = drawing.devicePixelRatio();
    QCOMPARE(dpr, qApp->devicePixelRatio());
    QCOMPARE(drawing.size(), (QSizeF(canvas->size()) * dpr).toSize());

    // The thinnest grid line, as the user sees it.
    const QImage seen = canvas->grab().toImage();
    const auto *grid = canvas->findChild<LineControl *>(QStringLiteral("lnVertNext(5)"));
    QList<int> gridWidths = widthsAlong(seen, grid, coveringRule(canvas, grid));
    // Where the curve crosses it, the rule lies over the curve's own colour.
    gridWidths.removeAll(0);
    QVERIFY(gridWidths.size() > 100);
    const int gridWidth = *std::min_element(gridWidths.begin(), gridWidths.end());

    // The curve's weight column by column along its run: never below the grid's anywhere,
    // and, where it runs level (a vertex), about one logical pixel.
    const QList<ColumnRun> runs = columnRuns(drawing, qRgb(colour & 0xFF, 0, 0));
    QList<int> level;
    int thinnest = INT_MAX, columns = 0;
    for (int x = 1; x + 1 < runs.size(); ++x) {
        if (!runs[x].length)
            continue;
        ++columns;
        thinnest = qMin(thinnest, runs[x].length);
        if (runs[x - 1].length && runs[x + 1].length
            && qAbs(runs[x + 1].middle - runs[x - 1].middle) <= 0.5)
            level << runs[x].length;
    }
    QVERIFY2(columns > drawing.width() / 2, qPrintable(QString::number(columns)));
    QVERIFY2(thinnest >= gridWidth,
             qPrintable(QStringLiteral("a curve %1 device pixels thin by grid lines %2 wide")
                            .arg(thinnest)
                            .arg(gridWidth)));
    QVERIFY(level.size() > 5);
    std::sort(level.begin(), level.end());
    const qreal weight = level.at(level.size() / 2) / dpr;
    qInfo("curve at least %d device pixels, %d where level; grid lines %d", thinnest,
          level.at(level.size() / 2), gridWidth);
    QVERIFY2(weight >= 0.75 && weight <= 1.5,
             qPrintable(QStringLiteral("%1 logical pixels where it runs level").arg(weight)));
}

QTEST_MAIN(tst_scale)
#include "tst_scale.moc"
