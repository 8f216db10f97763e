// How long the chart takes to draw a GROUP of ten, set against two baselines.
//   QT_QPA_PLATFORM=offscreen ./bench_chart
// The pixel baseline clears an image of the canvas's size and writes exactly the pixels the
// Physical view writes, their addresses worked out beforehand. The chain baseline runs only
// the additions that decide where the points fall: every arc's x, from its left end by steps
// of 0.01 up to its right end or the canvas's right edge, with nothing done at any step. An
// exact drawing cannot do without those additions, one after the other in each arc, so the
// chains are its floor as much as the pixel writes are.
#include "chart/ChartCanvas.h"
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int Members = 10;
constexpr int TimedRuns = 300;
constexpr int Rounds = 7;

// One member's curve: its colour and the pixel offsets (in QRgb units) it sets.
struct Curve
{
    QRgb rgb;
    std::vector<qsizetype> offsets;
};

// One arc's chain of x: its left end, and where the drawing may stop adding.
struct Chain
{
    double start;
    double stop;
};

QRgb fromBgr(qint32 bgr)
{
    const auto v = quint32(bgr);
    return qRgb(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

// The points of one parabolic arc, generated and mapped to device pixels the way the chart
// does it: double arithmetic, single-precision points, truncation to the pixel, clipping.
void addArc(std::vector<qsizetype> &out, double Xa, double Ya, double LastPt, float scaleHeight,
            float sx, float sy, int width, int height, qsizetype stridePixels)
{
    const double m = double(scaleHeight) / 2;
    const double halfWidth = LastPt - Xa;
    if (!(halfWidth > 0))
        return;
    const double k = (m - Ya) / (halfWidth * halfWidth);
    for (double x = Xa - halfWidth; x <= LastPt; x += 0.01) {
        const double y = k * (x - Xa) * (x - Xa) + Ya;
        const float fx = float(x);
        const float fy = float(y);
        const int px = int(std::floor(fx * sx));
        const int py = int(std::floor(fy * sy));
        if (uint(px) >= uint(width) || uint(py) >= uint(height))
            continue;
        out.push_back(qsizetype(py) * stridePixels + px);
    }
}

} // namespace

class BenchChart : public QObject
{
    Q_OBJECT

public slots:
    void catchUrl(const QUrl &) { }

private slots:
    void initTestCase();
    void cleanupTestCase();

    void baselineMatchesView();
    void physicalView();
    void nextDay();
    void baseline();
    void chains();
    void summary();

private:
    void writeBaseline();
    double runChains() const;

    QPointer<frmBio> m_chart;
    QSize m_imageSize;
    QImage m_target;
    std::vector<Curve> m_curves;
    std::vector<Chain> m_chains;
};

void BenchChart::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // Leaving the chart opens the start-up window, which takes the one-copy lock and opens the
    // farewell page: keep both away from the real temp folder and the real browser.
    static QTemporaryDir temp;
    QVERIFY(temp.isValid());
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "catchUrl");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "catchUrl");

    using namespace modBiorhythm;
    const qint32 colours[Members] = { 0x0000FF, 0x00A5FF, 0x00C0C0, 0x00A000, 0xC0C000,
                                      0xFF0000, 0x800080, 0xFF00FF, 0x808080, 0x004080 };
    ResizeMemberTable(Members);
    TotalVisitors = Members;
    VisitorsLeft = 0;
    GroupSize = Members;
    for (int i = 0; i < Members; ++i) {
        StoreMember(i, QStringLiteral("Member %1").arg(i + 1), QDate(1950, 3, 1).addDays(i * 1237),
                    QDate(2024, 6, 15), colours[i]);
    }
    VisitType = QStringLiteral("GROUP");
    IsSelf = false;

    m_chart = new frmBio;
    m_chart->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_chart));
    QCOMPARE(CurrentView, QStringLiteral("Physical"));

    // The pixels of the Physical view, for the report dates as they stand now.
    const ChartCanvas *canvas = m_chart->Canvas();
    const QImage &drawing = canvas->Drawing();
    m_imageSize = drawing.size();
    const float sx = float(m_imageSize.width()) / canvas->ScaleWidth();
    const float sy = float(m_imageSize.height()) / canvas->ScaleHeight();
    const qsizetype stride = drawing.bytesPerLine() / qsizetype(sizeof(QRgb));
    const double P = PhysicalPeriod;
    const double W = canvas->ScaleWidth();
    auto addChain = [&](double Xa, double LastPt) {
        const double start = Xa - (LastPt - Xa);
        if (LastPt >= 0 && start < W)
            m_chains.push_back({ start, std::min(LastPt, W) });
    };
    for (int i = 0; i < TotalVisitors; ++i) {
        Curve curve { fromBgr(VisitorColor[i]), {} };
        double peakX = FirstVertex(i, P, canvas->ScaleWidth());
        while (float(peakX) < canvas->ScaleWidth()) {
            peakX += P / 2;
            if (peakX + P / 4 >= 0) {
                addArc(curve.offsets, peakX, 0, peakX + P / 4, canvas->ScaleHeight(), sx, sy,
                       m_imageSize.width(), m_imageSize.height(), stride);
                addChain(peakX, peakX + P / 4);
            }
            peakX += P / 2;
            if (peakX + P / 4 >= 0) {
                addArc(curve.offsets, peakX, canvas->ScaleHeight(), peakX + P / 4,
                       canvas->ScaleHeight(), sx, sy, m_imageSize.width(), m_imageSize.height(),
                       stride);
                addChain(peakX, peakX + P / 4);
            }
        }
        m_curves.push_back(std::move(curve));
    }
    m_target = QImage(m_imageSize, QImage::Format_RGB32);
    QCOMPARE(m_target.bytesPerLine(), drawing.bytesPerLine());

    qsizetype points = 0;
    for (const Curve &c : m_curves)
        points += qsizetype(c.offsets.size());
    qsizetype steps = 0;
    for (const Chain &c : m_chains) {
        for (double x = c.start; x <= c.stop; x += 0.01)
            ++steps;
    }
    qInfo("canvas image %dx%d, %lld points in the Physical view of %d members, %zu arcs, "
          "%lld additions in their chains",
          m_imageSize.width(), m_imageSize.height(), qlonglong(points), Members, m_chains.size(),
          qlonglong(steps));
}

void BenchChart::cleanupTestCase()
{
    if (m_chart)
        m_chart->close();
    QTRY_VERIFY(m_chart.isNull());
    // The start-up window that leaving the chart brings back.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->parentWidget())
            w->close();
    }
    QTest::qWait(10);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void BenchChart::writeBaseline()
{
    m_target.fill(Qt::white);
    auto *bits = reinterpret_cast<QRgb *>(m_target.bits());
    for (const Curve &curve : m_curves) {
        const QRgb rgb = curve.rgb;
        for (const qsizetype offset : curve.offsets)
            bits[offset] = rgb;
    }
}

double BenchChart::runChains() const
{
    // The sum of the chains' ends keeps the additions from being optimised away.
    double ends = 0;
    for (const Chain &c : m_chains) {
        double x = c.start;
        while (x <= c.stop)
            x += 0.01;
        ends += x;
    }
    return ends;
}

void BenchChart::baselineMatchesView()
{
    // A baseline that writes other pixels than the view would measure something else.
    m_chart->cmdPhysical_Click();
    writeBaseline();
    const QImage &drawing = m_chart->Canvas()->Drawing();
    QCOMPARE(drawing.size(), m_target.size());
    QVERIFY(drawing.convertToFormat(QImage::Format_RGB32) == m_target);
}

void BenchChart::physicalView()
{
    QBENCHMARK
    {
        m_chart->cmdPhysical_Click();
    }
}

void BenchChart::nextDay()
{
    QCOMPARE(modBiorhythm::CurrentView, QStringLiteral("Physical"));
    QBENCHMARK
    {
        m_chart->cmdNextDay_Click();
    }
}

void BenchChart::baseline()
{
    QBENCHMARK
    {
        writeBaseline();
    }
}

void BenchChart::chains()
{
    volatile double sink = 0;
    QBENCHMARK
    {
        sink = runChains();
    }
    Q_UNUSED(sink);
}

void BenchChart::summary()
{
    auto perCall = [](auto &&run) {
        run(); // warm up
        QElapsedTimer timer;
        timer.start();
        for (int n = 0; n < TimedRuns; ++n)
            run();
        return double(timer.nsecsElapsed()) / TimedRuns / 1000.0; // microseconds
    };

    // Rounds of all five, one after the other, so that a busy moment of the machine falls on
    // all of them alike; each figure is the median of its rounds, with the spread beside it.
    struct Figure
    {
        QList<double> runs;
        double median() const { return runs.at(runs.size() / 2); }
        QString text() const
        {
            return QStringLiteral("%1 us per call (%2 .. %3)")
                .arg(median(), 7, 'f', 1)
                .arg(runs.first(), 0, 'f', 1)
                .arg(runs.last(), 0, 'f', 1);
        }
    };
    Figure view, step, pixels, chainFloor, clear;
    volatile double sink = 0;
    for (int round = 0; round < Rounds; ++round) {
        view.runs << perCall([this] { m_chart->cmdPhysical_Click(); });
        step.runs << perCall([this] { m_chart->cmdNextDay_Click(); });
        pixels.runs << perCall([this] { writeBaseline(); });
        chainFloor.runs << perCall([this, &sink] { sink = runChains(); });
        clear.runs << perCall([this] { m_target.fill(Qt::white); });
    }
    Q_UNUSED(sink);
    // Put the dates back where the steps found them.
    for (QDate &d : modBiorhythm::VisitorReportDate)
        d = QDate(2024, 6, 15);
    for (Figure *f : { &view, &step, &pixels, &chainFloor, &clear })
        std::sort(f->runs.begin(), f->runs.end());

    const double toPixels = view.median() / pixels.median();
    const double toChains = view.median() / chainFloor.median();
    qInfo("median of %d rounds of %d calls each, fastest .. slowest round in brackets", Rounds,
          TimedRuns);
    qInfo("Physical view, %d members:  %s", Members, qPrintable(view.text()));
    qInfo("Next-day step, %d members:  %s, target < 1000 us: %s", Members, qPrintable(step.text()),
          step.median() < 1000 ? "met" : "MISSED");
    qInfo("pixel baseline:             %s", qPrintable(pixels.text()));
    qInfo("  of which clearing:        %s", qPrintable(clear.text()));
    qInfo("chain baseline:             %s", qPrintable(chainFloor.text()));
    qInfo("view / pixel baseline:      %7.2f   target <= 3: %s, stretch <= 2: %s", toPixels,
          toPixels <= 3 ? "met" : "MISSED", toPixels <= 2 ? "met" : "MISSED");
    qInfo("view / chain baseline:      %7.2f", toChains);
    qInfo("chain / pixel baseline:     %7.2f   (the additions alone against the writes alone)",
          chainFloor.median() / pixels.median());
}

QTEST_MAIN(BenchChart)
#include "bench_chart.moc"
