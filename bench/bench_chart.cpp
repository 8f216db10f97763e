// How long the chart takes to draw a GROUP of ten, set against the bare cost of the pixels.
//   QT_QPA_PLATFORM=offscreen ./bench_chart
// The baseline writes exactly the pixels the Physical view writes, their addresses worked out
// beforehand, into an image of the canvas's size: what is left over in the view is the
// arithmetic of the curves and the work on the window's controls.
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

#include <cmath>
#include <vector>

namespace {

constexpr int Members = 10;
constexpr int TimedRuns = 300;

// One member's curve: its colour and the pixel offsets (in QRgb units) it sets.
struct Curve
{
    QRgb rgb;
    std::vector<qsizetype> offsets;
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
    void summary();

private:
    void writeBaseline();

    QPointer<frmBio> m_chart;
    QSize m_imageSize;
    QImage m_target;
    std::vector<Curve> m_curves;
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
    const qint32 colours[Members] = {0x0000FF, 0x00A5FF, 0x00C0C0, 0x00A000, 0xC0C000,
                                     0xFF0000, 0x800080, 0xFF00FF, 0x808080, 0x004080};
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
    for (int i = 0; i < TotalVisitors; ++i) {
        Curve curve {fromBgr(VisitorColor[i]), {}};
        double peakX = FirstVertex(i, P, canvas->ScaleWidth());
        while (float(peakX) < canvas->ScaleWidth()) {
            peakX += P / 2;
            if (peakX + P / 4 >= 0)
                addArc(curve.offsets, peakX, 0, peakX + P / 4, canvas->ScaleHeight(), sx, sy,
                       m_imageSize.width(), m_imageSize.height(), stride);
            peakX += P / 2;
            if (peakX + P / 4 >= 0)
                addArc(curve.offsets, peakX, canvas->ScaleHeight(), peakX + P / 4,
                       canvas->ScaleHeight(), sx, sy, m_imageSize.width(), m_imageSize.height(),
                       stride);
        }
        m_curves.push_back(std::move(curve));
    }
    m_target = QImage(m_imageSize, QImage::Format_RGB32);
    QCOMPARE(m_target.bytesPerLine(), drawing.bytesPerLine());

    qsizetype points = 0;
    for (const Curve &c : m_curves)
        points += qsizetype(c.offsets.size());
    qInfo("canvas image %dx%d, %lld points in the Physical view of %d members",
          m_imageSize.width(), m_imageSize.height(), qlonglong(points), Members);
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
    QBENCHMARK {
        m_chart->cmdPhysical_Click();
    }
}

void BenchChart::nextDay()
{
    QCOMPARE(modBiorhythm::CurrentView, QStringLiteral("Physical"));
    QBENCHMARK {
        m_chart->cmdNextDay_Click();
    }
}

void BenchChart::baseline()
{
    QBENCHMARK {
        writeBaseline();
    }
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

    const double view = perCall([this] { m_chart->cmdPhysical_Click(); });
    const double base = perCall([this] { writeBaseline(); });
    const double step = perCall([this] { m_chart->cmdNextDay_Click(); });
    // Put the dates back where the steps found them.
    for (QDate &d : modBiorhythm::VisitorReportDate)
        d = QDate(2024, 6, 15);

    const double ratio = view / base;
    qInfo("Physical view, %d members: %9.1f us per call", Members, view);
    qInfo("Next-day step, %d members: %9.1f us per call (target < 2000 us: %s)", Members, step,
          step < 2000 ? "met" : "MISSED");
    qInfo("Physical baseline:          %9.1f us per call", base);
    qInfo("view / baseline:            %9.2f (target <= 3: %s)", ratio,
          ratio <= 3 ? "met" : "MISSED");
}

QTEST_MAIN(BenchChart)
#include "bench_chart.moc"
