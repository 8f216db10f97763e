// The chart window, driven as a user drives it: views, curves on the canvas, legend,
// explanation panel, day navigation, keyboard and unloading.
#include "chart/ChartCanvas.h"
#include "chart/ChartDescription.h"
#include "chart/InfoTopics.h"
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "platform/Dates.h"
#include "shell/LineControl.h"
#include "shell/PictureButton.h"

#include <QtTest>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <cmath>

using namespace modBiorhythm;

namespace {

struct Member
{
    QString name;
    QDate dob;
    QDate report;
    qint32 color;
};

constexpr qint32 Red = 0x0000FF;
constexpr qint32 Green = 0x00FF00;
constexpr qint32 Blue = 0xFF0000;

void setVisit(const QString &type, bool self, const QList<Member> &members)
{
    ResizeMemberTable(int(members.size()));
    TotalVisitors = qint16(members.size());
    for (int i = 0; i < members.size(); ++i)
        StoreMember(i, members[i].name, members[i].dob, members[i].report, members[i].color);
    VisitorsLeft = 0;
    VisitType = type;
    IsSelf = self;
}

// The worked example: born 1 January 1970, charted on 1 January 2000 (10957 days lived).
QList<Member> y2kSelf()
{
    return {{QStringLiteral("Ann"), QDate(1970, 1, 1), QDate(2000, 1, 1), 0x0080FF}};
}

QList<Member> group(int n)
{
    const qint32 colours[] = {0x0000C0, 0x00A000, 0xC00000, 0x00A0A0, 0xA000A0,
                              0xA0A000, 0x004080, 0x804000, 0x408000, 0x800040};
    QList<Member> members;
    for (int i = 0; i < n; ++i)
        members.append({QStringLiteral("M%1").arg(i), QDate(1960, 3, 1).addDays(97 * i),
                        QDate(2010, 6, 15), colours[i]});
    return members;
}

// Where the cycle of period P stands on chart day x for someone who has lived D days on the
// report date: a chain of parabolic half-waves, from first principles.
double cycleY(qint32 D, double P, double x, double H)
{
    double t = std::fmod(D + (x - 14.0), P);
    if (t < 0)
        t += P;
    const double q = P / 4;
    const double value = t < P / 2 ? 1 - std::pow((t - q) / q, 2) : -(1 - std::pow((t - 3 * q) / q, 2));
    return H / 2 * (1 - value);
}

// Where the curve of period P stands on the report date for someone who has lived D days, read
// off the arc rule as a sighted user reads the chart: what falls within the report date's day
// (half a day either side of its line), otherwise the side of the mid line and the way it
// heads; and the day of the next crossing after it.
struct ArcReading
{
    QString words;
    int daysToNextCrossing;
};

ArcReading readArcRule(qint32 D, double P)
{
    const double q = P / 4;
    auto phase = [&](double x) {
        double t = std::fmod(D + (x - 14.0), P);
        return t < 0 ? t + P : t;
    };
    const double dayStart = phase(13.5);
    auto inDay = [&](double mark) { return std::fmod(mark - dayStart + P, P) < 1.0; };
    ArcReading reading;
    if (inDay(q))
        reading.words = QStringLiteral("at a peak");
    else if (inDay(3 * q))
        reading.words = QStringLiteral("at a trough");
    else if (inDay(0))
        reading.words = QStringLiteral("crossing the mid line that day, upward");
    else if (inDay(2 * q))
        reading.words = QStringLiteral("crossing the mid line that day, downward");
    else {
        const double t = phase(14);
        const bool above = t < 2 * q;
        const bool rising = t < q || t > 3 * q;
        reading.words = QStringLiteral("%1 the mid line and %2")
                            .arg(above ? QStringLiteral("above") : QStringLiteral("below"),
                                 rising ? QStringLiteral("rising") : QStringLiteral("falling"));
    }
    // Walk on from the end of the day to the first point where the curve is on the mid line.
    double x = 14.5;
    while (std::fmod(phase(x), 2 * q) > 1e-9 && std::fmod(phase(x), 2 * q) < 2 * q - 1e-9)
        x += 0.25;
    reading.daysToNextCrossing = int(std::floor(x - 14 + 0.5));
    return reading;
}

// 0x00BBGGRR as the 0x00RRGGBB of an image pixel, alpha left out.
QRgb rgbOf(qint32 bgr)
{
    return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF) & 0xFFFFFF;
}

bool hasColourNear(const QImage &image, int px, int py, QRgb colour, int dx, int dy)
{
    for (int x = px - dx; x <= px + dx; ++x)
        for (int y = py - dy; y <= py + dy; ++y)
            if (image.rect().contains(x, y) && (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

// The arc rule written out plainly, point by point over the whole run: x from the left end by
// repeated addition of 0.01, y on the parabola, both as single-precision points on the canvas
// image, clipped at its edges. The chart may draw it any way it likes as long as the pixels
// come out the same.
struct ReferenceCanvas
{
    QImage image;
    float scaleWidth;
    float scaleHeight;
    int dot; // the side of the square of device pixels each point is

    void set(float x, float y, QRgb rgb)
    {
        const float fx = x * (float(image.width()) / scaleWidth);
        const float fy = y * (float(image.height()) / scaleHeight);
        if (!(fx >= 0 && fy >= 0 && fx < float(image.width()) && fy < float(image.height())))
            return;
        const QPoint corner(int(fx) - (dot - 1) / 2, int(fy) - (dot - 1) / 2);
        for (int dy = 0; dy < dot; ++dy) {
            for (int dx = 0; dx < dot; ++dx) {
                if (image.rect().contains(corner + QPoint(dx, dy)))
                    image.setPixel(corner + QPoint(dx, dy), rgb);
            }
        }
    }

    void parabola(double Xa, double Ya, double LastPt, QRgb rgb)
    {
        const double m = double(scaleHeight) / 2;
        const double k = (m - Ya) / ((LastPt - Xa) * (LastPt - Xa));
        for (double x = Xa - (LastPt - Xa); x <= LastPt; x += 0.01)
            set(float(x), float(k * (x - Xa) * (x - Xa) + Ya), rgb);
    }

    // Troughs and peaks half a period apart from the first trough left of the canvas; an arc
    // is drawn whenever its right end reaches the canvas.
    void cycle(int i, double P, QRgb rgb)
    {
        double peakX = FirstVertex(i, P, scaleWidth);
        while (float(peakX) < scaleWidth) {
            peakX += P / 2;
            if (peakX + P / 4 >= 0)
                parabola(peakX, 0, peakX + P / 4, rgb);
            peakX += P / 2;
            if (peakX + P / 4 >= 0)
                parabola(peakX, scaleHeight, peakX + P / 4, rgb);
        }
    }

    // One view: 0 Physical, 1 Emotional, 2 Intellectual in each member's colour (red for
    // SELF), 3 all three cycles in red, green and blue; every view but the last clears first,
    // and so does the last unless the chart is SELF.
    void view(int which)
    {
        if (which != 3 || !IsSelf)
            image.fill(Qt::white);
        const double periods[] = { PhysicalPeriod, EmotionalPeriod, IntellectualPeriod };
        if (which == 3) {
            const qint32 colours[] = { Red, Green, Blue };
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < TotalVisitors; ++i)
                    cycle(i, periods[c], rgbOf(colours[c]) | 0xFF000000);
            return;
        }
        for (int i = 0; i < TotalVisitors; ++i)
            cycle(i, periods[which], rgbOf(IsSelf ? Red : VisitorColor[i]) | 0xFF000000);
    }
};

// 0 Physical, 1 Emotional, 2 Intellectual, 3 all cycles.
void runView(frmBio *w, int view)
{
    switch (view) {
    case 0: w->cmdPhysical_Click(); break;
    case 1: w->cmdEmotional_Click(); break;
    case 2: w->cmdIntellectual_Click(); break;
    default: w->cmdShowAll_Click(); break;
    }
}

// Where two pictures differ, for the failure message.
QString firstDifference(const QImage &seen, const QImage &expected)
{
    if (seen.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(seen.width())
            .arg(seen.height())
            .arg(expected.width())
            .arg(expected.height());
    int count = 0;
    QPoint first;
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x)
            if ((seen.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF) && count++ == 0)
                first = QPoint(x, y);
    if (count == 0)
        return QString();
    return QStringLiteral("%1 pixels differ, the first at (%2, %3): %4 instead of %5")
        .arg(count)
        .arg(first.x())
        .arg(first.y())
        .arg(seen.pixel(first) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
        .arg(expected.pixel(first) & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

template<typename T>
T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qWarning("no child %s", qPrintable(name));
    return c;
}

QString indexed(const char *name, int i)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}

} // namespace

class TestChart : public QObject
{
    Q_OBJECT

public slots:
    void catchUrl(const QUrl &url) { m_urls.append(url.toString()); }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void layout_data();
    void layout();
    void opensAtTheTopCentred();
    void firstViewFollowsVisitType_data();
    void firstViewFollowsVisitType();
    void curvesPassWhereTheCycleStands_data();
    void curvesPassWhereTheCycleStands();
    void eachMemberFollowsOwnReportDate();
    void viewsClearExceptAllCyclesForSelf();
    void sameViewTwiceGivesTheSamePicture();
    void legendSlots_data();
    void legendSlots();
    void namesShowAsTyped();
    void dayScale_data();
    void dayScale();
    void percentLabelsStandBesideWhatTheyName_data();
    void percentLabelsStandBesideWhatTheyName();
    void dayNavigation();
    void todayGathersEveryone();
    void reportDateStaysInsideTheCalendar();
    void explanationPanel();
    void hoverRules();
    void keyboard();
    void unloadEndsTheVisit();
    void helpEntries();
    void emptyAndBrokenVisitsDoNotCrash();
    void canvasFollowsPixelDensity();
    void drawingMatchesTheArcRule_data();
    void drawingMatchesTheArcRule();
    void everyPhaseReachesEveryColumn_data();
    void everyPhaseReachesEveryColumn();
    void eachViewShowsItsOwnTopic_data();
    void eachViewShowsItsOwnTopic();
    void descriptionSaysWhereTheCurvesStand_data();
    void descriptionSaysWhereTheCurvesStand();

private:
    frmBio *openChart();
    QStringList m_urls;
};

void TestChart::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void TestChart::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "catchUrl");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "catchUrl");
}

void TestChart::cleanup()
{
    // Leaving the chart brings the start-up window back; close whatever is open.
    for (int round = 0; round < 3; ++round) {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isWindow() && w->isVisible())
                w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QVERIFY(!frmBio::Instance());
    ClearMemberTable();
    TotalVisitors = VisitorsLeft = 0;
    m_urls.clear();
}

frmBio *TestChart::openChart()
{
    auto *w = new frmBio;
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("chart window not exposed");
    return w;
}

void TestChart::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("picLeft") << "picLeft" << QRect(8, 12, 54, 35);
    QTest::newRow("picRight") << "picRight" << QRect(721, 12, 54, 35);
    QTest::newRow("picToday") << "picToday" << QRect(364, 0, 54, 35);
    QTest::newRow("picShowAll") << "picShowAll" << QRect(440, 5, 71, 35);
    QTest::newRow("canvas") << "picBiorhythm" << QRect(8, 50, 767, 249);
    QTest::newRow("Frame2") << "Frame2" << QRect(8, 302, 365, 167);
    QTest::newRow("Frame3") << "Frame3" << QRect(374, 302, 399, 167);
    QTest::newRow("picPhysical") << "picPhysical" << QRect(8, 20, 71, 35);
    QTest::newRow("picEmotional") << "picEmotional" << QRect(80, 20, 79, 35);
    QTest::newRow("picIntellectual") << "picIntellectual" << QRect(161, 20, 79, 35);
    QTest::newRow("picBack") << "picBack" << QRect(248, 20, 115, 35);
    QTest::newRow("Picture1(3)") << "Picture1(3)" << QRect(184, 80, 27, 13);
    QTest::newRow("lblName(4)") << "lblName(4)" << QRect(48, 97, 95, 12);
    QTest::newRow("picExplain") << "picExplain" << QRect(6, 14, 245, 13);
    QTest::newRow("lblInfo(1)") << "lblInfo(1)" << QRect(6, 44, 389, 120);
    QTest::newRow("cmdToday") << "cmdToday" << QRect(456, 584, 57, 25);
}

void TestChart::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    setVisit(QStringLiteral("SELF"), true, y2kSelf());
    frmBio *w = openChart();
    QCOMPARE(w->windowTitle(), QStringLiteral("Vantrel v1.0"));
    QCOMPARE(w->centralWidget()->size(), QSize(781, 471));
    QWidget *c = child<QWidget>(w, name);
    QVERIFY(c);
    QCOMPARE(c->geometry(), geometry);
}

void TestChart::opensAtTheTopCentred()
{
    setVisit(QStringLiteral("GROUP"), false, group(3));
    frmBio *w = openChart();
    const QRect screen = w->screen()->geometry();
    QCOMPARE(w->frameGeometry().top(), screen.top());
    // Centred as far as the window frame was known before it was first shown.
    QVERIFY(qAbs(w->frameGeometry().center().x() - screen.center().x()) <= 4);
    // The window cannot be resized.
    QCOMPARE(w->minimumSize(), w->maximumSize());
}

void TestChart::firstViewFollowsVisitType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("self");
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<bool>("allCycles");
    QTest::newRow("SELF") << "SELF" << true << "All" << "Intellectual:" << true;
    QTest::newRow("COUPLE") << "COUPLE" << false << "Physical" << "Physical:" << false;
    QTest::newRow("GROUP") << "GROUP" << false << "Physical" << "Physical:" << false;
    QTest::newRow("saved people") << "" << false << "Physical" << "Physical:" << false;
    QTest::newRow("lower-case self is not SELF") << "self" << true << "Physical" << "Physical:" << false;
}

void TestChart::firstViewFollowsVisitType()
{
    QFETCH(QString, type);
    QFETCH(bool, self);
    QFETCH(QString, view);
    QFETCH(QString, heading);
    QFETCH(bool, allCycles);
    setVisit(type, self, group(2));
    frmBio *w = openChart();
    QCOMPARE(CurrentView, view);
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblInfo(0)"))->text(), heading);
    for (const char *name : {"picShowAll", "lblRedLineFor", "lblGreenLineFor", "lblBlueLineFor"})
        QCOMPARE(child<QWidget>(w, QLatin1String(name))->isVisible(), allCycles);
    QCOMPARE(child<QPushButton>(w, QStringLiteral("cmdShowAll"))->isEnabled(), allCycles);
    QCOMPARE(child<QWidget>(w, QStringLiteral("picShowAll"))->isEnabled(), allCycles);
    QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
}

void TestChart::curvesPassWhereTheCycleStands_data()
{
    QTest::addColumn<int>("view"); // 0 physical, 1 emotional, 2 intellectual, 3 all
    QTest::addColumn<double>("period");
    QTest::addColumn<qint32>("colour");
    // SELF: single-cycle views draw red, the all-cycles view red, green and blue.
    QTest::newRow("physical view") << 0 << 23.0 << Red;
    QTest::newRow("emotional view, red for SELF") << 1 << 28.0 << Red;
    QTest::newRow("intellectual view, red for SELF") << 2 << 33.0 << Red;
    QTest::newRow("all: physical red") << 3 << 23.0 << Red;
    QTest::newRow("all: emotional green") << 3 << 28.0 << Green;
    QTest::newRow("all: intellectual blue") << 3 << 33.0 << Blue;
}

void TestChart::curvesPassWhereTheCycleStands()
{
    QFETCH(int, view);
    QFETCH(double, period);
    QFETCH(qint32, colour);
    setVisit(QStringLiteral("SELF"), true, y2kSelf());
    frmBio *w = openChart();
    switch (view) {
    case 0: w->cmdPhysical_Click(); break;
    case 1: w->cmdEmotional_Click(); break;
    case 2: w->cmdIntellectual_Click(); break;
    default: w->cmdShowAll_Click(); break;
    }
    ChartCanvas *canvas = w->Canvas();
    const QImage image = canvas->Drawing();
    const double H = canvas->ScaleHeight();
    const qint32 D = DaysLived(0);
    QCOMPARE(D, 10957);
    // The worked example's values on the report date: about 25.42, 6.49 and 61.44.
    if (view == 3) {
        const double expected = period == 23 ? 25.42 : period == 28 ? 6.49 : 61.44;
        QVERIFY(qAbs(cycleY(D, period, 14, H) - expected) < 0.01);
    }
    for (double x = 0.5; x < 28; x += 0.75) {
        const QPoint p = canvas->PointPixel(float(x), float(cycleY(D, period, x, H)));
        const int px = p.x();
        const int py = qMin(p.y(), image.height() - 1);
        if (view == 3) {
            // Later cycles cover earlier ones where they meet.
            bool covered = false;
            for (double other : {23.0, 28.0, 33.0})
                covered |= other > period && qAbs(cycleY(D, other, x, H) - cycleY(D, period, x, H)) < 6;
            if (covered)
                continue;
        }
        QVERIFY2(hasColourNear(image, px, py, rgbOf(colour), 0, 3),
                 qPrintable(QStringLiteral("no curve at day %1 (%2, %3)").arg(x).arg(px).arg(py)));
        if (view != 3) {
            // And nowhere else in that column.
            for (int y = 0; y < image.height(); ++y) {
                if (qAbs(y - py) > 8)
                    QVERIFY2((image.pixel(px, y) & 0xFFFFFF) == 0xFFFFFF,
                             qPrintable(QStringLiteral("stray point at %1, %2").arg(px).arg(y)));
            }
        }
    }
    // The report-date column of the worked example.
    const QPoint centre = canvas->PointPixel(14, float(cycleY(D, period, 14, H)));
    QCOMPARE(centre.x(), int(14.0f * (float(image.width()) / 28.0f)));
    QVERIFY(hasColourNear(image, centre.x(), centre.y(), rgbOf(colour), 0, 2));
}

void TestChart::eachMemberFollowsOwnReportDate()
{
    QList<Member> members = group(2);
    members[1].report = members[0].report.addDays(5);
    setVisit(QStringLiteral("COUPLE"), false, members);
    frmBio *w = openChart();
    ChartCanvas *canvas = w->Canvas();
    const QImage image = canvas->Drawing();
    for (int i = 0; i < 2; ++i) {
        for (double x = 1; x < 28; x += 1.5) {
            const double other = cycleY(DaysLived(1 - i), 23, x, canvas->ScaleHeight());
            if (i == 0 && qAbs(other - cycleY(DaysLived(0), 23, x, canvas->ScaleHeight())) < 6)
                continue; // the later member covers the earlier one here
            const QPoint p = canvas->PointPixel(float(x), float(cycleY(DaysLived(i), 23, x, canvas->ScaleHeight())));
            QVERIFY(hasColourNear(image, p.x(), qMin(p.y(), image.height() - 1),
                                  rgbOf(members[i].color), 0, 3));
        }
    }
    // The date label and day numbers follow member 0.
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblDate"))->text(),
             Dates::ShortDateText(members[0].report));
}

void TestChart::viewsClearExceptAllCyclesForSelf()
{
    QPoint marker;
    auto mark = [&](frmBio *w) {
        ChartCanvas::PointWriter(*w->Canvas(), 0x123456).Set(0.2f, 3.3f);
        marker = w->Canvas()->PointPixel(0.2f, 3.3f);
        return (w->Canvas()->Drawing().pixel(marker) & 0xFFFFFF) == rgbOf(0x123456);
    };
    auto marked = [&](frmBio *w) {
        return (w->Canvas()->Drawing().pixel(marker) & 0xFFFFFF) == rgbOf(0x123456);
    };

    setVisit(QStringLiteral("SELF"), true, y2kSelf());
    frmBio *w = openChart();
    QVERIFY(mark(w));
    w->cmdShowAll_Click();
    QVERIFY2(marked(w), "the all-cycles view of a SELF chart draws over what is there");
    w->cmdPhysical_Click();
    QVERIFY(!marked(w));
    w->cmdShowAll_Click();
    QVERIFY(mark(w));
    w->cmdNextDay_Click();
    QVERIFY2(!marked(w), "a day step clears even in the all-cycles view");
    QCOMPARE(CurrentView, QStringLiteral("All"));
    w->close();
    cleanup();

    // One saved person: the all-cycles view clears once.
    setVisit(QStringLiteral("SELF"), false, y2kSelf());
    w = openChart();
    QVERIFY(mark(w));
    w->cmdShowAll_Click();
    QVERIFY(!marked(w));
    for (const qint32 colour : {Red, Green, Blue}) {
        const double period = colour == Red ? 23 : colour == Green ? 28 : 33;
        const QPoint p = w->Canvas()->PointPixel(7, float(cycleY(DaysLived(0), period, 7, w->Canvas()->ScaleHeight())));
        QVERIFY(hasColourNear(w->Canvas()->Drawing(), p.x(), p.y(), rgbOf(colour), 0, 3));
    }
}

void TestChart::sameViewTwiceGivesTheSamePicture()
{
    setVisit(QStringLiteral("GROUP"), false, group(5));
    frmBio *w = openChart();
    const QImage physical = w->Canvas()->Drawing().copy();
    w->cmdEmotional_Click();
    const QImage emotional = w->Canvas()->Drawing().copy();
    QVERIFY(emotional != physical);
    w->cmdEmotional_Click();
    QCOMPARE(w->Canvas()->Drawing(), emotional);
    w->cmdPhysical_Click();
    QCOMPARE(w->Canvas()->Drawing(), physical);
    // What the user sees: the drawing with the grid and numbers above it.
    const QImage seen = w->Canvas()->grab().toImage();
    const qreal dpr = w->Canvas()->devicePixelRatioF();
    QCOMPARE(seen.size(), QSize(767, 249) * dpr);
    const int centre = w->Canvas()->PixelX(14);
    QCOMPARE(seen.pixelColor(int(centre * dpr), int(200 * dpr)), QColor(Qt::black)); // the centre line
}

void TestChart::legendSlots_data()
{
    QTest::addColumn<bool>("self");
    QTest::addColumn<int>("members");
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("whiteBox");
    QTest::newRow("SELF physical: white box") << true << 1 << 0 << true;
    QTest::newRow("SELF emotional: white box") << true << 1 << 1 << true;
    QTest::newRow("SELF all cycles: own colour") << true << 1 << 3 << false;
    QTest::newRow("group of 3 physical") << false << 3 << 0 << false;
    QTest::newRow("group of 10 intellectual") << false << 10 << 2 << false;
}

void TestChart::legendSlots()
{
    QFETCH(bool, self);
    QFETCH(int, members);
    QFETCH(int, view);
    QFETCH(bool, whiteBox);
    const QList<Member> list = group(members);
    setVisit(self ? QStringLiteral("SELF") : QStringLiteral("GROUP"), self, list);
    frmBio *w = openChart();
    switch (view) {
    case 0: w->cmdPhysical_Click(); break;
    case 1: w->cmdEmotional_Click(); break;
    case 2: w->cmdIntellectual_Click(); break;
    default: w->cmdShowAll_Click(); break;
    }
    for (int i = 0; i < 10; ++i) {
        auto *box = child<QFrame>(w, indexed("Picture1", i));
        auto *name = child<QLabel>(w, indexed("lblName", i));
        auto *days = child<QLabel>(w, indexed("lblDayLived", i));
        const bool used = i < members;
        QCOMPARE(box->isVisible(), used);
        QCOMPARE(name->isVisible(), used);
        QCOMPARE(days->isVisibleTo(w), used);
        if (!used)
            continue;
        const QColor expected = whiteBox ? QColor(Qt::white) : QColor(rgbOf(list[i].color));
        QCOMPARE(box->palette().color(QPalette::Window), expected);
        QCOMPARE(name->text(), list[i].name);
        QCOMPARE(days->text(), QStringLiteral("Day Lived %1").arg(list[i].dob.daysTo(list[i].report)));
        // The day-lived labels lie below the client area: current but never seen.
        QVERIFY(days->y() >= w->centralWidget()->height());
    }
}

void TestChart::namesShowAsTyped()
{
    QList<Member> members = group(3);
    members[0].name = QStringLiteral("<b>x</b>");
    members[1].name = QStringLiteral("A&B");
    members[2].name = QStringLiteral("  Zoë  ");
    setVisit(QStringLiteral("GROUP"), false, members);
    frmBio *w = openChart();
    for (int i = 0; i < 3; ++i) {
        auto *name = child<QLabel>(w, indexed("lblName", i));
        QCOMPARE(name->text(), members[i].name);
        QCOMPARE(name->textFormat(), Qt::PlainText);
    }
}

void TestChart::dayScale_data()
{
    QTest::addColumn<QDate>("report");
    QTest::addColumn<QString>("next");  // lblNextDay(0..3)
    QTest::addColumn<QString>("prev");  // lblPrevDay(10..13)
    QTest::newRow("leap February") << QDate(2024, 2, 27) << "28 29 1 2" << "23 24 25 26";
    QTest::newRow("common February") << QDate(2023, 2, 27) << "28 1 2 3" << "23 24 25 26";
    QTest::newRow("on the 31st") << QDate(2023, 1, 31) << "1 2 3 4" << "27 28 29 30";
    QTest::newRow("on the 1st after February") << QDate(2023, 3, 1) << "2 3 4 5" << "25 26 27 28";
    QTest::newRow("on the 1st after July") << QDate(2023, 8, 1) << "2 3 4 5" << "28 29 30 31";
    QTest::newRow("year 100") << QDate(100, 1, 20) << "21 22 23 24" << "16 17 18 19";
}

void TestChart::dayScale()
{
    QFETCH(QDate, report);
    QFETCH(QString, next);
    QFETCH(QString, prev);
    QList<Member> members = group(1);
    members[0].report = report;
    setVisit(QStringLiteral("GROUP"), false, members);
    frmBio *w = openChart();
    QStringList nextSeen, prevSeen;
    for (int i = 0; i < 4; ++i) {
        nextSeen << child<QLabel>(w, indexed("lblNextDay", i))->text();
        prevSeen << child<QLabel>(w, indexed("lblPrevDay", 10 + i))->text();
    }
    QCOMPARE(nextSeen.join(QLatin1Char(' ')), next);
    QCOMPARE(prevSeen.join(QLatin1Char(' ')), prev);
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblNextDay(13)"))->text(),
             QString::number(report.addDays(14).day()));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblPrevDay(0)"))->text(),
             QString::number(report.addDays(-14).day()));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblLeast"))->text(), QStringLiteral("-14"));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblMost"))->text(), QStringLiteral("14"));

    // Numbers stand in their day columns; lines on the day boundaries, the centre line twice as wide.
    ChartCanvas *canvas = w->Canvas();
    for (int i = 0; i < 14; ++i) {
        QCOMPARE(child<QLabel>(w, indexed("lblNextDay", i))->x(), canvas->PixelX(14.2 + i));
        QCOMPARE(child<QLabel>(w, indexed("lblPrevDay", i))->x(), canvas->PixelX(0.2 + i));
    }
    auto *centre = child<LineControl>(w, QStringLiteral("lnVert"));
    QCOMPARE(centre->BorderWidth(), 2);
    QCOMPARE(centre->geometry(), QRect(383, 0, 2, 249));
    for (int i = 0; i < 13; ++i) {
        const auto *nextLine = child<LineControl>(w, indexed("lnVertNext", i));
        const auto *prevLine = child<LineControl>(w, indexed("lnVertPre", i));
        QVERIFY(qAbs(nextLine->From().x() - (15 + i) * 767.0 / 28) < 0.01);
        QVERIFY(qAbs(prevLine->From().x() - (13 - i) * 767.0 / 28) < 0.01);
        QCOMPARE(nextLine->height(), 249);
    }
    QCOMPARE(child<LineControl>(w, QStringLiteral("lnHor"))->geometry(), QRect(0, 125, 767, 1));
    // The date label is centred over the canvas.
    auto *date = child<QLabel>(w, QStringLiteral("lblDate"));
    QCOMPARE(date->text(), Dates::ShortDateText(report));
    QVERIFY(qAbs(date->geometry().center().x() - canvas->geometry().center().x()) <= 1);
}

void TestChart::percentLabelsStandBesideWhatTheyName_data()
{
    QTest::addColumn<bool>("self");
    QTest::addColumn<QDate>("report");
    QTest::addColumn<int>("daySteps");
    QTest::newRow("SELF") << true << QDate(2000, 1, 1) << 0;
    QTest::newRow("GROUP of 10") << false << QDate(2010, 6, 15) << 0;
    QTest::newRow("GROUP of 10, a day later") << false << QDate(2010, 6, 15) << 1;
    QTest::newRow("SELF in the year 9999") << true << QDate(9999, 12, 1) << 0;
}

void TestChart::percentLabelsStandBesideWhatTheyName()
{
    QFETCH(bool, self);
    QFETCH(QDate, report);
    QFETCH(int, daySteps);
    QList<Member> members = self ? y2kSelf() : group(10);
    for (Member &member : members)
        member.report = report;
    setVisit(self ? QStringLiteral("SELF") : QStringLiteral("GROUP"), self, members);
    frmBio *w = openChart();
    for (int i = 0; i < daySteps; ++i)
        w->cmdNextDay_Click();

    ChartCanvas *canvas = w->Canvas();
    QRect dayNumbers;
    for (int i = 0; i < 14; ++i) {
        dayNumbers |= child<QLabel>(w, indexed("lblNextDay", i))->geometry();
        dayNumbers |= child<QLabel>(w, indexed("lblPrevDay", i))->geometry();
    }
    const int midLine = child<LineControl>(w, QStringLiteral("lnHor"))->geometry().top();
    const struct
    {
        const char *name;
        const char *caption;
        int level; // the canvas row the label names
    } labels[] = {
        { "lblPercent(0)", "100%", 0 },
        { "lblPercent(1)", "0%", midLine },
        { "lblPercent(3)", "-100%", canvas->height() - 1 },
    };
    for (const auto &expected : labels) {
        auto *label = child<QLabel>(w, QString::fromLatin1(expected.name));
        QVERIFY(label);
        const QRect box = label->geometry();
        const QByteArray what = QByteArray(expected.name) + " at " + QByteArray::number(box.x())
            + "," + QByteArray::number(box.y());
        QCOMPARE(label->text(), QString::fromLatin1(expected.caption));
        QVERIFY2(label->isVisibleTo(w), what);
        QVERIFY2(canvas->rect().contains(box), what);
        QVERIFY2(label->font().bold(), what);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        // At the right edge, clear of every day number.
        QVERIFY2(canvas->width() - 1 - box.right() <= 4, what);
        QVERIFY2(!box.intersects(dayNumbers), what);
        if (expected.level == 0) {
            // The day numbers run along the top edge: "100%" stands right below them.
            QVERIFY2(box.top() >= dayNumbers.bottom() && box.top() - dayNumbers.bottom() <= 3,
                     what);
        } else {
            // Standing on the line or edge it names.
            QVERIFY2(qAbs(box.bottom() - expected.level) <= 1, what);
        }
    }
}

void TestChart::dayNavigation()
{
    setVisit(QStringLiteral("GROUP"), false, group(4));
    const QList<QDate> start = VisitorReportDate;
    frmBio *w = openChart();
    w->cmdEmotional_Click();
    auto *right = child<PictureButton>(w, QStringLiteral("picRight"));
    auto *left = child<PictureButton>(w, QStringLiteral("picLeft"));
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(right, Qt::LeftButton);
    QTest::mouseClick(left, Qt::LeftButton);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(VisitorReportDate[i], start[i].addDays(2));
    QCOMPARE(CurrentView, QStringLiteral("Emotional"));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblDate"))->text(), Dates::ShortDateText(start[0].addDays(2)));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblNextDay(0)"))->text(),
             QString::number(start[0].addDays(3).day()));
    // Switching the view leaves the dates alone.
    QTest::mouseClick(child<PictureButton>(w, QStringLiteral("picIntellectual")), Qt::LeftButton);
    QCOMPARE(CurrentView, QStringLiteral("Intellectual"));
    QCOMPARE(VisitorReportDate[0], start[0].addDays(2));
    // The drawing after the steps equals a fresh drawing of the moved dates.
    const QImage stepped = w->Canvas()->Drawing().copy();
    w->cmdIntellectual_Click();
    QCOMPARE(w->Canvas()->Drawing(), stepped);
}

void TestChart::todayGathersEveryone()
{
    QList<Member> members = group(3);
    members[1].report = QDate(1999, 1, 1);
    members[2].report = QDate(2030, 7, 7);
    setVisit(QStringLiteral("GROUP"), false, members);
    frmBio *w = openChart();
    QTest::mouseClick(child<PictureButton>(w, QStringLiteral("picToday")), Qt::LeftButton);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(VisitorReportDate[i], QDate::currentDate());
    QCOMPARE(CurrentView, QStringLiteral("Physical"));
}

void TestChart::reportDateStaysInsideTheCalendar()
{
    QList<Member> members = group(2);
    members[0].report = QDate(9999, 12, 31);
    members[1].report = QDate(100, 1, 1);
    setVisit(QStringLiteral("COUPLE"), false, members);
    frmBio *w = openChart();
    w->cmdNextDay_Click();
    QCOMPARE(VisitorReportDate[0], QDate(9999, 12, 31));
    QCOMPARE(VisitorReportDate[1], QDate(100, 1, 2));
    w->cmdPrevDay_Click();
    w->cmdPrevDay_Click();
    QCOMPARE(VisitorReportDate[0], QDate(9999, 12, 29));
    QCOMPARE(VisitorReportDate[1], QDate(100, 1, 1));
}

void TestChart::explanationPanel()
{
    setVisit(QStringLiteral("GROUP"), false, group(2));
    frmBio *w = openChart();
    auto *heading = child<QLabel>(w, QStringLiteral("lblInfo(0)"));
    auto *text = child<QLabel>(w, QStringLiteral("lblInfo(1)"));
    const struct
    {
        InfoTopic topic;
        const char *heading;
        int length;
    } topics[] = {{InfoTopic::General, "General:", 549},
                  {InfoTopic::Physical, "Physical:", 530},
                  {InfoTopic::Emotional, "Emotional:", 510},
                  {InfoTopic::Intellectual, "Intellectual:", 510}};
    for (const auto &t : topics) {
        w->ShowInfoTopic(t.topic);
        QCOMPARE(heading->text(), QLatin1String(t.heading));
        QCOMPARE(text->text(), InfoTopics::Text(t.topic));
        QCOMPARE(text->text().size(), t.length);
    }
    // A topic already shown is not written again.
    text->setText(QStringLiteral("unchanged"));
    w->ShowInfoTopic(InfoTopic::Intellectual);
    QCOMPARE(text->text(), QStringLiteral("unchanged"));
    w->cmdEmotional_Click();
    QCOMPARE(heading->text(), QStringLiteral("Emotional:"));
    QCOMPARE(text->text(), InfoTopics::Text(InfoTopic::Emotional));
}

void TestChart::hoverRules()
{
    setVisit(QStringLiteral("SELF"), true, y2kSelf());
    frmBio *w = openChart();
    w->cmdPhysical_Click();
    auto *heading = child<QLabel>(w, QStringLiteral("lblInfo(0)"));
    auto move = [](QWidget *target, QPoint pos) {
        QMouseEvent event(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    QCOMPARE(heading->text(), QStringLiteral("Physical:"));
    move(child<QWidget>(w, QStringLiteral("lblGreenLineFor")), {3, 3});
    QCOMPARE(heading->text(), QStringLiteral("Emotional:"));
    move(child<QWidget>(w, QStringLiteral("lblBlueLineFor")), {3, 3});
    QCOMPARE(heading->text(), QStringLiteral("Intellectual:"));
    move(child<QWidget>(w, QStringLiteral("lblRedLineFor")), {3, 3});
    QCOMPARE(heading->text(), QStringLiteral("Physical:"));
    // The caption of the heading strip takes its moves and does nothing with them ...
    auto *caption = child<QLabel>(w, QStringLiteral("lblGreen"));
    move(caption, {10, 5});
    QCOMPARE(heading->text(), QStringLiteral("Physical:"));
    // ... the strip's uncovered band right of the caption shows the general topic.
    auto *strip = child<QWidget>(w, QStringLiteral("picExplain"));
    QVERIFY(caption->width() < strip->width());
    move(strip, QPoint(strip->width() - 2, 5));
    QCOMPARE(heading->text(), QStringLiteral("General:"));
    // Moving away leaves the topic in place.
    move(w->Canvas(), QPoint(50, 50));
    QCOMPARE(heading->text(), QStringLiteral("General:"));
}

void TestChart::keyboard()
{
    setVisit(QStringLiteral("GROUP"), false, group(3));
    const QDate start = VisitorReportDate[0];
    frmBio *w = openChart();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    // An access key presses its button the way a click does, a moment later.
    QTest::keyClick(w, Qt::Key_E, Qt::AltModifier);
    QTRY_COMPARE(CurrentView, QStringLiteral("Emotional"));
    QTest::keyClick(w, Qt::Key_I, Qt::AltModifier);
    QTRY_COMPARE(CurrentView, QStringLiteral("Intellectual"));
    QTest::keyClick(w, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(CurrentView, QStringLiteral("Physical"));
    w->cmdNextDay_Click();
    QCOMPARE(VisitorReportDate[0], start.addDays(1));
    QTest::keyClick(w, Qt::Key_Return);
    QCOMPARE(VisitorReportDate[0], QDate::currentDate());
    QVERIFY(child<QPushButton>(w, QStringLiteral("cmdToday"))->isDefault());
    // The menu entries run the same views.
    child<QAction>(w, QStringLiteral("mnuEmotional"))->trigger();
    QCOMPARE(CurrentView, QStringLiteral("Emotional"));
    QPointer<frmBio> chart = w;
    QTest::keyClick(w, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(!chart);
}

void TestChart::unloadEndsTheVisit()
{
    const char *ways[] = {"mnuBack", "mnuExit", "picBack", "cmdBack", "close box"};
    for (const char *way : ways) {
        setVisit(QStringLiteral("SELF"), true, y2kSelf());
        UsedColors.fill(0x55);
        UsedColorCount = 3;
        CurrentView.clear();
        QPointer<frmBio> w = openChart();
        const QString name = QLatin1String(way);
        if (name.startsWith(QLatin1String("mnu")))
            child<QAction>(w, name)->trigger();
        else if (name == QLatin1String("picBack"))
            QTest::mouseClick(child<QWidget>(w, name), Qt::LeftButton);
        else if (name == QLatin1String("cmdBack"))
            child<QPushButton>(w, name)->click();
        else
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(!w, way);
        QCOMPARE(MemberCount(), 0);
        QCOMPARE(TotalVisitors, qint16(0));
        QCOMPARE(VisitorsLeft, qint16(0));
        // The unload zeroes every used colour; the start-up window it brings back then
        // frees slots 0 to 9 for the next visit, so slot 10 still shows the unload's 0.
        QCOMPARE(UsedColors[10], 0);
        for (int slot = 0; slot < 10; ++slot)
            QCOMPARE(UsedColors[slot], -1);
        QCOMPARE(UsedColorCount, qint16(0));
        QCOMPARE(CurrentView, QStringLiteral("All"));
        QCOMPARE(VisitType, QStringLiteral("SELF"));
        cleanup();
    }
}

void TestChart::helpEntries()
{
    setVisit(QStringLiteral("GROUP"), false, group(2));
    frmBio *w = openChart();
    child<QAction>(w, QStringLiteral("mnuOnlineHelp"))->trigger();
    child<QAction>(w, QStringLiteral("mnuVisitUsOnline"))->trigger();
    QCOMPARE(m_urls, QStringList({QStringLiteral(VANTREL_TEST_SITE "/vantrel-help/"),
                                  QStringLiteral(VANTREL_TEST_SITE)}));
}

void TestChart::emptyAndBrokenVisitsDoNotCrash()
{
    // Counters that promise more members than the table holds, and members without dates.
    ResizeMemberTable(2);
    StoreMember(0, QStringLiteral("no dates"), QDate(), QDate(), 0xFF);
    StoreMember(1, QStringLiteral("no birth"), QDate(), QDate(2000, 1, 1), 0xFF00);
    TotalVisitors = 5;
    VisitType = QStringLiteral("GROUP");
    IsSelf = false;
    frmBio *w = openChart();
    w->cmdShowAll_Click();
    w->cmdNextDay_Click();
    w->cmdToday_Click();
    w->cmdEmotional_Click();
    QCOMPARE(CurrentView, QStringLiteral("Emotional"));
    w->close();
    cleanup();

    ClearMemberTable();
    TotalVisitors = 3;
    w = openChart();
    w->cmdPrevDay_Click();
    w->LayoutDayScale();
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblDate"))->text(), QString());
    w->Parabola(10, 0, 5, Red); // a right end left of the vertex draws nothing
    QCOMPARE(w->Canvas()->Drawing().pixel(w->Canvas()->PointPixel(10, 0)) & 0xFFFFFF, 0xFFFFFFu);
}

void TestChart::canvasFollowsPixelDensity()
{
    // Run once as it is and once under QT_SCALE_FACTOR=2: the drawing has a pixel for every
    // device pixel, so curves stay sharp, while the layout keeps its size.
    setVisit(QStringLiteral("SELF"), true, y2kSelf());
    frmBio *w = openChart();
    const qreal dpr = w->devicePixelRatioF();
    const QImage &drawing = w->Canvas()->Drawing();
    QCOMPARE(drawing.devicePixelRatio(), dpr);
    QCOMPARE(drawing.size(), QSize(767, 249) * dpr);
    QCOMPARE(w->Canvas()->size(), QSize(767, 249));
    QCOMPARE(w->centralWidget()->size(), QSize(781, 471));
    const QPixmap face = child<QLabel>(w, QStringLiteral("picToday"))->pixmap();
    QCOMPARE(face.devicePixelRatio(), dpr);
    QCOMPARE(face.deviceIndependentSize().toSize(), QSize(54, 35));
}

void TestChart::drawingMatchesTheArcRule_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("members");
    QTest::addColumn<QList<QDate>>("dates"); // birth and report date of each member in turn
    const QList<QDate> y2k = { QDate(1970, 1, 1), QDate(2000, 1, 1) };
    QList<QDate> ten;
    for (const Member &m : group(10))
        ten << m.dob << m.report;
    QTest::newRow("SELF") << "SELF" << 1 << y2k;
    QTest::newRow("COUPLE") << "COUPLE" << 2
                            << QList<QDate> { QDate(1981, 7, 9), QDate(2024, 6, 15),
                                              QDate(1979, 2, 28), QDate(2024, 6, 15) };
    QTest::newRow("GROUP of 10") << "GROUP" << 10 << ten;
    QTest::newRow("report dates far apart")
        << "GROUP" << 3
        << QList<QDate> { QDate(100, 1, 1),   QDate(100, 1, 20), QDate(1960, 3, 1),
                          QDate(2010, 6, 15), QDate(100, 1, 1),  QDate(9999, 12, 31) };
    QTest::newRow("negative days lived") << "COUPLE" << 2
                                         << QList<QDate> { QDate(2020, 5, 5), QDate(2000, 1, 1),
                                                           QDate(2000, 1, 2), QDate(2000, 1, 1) };
    QTest::newRow("SELF, negative days lived")
        << "SELF" << 1 << QList<QDate> { QDate(2001, 3, 3), QDate(2000, 1, 1) };
}

void TestChart::drawingMatchesTheArcRule()
{
    QFETCH(QString, type);
    QFETCH(int, members);
    QFETCH(QList<QDate>, dates);
    QList<Member> list = group(members);
    for (int i = 0; i < members; ++i) {
        list[i].dob = dates[2 * i];
        list[i].report = dates[2 * i + 1];
    }
    const bool self = type == QLatin1String("SELF");
    setVisit(type, self, list);
    frmBio *w = openChart();
    const ChartCanvas *canvas = w->Canvas();
    ReferenceCanvas reference { QImage(canvas->Drawing().size(), QImage::Format_RGB32),
                                canvas->ScaleWidth(), canvas->ScaleHeight(), canvas->DotSize() };
    reference.image.fill(Qt::white);
    auto check = [&](const char *step) {
        const QString difference = firstDifference(canvas->Drawing(), reference.image);
        QVERIFY2(difference.isEmpty(),
                 qPrintable(QLatin1String(step) + QLatin1String(": ") + difference));
    };
    // The first view of the load, then every view in turn, and a day step.
    reference.view(self ? 3 : 0);
    check("at load");
    w->cmdPhysical_Click();
    reference.view(0);
    check("Physical");
    w->cmdEmotional_Click();
    reference.view(1);
    check("Emotional");
    w->cmdIntellectual_Click();
    reference.view(2);
    check("Intellectual");
    if (self) {
        w->cmdShowAll_Click();
        reference.view(3);
        check("all cycles over the Intellectual view");
    }
    w->cmdPrevDay_Click();
    w->cmdNextDay_Click();
    w->cmdNextDay_Click();
    reference.image.fill(Qt::white); // a day step clears even in the all-cycles view
    reference.view(self ? 3 : 2);
    check("a day on");
}

void TestChart::everyPhaseReachesEveryColumn_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("period");
    QTest::newRow("Physical") << 0 << 23;
    QTest::newRow("Emotional") << 1 << 28;
    QTest::newRow("Intellectual") << 2 << 33;
}

void TestChart::everyPhaseReachesEveryColumn()
{
    // Each phase puts the arcs elsewhere against the canvas edges, and an arc that reaches into
    // the canvas from either side must show there. Every column of the canvas holds the curve,
    // where the cycle stands in that column, and nothing else.
    QFETCH(int, view);
    QFETCH(int, period);
    setVisit(QStringLiteral("GROUP"), false, group(1));
    frmBio *w = openChart();
    ChartCanvas *canvas = w->Canvas();
    const double H = canvas->ScaleHeight();
    const QDate birth = VisitorDob[0];
    const QRgb colour = rgbOf(VisitorColor[0]);
    for (int phase = 0; phase < period; ++phase) {
        VisitorReportDate[0] = birth.addDays(100 * period + phase);
        runView(w, view);
        const qint32 D = DaysLived(0);
        QCOMPARE(D % period, phase);
        const QImage &image = canvas->Drawing();
        const double daysPerPixel = double(canvas->ScaleWidth()) / image.width();
        for (int px = 0; px < image.width(); ++px) {
            // The curve's extent over the column and the columns whose dots reach into it,
            // widened by two pixels for the rounding and by the dots' reach.
            const int reach = canvas->DotSize() - 1;
            double low = H, high = 0;
            for (int s = -4 * reach; s <= 4; ++s) {
                const double y = cycleY(D, period, (px + s / 4.0) * daysPerPixel, H);
                low = qMin(low, y);
                high = qMax(high, y);
            }
            const int top = int(low * image.height() / H) - 2 - reach;
            const int bottom = int(high * image.height() / H) + 2 + reach;
            bool found = false;
            for (int y = 0; y < image.height(); ++y) {
                const QRgb pixel = reinterpret_cast<const QRgb *>(image.constScanLine(y))[px];
                const bool curve = (pixel & 0xFFFFFF) == colour;
                if (curve && (y < top || y > bottom))
                    QFAIL(qPrintable(QStringLiteral("phase %1: stray point at (%2, %3)")
                                         .arg(phase)
                                         .arg(px)
                                         .arg(y)));
                found |= curve;
            }
            // Next to a trough's vertex every point of a column may fall on the bottom edge,
            // which is the first row below the canvas.
            const bool onBottomEdge = (H - high) * image.height() / H < 1;
            if (!found && !onBottomEdge)
                QFAIL(qPrintable(QStringLiteral("phase %1: no curve in column %2 (rows %3-%4)")
                                     .arg(phase)
                                     .arg(px)
                                     .arg(top)
                                     .arg(bottom)));
        }
    }
}

void TestChart::eachViewShowsItsOwnTopic_data()
{
    QTest::addColumn<int>("before"); // 0 Physical, 1 Emotional, 2 Intellectual, 3 all cycles
    QTest::addColumn<int>("after");
    const char *names[] = { "Physical", "Emotional", "Intellectual", "all cycles" };
    for (int before = 0; before < 4; ++before)
        for (int after = 0; after < 4; ++after)
            QTest::newRow(
                qPrintable(QStringLiteral("%1, then %2")
                               .arg(QLatin1String(names[before]), QLatin1String(names[after]))))
                << before << after;
}

void TestChart::eachViewShowsItsOwnTopic()
{
    QFETCH(int, before);
    QFETCH(int, after);
    setVisit(QStringLiteral("SELF"), true, y2kSelf());
    frmBio *w = openChart();
    // The all-cycles view ends on the Intellectual topic, the cycle it draws last.
    const InfoTopic topics[] = { InfoTopic::Physical, InfoTopic::Emotional, InfoTopic::Intellectual,
                                 InfoTopic::Intellectual };
    const char *views[] = { "Physical", "Emotional", "Intellectual", "All" };
    runView(w, before);
    runView(w, after);
    QCOMPARE(CurrentView, QLatin1String(views[after]));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblInfo(0)"))->text(),
             InfoTopics::Heading(topics[after]));
    QCOMPARE(child<QLabel>(w, QStringLiteral("lblInfo(1)"))->text(),
             InfoTopics::Text(topics[after]));
}

void TestChart::descriptionSaysWhereTheCurvesStand_data()
{
    // Days lived on the report date pick the phase: a Physical peak falls on day 6 of 23, a
    // trough on day 17, the downward crossing on day 12 and the upward one on day 0.
    QTest::addColumn<QString>("type");
    QTest::addColumn<QList<int>>("daysLived"); // per member
    QTest::addColumn<int>("view"); // 0 Physical, 1 Emotional, 2 Intellectual, 3 all
    QTest::addColumn<int>("daysOn"); // Next Day pressed this often
    QTest::addColumn<QString>("first"); // what the first cycle of the first member does
    QTest::addColumn<int>("crossingIn"); // and in how many days it next crosses

    QTest::newRow("SELF, Physical peak")
        << "SELF" << QList<int> { 2306 } << 0 << 0 << "at a peak" << 6;
    QTest::newRow("SELF, Physical trough")
        << "SELF" << QList<int> { 2317 } << 0 << 0 << "at a trough" << 6;
    QTest::newRow("SELF, crossing downward") << "SELF" << QList<int> { 2312 } << 0 << 0
                                             << "crossing the mid line that day, downward" << 11;
    QTest::newRow("SELF, crossing upward") << "SELF" << QList<int> { 2323 } << 0 << 0
                                           << "crossing the mid line that day, upward" << 12;
    QTest::newRow("SELF, Emotional peak")
        << "SELF" << QList<int> { 2807 } << 1 << 0 << "at a peak" << 7;
    QTest::newRow("SELF, Intellectual peak")
        << "SELF" << QList<int> { 3308 } << 2 << 0 << "at a peak" << 9;
    QTest::newRow("SELF, all cycles")
        << "SELF" << QList<int> { 2306 } << 3 << 0 << "at a peak" << 6;
    QTest::newRow("SELF, above and falling")
        << "SELF" << QList<int> { 2310 } << 0 << 0 << "above the mid line and falling" << 2;
    QTest::newRow("SELF, below and rising")
        << "SELF" << QList<int> { 2320 } << 0 << 0 << "below the mid line and rising" << 3;
    QTest::newRow("a day step onto a crossing") << "SELF" << QList<int> { 2311 } << 0 << 1
                                                << "crossing the mid line that day, downward" << 11;
    QTest::newRow("a day step across a crossing")
        << "SELF" << QList<int> { 2311 } << 0 << 2 << "below the mid line and falling" << 10;
    QTest::newRow("GROUP, Physical")
        << "GROUP" << QList<int> { 2317, 2306, 2312 } << 0 << 0 << "at a trough" << 6;
    QTest::newRow("GROUP, Emotional")
        << "GROUP" << QList<int> { 2821, 2800, 2814 } << 1 << 0 << "at a trough" << 7;
    QTest::newRow("GROUP, Intellectual, a day on")
        << "GROUP" << QList<int> { 3307, 3300, 3316 } << 2 << 1 << "at a peak" << 9;
}

void TestChart::descriptionSaysWhereTheCurvesStand()
{
    QFETCH(QString, type);
    QFETCH(QList<int>, daysLived);
    QFETCH(int, view);
    QFETCH(int, daysOn);
    QFETCH(QString, first);
    QFETCH(int, crossingIn);

    const QDate report(2024, 6, 15);
    QList<Member> members = group(int(daysLived.size()));
    for (int i = 0; i < daysLived.size(); ++i) {
        members[i].name = QStringLiteral("P%1").arg(i);
        members[i].report = report;
        members[i].dob = report.addDays(-daysLived[i]);
    }
    const bool self = type == QLatin1String("SELF");
    setVisit(type, self, members);
    frmBio *w = openChart();
    runView(w, view);
    for (int i = 0; i < daysOn; ++i)
        w->cmdNextDay_Click();

    const QString text = ChartDescription::Text(w->Canvas()->ScaleWidth());
    const QDate day = report.addDays(daysOn);
    QVERIFY2(text.startsWith(QStringLiteral("Report date ") + ChartDescription::SpokenDate(day)
                             + QLatin1Char('.')),
             qPrintable(text));
    // The first cycle as the table has it, then every member and cycle against the arc rule.
    const QString expectedFirst
        = QStringLiteral("P0, %1: %2; next crossing %3.")
              .arg(QLatin1String(view == 3       ? "Physical"
                                     : view == 0 ? "Physical"
                                     : view == 1 ? "Emotional"
                                                 : "Intellectual"),
                   first, ChartDescription::SpokenDate(day.addDays(crossingIn)));
    QVERIFY2(text.contains(expectedFirst),
             qPrintable(text + QLatin1String("\nwanted: ") + expectedFirst));
    const struct
    {
        const char *name;
        double period;
    } cycles[] = { { "Physical", PhysicalPeriod },
                   { "Emotional", EmotionalPeriod },
                   { "Intellectual", IntellectualPeriod } };
    int told = 0;
    for (int i = 0; i < daysLived.size(); ++i) {
        for (int c = 0; c < 3; ++c) {
            const bool inView = view == 3 || view == c;
            const ArcReading reading = readArcRule(daysLived[i] + daysOn, cycles[c].period);
            const QString said
                = QStringLiteral("P%1, %2: %3; next crossing %4.")
                      .arg(i)
                      .arg(QLatin1String(cycles[c].name), reading.words,
                           ChartDescription::SpokenDate(day.addDays(reading.daysToNextCrossing)));
            QCOMPARE(text.contains(said), inView);
            told += inView;
        }
    }
    QCOMPARE(text.count(QStringLiteral("next crossing")), told);
    // No value: the chart prints none, and neither does its description.
    QVERIFY(!text.contains(QLatin1Char('%')));

    // What assistive technology reads off the canvas, and what the last step announced.
    QAccessibleInterface *canvas = QAccessible::queryAccessibleInterface(w->Canvas());
    QVERIFY(canvas);
    QCOMPARE(canvas->role(), QAccessible::Chart);
    QCOMPARE(canvas->text(QAccessible::Description), text);
    QCOMPARE(canvas->text(QAccessible::Name),
             QStringLiteral("Biorhythm chart of ") + ChartDescription::People());
    auto *announcer = w->findChild<QWidget *>(QStringLiteral("announcer"));
    QVERIFY(announcer);
    QVERIFY2(announcer->accessibleName().endsWith(text), qPrintable(announcer->accessibleName()));
    QCOMPARE(announcer->size(), QSize(0, 0));
    w->close();
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
