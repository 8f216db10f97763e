// The window chrome: button pictures, the rollover rule, the web pages and the About window.
#include "chart/ChartCanvas.h"
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "shell/AppIcon.h"
#include "shell/ButtonImages.h"
#include "shell/ImageList.h"
#include "shell/LineControl.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"
#include "shell/frmAbout.h"
#include "shell/modRegistry.h"
#include "startup/frmAtFirst.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <functional>

namespace {

enum class ListId { StartupImg2, StartupImg, ChartImg, AboutImg };

const ImageList &listOf(ListId id)
{
    switch (id) {
    case ListId::StartupImg2:
        return ButtonImages::StartupImg2();
    case ListId::StartupImg:
        return ButtonImages::StartupImg();
    case ListId::ChartImg:
        return ButtonImages::ChartImg();
    case ListId::AboutImg:
        break;
    }
    return ButtonImages::AboutImg();
}

// What a user does to a button, one step at a time. Drag is a move with the left button held,
// the only way a button hears of moves outside itself.
enum class Act { Enter, Leave, Move, Drag, Disable };
struct Step
{
    Act act;
    QPointF pos;
};
using Steps = QList<Step>;
using Opener = void (*)();

bool sameImage(const QPixmap &a, const QPixmap &b)
{
    return !a.isNull() && !b.isNull() && a.toImage() == b.toImage();
}

bool showsPosition(const PictureButton *button, int position)
{
    return sameImage(button->pixmap(), button->List().Picture(position));
}

void sendMove(QWidget *widget, QPointF pos, Qt::MouseButtons buttons)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void sendEnter(QWidget *widget, QPointF pos)
{
    QEnterEvent enter(pos, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &enter);
}

void sendLeave(QWidget *widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

// Counts the paints a widget receives, to tell a picture that was set again from one that
// was left alone.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *watched)
        : QObject(watched)
    {
        watched->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Runs `answer` on the next modal window as soon as it is up. A window the answer fails to
// close is closed anyway a little later, so a broken close cannot hang the test run.
struct ModalAnswer
{
    bool found = false;
    QString className;
    QPointer<QWidget> seen;
    bool closedByFallback = false;
};

void answerNextModal(ModalAnswer *result, std::function<void(QWidget *)> answer)
{
    auto *poll = new QTimer(qApp);
    auto deadline = std::make_shared<QDeadlineTimer>(5000);
    QObject::connect(poll, &QTimer::timeout, qApp, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && !deadline->hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (!modal)
            return;
        result->found = true;
        result->className = QString::fromLatin1(modal->metaObject()->className());
        result->seen = modal;
        answer(modal);
        QTimer::singleShot(2000, qApp, [=] {
            if (result->seen && result->seen->isVisible()) {
                result->closedByFallback = true;
                result->seen->close();
            }
        });
    });
    poll->start(10);
}

// A window with a text box and then a picture button, as a panel has them.
struct ButtonHost
{
    ButtonHost()
    {
        // No layout: a picture button keeps the size of its picture.
        box->setParent(&window);
        button->setParent(&window);
        button->move(0, 40);
        window.resize(200, 100);
        QObject::connect(button, &PictureButton::clicked, &window, [this] { ++clicks; });
    }

    bool open()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    QWidget window;
    QLineEdit *box = new QLineEdit;
    PictureButton *button = new PictureButton(ButtonImages::AboutImg(), 1, 2, QStringLiteral("OK"));
    int clicks = 0;
};

QImage asImage(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

Q_DECLARE_METATYPE(ListId)
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(Opener)

class TestShell : public QObject
{
    Q_OBJECT

public slots:
    void catchUrl(const QUrl &url) { m_opened.append(url); }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void imageListSizes_data();
    void imageListSizes();
    void buttonPicturePairs_data();
    void buttonPicturePairs();
    void startupButtonsShowTheirPictures_data();
    void startupButtonsShowTheirPictures();
    void windowIconAnswersAsDrawn_data();
    void windowIconAnswersAsDrawn();

    void rollover_data();
    void rollover();
    void movingWithinHighlightedButtonReloadsNothing();
    void realPointerAcrossNeighbours();
    void click_data();
    void click();

    void chartPictureButtons_data();
    void chartPictureButtons();
    void chartBackButtonUnderPointer();

    void pageAddresses_data();
    void pageAddresses();
    void chartHelpEntries_data();
    void chartHelpEntries();
    void chartHelpMenuShowsNoHiddenEntries();

    void aboutLayout_data();
    void aboutLayout();
    void aboutFromChart_data();
    void aboutFromChart();

    void pictureButtonKeys_data();
    void pictureButtonKeys();
    void focusRingLeavesPictures();
    void accessiblePress_data();
    void accessiblePress();
    void chartKeyboard();

private:
    frmBio *openChart();
    static void closeChart(frmBio *chart);
    static void closeStartupWindow();

    QList<QUrl> m_opened;
};

void TestShell::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The start-up window takes the one-copy lock in the runtime folder; a private one keeps
    // test programs that run side by side from taking each other for a second copy.
    // (Made before the lock, it goes after the lock at exit, so the lock can remove its file.)
    static QTemporaryDir temp;
    QVERIFY(temp.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(temp.path()));
    // Nothing here may reach a real browser.
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "catchUrl");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "catchUrl");
}

void TestShell::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void TestShell::init()
{
    m_opened.clear();
}

void TestShell::cleanup()
{
    // Windows closed with WA_DeleteOnClose go on the next pass of the event loop.
    (void)QTest::qWaitFor([] { return QApplication::topLevelWidgets().isEmpty(); }, 2000);
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        names << QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ')
                + w->objectName();
    }
    // A leftover would spoil every later case; remove it before failing this one. Closing
    // one window may open another (the chart brings back the start-up window), hence rounds.
    for (int round = 0; round < 3 && !QApplication::topLevelWidgets().isEmpty(); ++round) {
        QList<QPointer<QWidget>> owned;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (!w->parentWidget())
                owned.append(w);
        }
        for (const QPointer<QWidget> &w : owned) {
            if (w) {
                w->setAttribute(Qt::WA_DeleteOnClose, false);
                w->close();
            }
            delete w.data();
        }
    }
    QVERIFY2(names.isEmpty(), qPrintable(names.join(QStringLiteral(", "))));
}

frmBio *TestShell::openChart()
{
    using namespace modBiorhythm;
    ResizeMemberTable(1);
    TotalVisitors = 1;
    VisitorsLeft = 0;
    StoreMember(0, QStringLiteral("A"), QDate(1970, 1, 1), QDate(2000, 1, 1), 0xFF);
    VisitType = QStringLiteral("SELF");
    IsSelf = true;
    auto *chart = new frmBio;
    chart->show();
    if (!QTest::qWaitForWindowExposed(chart))
        qWarning("chart window not exposed");
    return chart;
}

void TestShell::closeChart(frmBio *chart)
{
    QPointer<frmBio> guard = chart;
    if (guard)
        guard->close();
    QTRY_VERIFY(guard.isNull());
    closeStartupWindow();
}

void TestShell::closeStartupWindow()
{
    // Leaving the chart brings back the start-up window; it is not under test here.
    QPointer<QWidget> start;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmAtFirst *>(w))
            start = w;
    }
    if (start)
        start->close();
    QTRY_VERIFY(start.isNull());
}

// ---------------------------------------------------------------------------------------------
// Image lists

void TestShell::imageListSizes_data()
{
    QTest::addColumn<ListId>("list");
    QTest::addColumn<int>("count");
    QTest::addColumn<QSize>("nominal");

    QTest::newRow("start-up IMG2") << ListId::StartupImg2 << 14 << QSize(115, 35);
    QTest::newRow("start-up IMG") << ListId::StartupImg << 40 << QSize(103, 35);
    QTest::newRow("chart IMG") << ListId::ChartImg << 16 << QSize(71, 35);
    QTest::newRow("About IMG") << ListId::AboutImg << 2 << QSize(54, 35);
}

void TestShell::imageListSizes()
{
    QFETCH(ListId, list);
    QFETCH(int, count);
    QFETCH(QSize, nominal);

    const ImageList &images = listOf(list);
    QCOMPARE(images.Count(), count);
    QCOMPARE(images.NominalSize(), nominal);
    // Every position holds a real picture; those beyond the list hold none.
    for (int position = 1; position <= count; ++position) {
        QVERIFY2(!images.Picture(position).isNull(), qPrintable(QString::number(position)));
        QCOMPARE(images.Picture(position).height(), 35);
        // Buttons take their size from this before the picture is drawn.
        QCOMPARE(images.PictureSize(position),
                 images.Picture(position).deviceIndependentSize().toSize());
    }
    QVERIFY(images.Picture(0).isNull());
    QVERIFY(images.Picture(count + 1).isNull());
    QVERIFY(images.PictureSize(0).isEmpty());
    QVERIFY(images.PictureSize(count + 1).isEmpty());
}

void TestShell::buttonPicturePairs_data()
{
    QTest::addColumn<ListId>("list");
    QTest::addColumn<int>("normal");
    QTest::addColumn<QString>("normalKey");
    QTest::addColumn<QString>("hoverKey");
    QTest::addColumn<int>("width");

    const struct
    {
        ListId list;
        const char *listName;
        int normal;
        const char *key;
        const char *hoverSuffix;
        int width;
    } rows[] = {
        { ListId::StartupImg2, "IMG2", 1, "back_to_main", "_hyper", 115 },
        { ListId::StartupImg2, "IMG2", 3, "back", "_hyper", 68 },
        { ListId::StartupImg2, "IMG2", 5, "show_chart", "_hyper", 111 },
        { ListId::StartupImg2, "IMG2", 7, "next", "_hyper", 68 },
        { ListId::StartupImg2, "IMG2", 9, "view_result", "_hyper", 121 },
        { ListId::StartupImg2, "IMG2", 11, "save_information", "_hyper", 158 },
        { ListId::StartupImg2, "IMG2", 13, "recall_information", "_hyper", 158 },
        { ListId::StartupImg, "start-up IMG", 27, "back", "-hyper", 71 },
        { ListId::StartupImg, "start-up IMG", 29, "deselect-all", "-hyper", 71 },
        { ListId::StartupImg, "start-up IMG", 31, "select-all", "-hyper", 71 },
        { ListId::StartupImg, "start-up IMG", 39, "remove", "-hyper", 71 },
        { ListId::ChartImg, "chart IMG", 1, "physical", "_hyper", 71 },
        { ListId::ChartImg, "chart IMG", 3, "emotional", "_hyper", 79 },
        { ListId::ChartImg, "chart IMG", 5, "intellectual", "_hyper", 79 },
        { ListId::ChartImg, "chart IMG", 7, "show_all", "_hyper", 71 },
        { ListId::ChartImg, "chart IMG", 9, "left", "_hyper", 54 },
        { ListId::ChartImg, "chart IMG", 11, "right", "_hyper", 54 },
        { ListId::ChartImg, "chart IMG", 13, "today", "_hyper", 54 },
        { ListId::AboutImg, "About IMG", 1, "ok", "-hyper", 54 },
    };
    for (const auto &r : rows) {
        const QString key = QString::fromLatin1(r.key);
        QTest::addRow("%s %d %s", r.listName, r.normal, r.key)
            << r.list << r.normal << key << key + QString::fromLatin1(r.hoverSuffix) << r.width;
    }
}

void TestShell::buttonPicturePairs()
{
    QFETCH(ListId, list);
    QFETCH(int, normal);
    QFETCH(QString, normalKey);
    QFETCH(QString, hoverKey);
    QFETCH(int, width);

    const ImageList &images = listOf(list);
    const int hover = normal + 1;
    // Buttons take pictures by position, so the key must sit exactly there.
    QCOMPARE(images.Key(normal), normalKey);
    QCOMPARE(images.Key(hover), hoverKey);

    const QPixmap plain = images.Picture(normal);
    const QPixmap lit = images.Picture(hover);
    QCOMPARE(plain.size(), QSize(width, 35));
    QCOMPARE(lit.size(), QSize(width, 35));
    QVERIFY2(plain.toImage() != lit.toImage(), "the hover picture looks like the normal one");
}

void TestShell::startupButtonsShowTheirPictures_data()
{
    QTest::addColumn<QString>("panel");
    for (const char *panel : { "Picture2", "Picture3", "Picture4", "Picture5" })
        QTest::newRow(panel) << QString::fromLatin1(panel);
}

void TestShell::startupButtonsShowTheirPictures()
{
    // The buttons of the panels behind take their pictures only when they come into sight.
    QFETCH(QString, panel);
    frmAtFirst *window = frmAtFirst::GetOrCreate();
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto *front = window->findChild<QWidget *>(panel);
    QVERIFY(front);
    front->raise();
    QTRY_VERIFY(front->isVisible());
    const QList<PictureButton *> buttons = front->findChildren<PictureButton *>();
    QVERIFY(!buttons.isEmpty());
    for (const PictureButton *button : buttons) {
        if (!button->isVisible())
            continue;
        QVERIFY2(showsPosition(button, button->NormalPosition()), qPrintable(button->objectName()));
        QCOMPARE(button->size(), button->List().PictureSize(button->NormalPosition()));
    }
    closeStartupWindow();
}

void TestShell::windowIconAnswersAsDrawn_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("modeNumber");
    // The drawn sizes, sizes between and beyond them, at both densities, as a window, a menu or
    // a disabled control asks.
    for (int size : { 8, 16, 20, 32, 40, 48, 64, 100, 128, 256 }) {
        for (qreal ratio : { 1.0, 2.0 }) {
            QTest::addRow("%d at %g", size, ratio) << size << ratio << int(QIcon::Normal);
            QTest::addRow("%d at %g disabled", size, ratio)
                << size << ratio << int(QIcon::Disabled);
        }
    }
}

void TestShell::windowIconAnswersAsDrawn()
{
    // The window icon draws its pictures only when asked for them; what it answers must be what
    // the icon with all its sizes drawn answers.
    QFETCH(int, size);
    QFETCH(qreal, ratio);
    QFETCH(int, modeNumber);
    const auto mode = QIcon::Mode(modeNumber);
    QIcon drawn;
    for (int side : { 16, 32, 48, 64, 128 })
        drawn.addPixmap(AppIcon::Picture(side));
    const QIcon &icon = AppIcon::Icon();

    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), drawn.availableSizes());
    QCOMPARE(icon.availableSizes(QIcon::Disabled), drawn.availableSizes(QIcon::Disabled));
    const QSize asked(size, size);
    QCOMPARE(icon.actualSize(asked, mode), drawn.actualSize(asked, mode));
    const QPixmap got = icon.pixmap(asked, ratio, mode);
    const QPixmap want = drawn.pixmap(asked, ratio, mode);
    QCOMPARE(got.size(), want.size());
    QCOMPARE(got.devicePixelRatio(), want.devicePixelRatio());
    QVERIFY(got.toImage() == want.toImage());
}

// ---------------------------------------------------------------------------------------------
// The rollover rule, on a lone button

void TestShell::rollover_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<bool>("hover");

    // The button under test is the chart's Physical face: 71 x 35.
    const QPointF in(10, 10);
    QTest::newRow("pointer enters") << Steps { { Act::Enter, in } } << true;
    QTest::newRow("move inside without an enter") << Steps { { Act::Move, in } } << true;
    QTest::newRow("pointer leaves") << Steps { { Act::Enter, in }, { Act::Leave, {} } } << false;
    QTest::newRow("comes back after leaving")
        << Steps { { Act::Enter, in }, { Act::Leave, {} }, { Act::Enter, in } } << true;
    QTest::newRow("held pointer dragged off the left")
        << Steps { { Act::Enter, in }, { Act::Drag, { -1, 10 } } } << false;
    QTest::newRow("held pointer dragged off the top")
        << Steps { { Act::Enter, in }, { Act::Drag, { 10, -1 } } } << false;
    QTest::newRow("held pointer dragged past the right")
        << Steps { { Act::Enter, in }, { Act::Drag, { 72, 10 } } } << false;
    QTest::newRow("held pointer dragged past the bottom")
        << Steps { { Act::Enter, in }, { Act::Drag, { 10, 36 } } } << false;
    QTest::newRow("top-left corner is inside") << Steps { { Act::Drag, { 0, 0 } } } << true;
    QTest::newRow("right and bottom edges are inside")
        << Steps { { Act::Enter, in }, { Act::Drag, { 71, 35 } } } << true;
    QTest::newRow("dragged off and back on")
        << Steps { { Act::Enter, in }, { Act::Drag, { -5, 10 } }, { Act::Drag, { 5, 10 } } }
        << true;
    QTest::newRow("disabled button ignores the pointer")
        << Steps { { Act::Disable, {} }, { Act::Enter, in }, { Act::Move, in } } << false;
    QTest::newRow("disabled while highlighted")
        << Steps { { Act::Enter, in }, { Act::Disable, {} } } << false;
}

void TestShell::rollover()
{
    QFETCH(Steps, steps);
    QFETCH(bool, hover);

    QWidget window;
    window.resize(200, 120);
    auto *button
        = new PictureButton(ButtonImages::ChartImg(), 1, 2, QStringLiteral("Physical"), &window);
    button->move(40, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // At creation the button already shows its normal picture, at that picture's size.
    QVERIFY(showsPosition(button, 1));
    QVERIFY(!button->IsHighlighted());
    QCOMPARE(button->size(), QSize(71, 35));

    for (const Step &step : steps) {
        switch (step.act) {
        case Act::Enter:
            sendEnter(button, step.pos);
            break;
        case Act::Leave:
            sendLeave(button);
            break;
        case Act::Move:
            sendMove(button, step.pos, Qt::NoButton);
            break;
        case Act::Drag:
            sendMove(button, step.pos, Qt::LeftButton);
            break;
        case Act::Disable:
            button->setEnabled(false);
            break;
        }
    }

    QCOMPARE(button->IsHighlighted(), hover);
    QVERIFY(showsPosition(button, hover ? 2 : 1));
    QCOMPARE(button->size(), QSize(71, 35));
}

void TestShell::movingWithinHighlightedButtonReloadsNothing()
{
    QWidget window;
    window.resize(200, 120);
    auto *button
        = new PictureButton(ButtonImages::ChartImg(), 3, 4, QStringLiteral("Emotional"), &window);
    button->move(40, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    sendEnter(button, { 5, 5 });
    QVERIFY(button->IsHighlighted());
    QTest::qWait(50);
    auto *paints = new PaintCounter(button);

    for (int x = 5; x < 70; x += 5)
        sendMove(button, QPointF(x, 17), Qt::NoButton);
    QTest::qWait(50);
    QCOMPARE(paints->count, 0);
    QVERIFY(showsPosition(button, 4));

    // The counter does see a picture change, so the zero above means something.
    sendLeave(button);
    QTRY_VERIFY(paints->count > 0);
    QVERIFY(showsPosition(button, 3));
}

void TestShell::realPointerAcrossNeighbours()
{
    QWidget window;
    window.resize(260, 120);
    const ImageList &img = ButtonImages::ChartImg();
    auto *left = new PictureButton(img, 9, 10, QStringLiteral("Previous Day"), &window);
    auto *right = new PictureButton(img, 11, 12, QStringLiteral("Next Day"), &window);
    auto *off = new PictureButton(img, 13, 14, QStringLiteral("Today"), &window);
    left->move(20, 40);
    right->move(20 + left->width(), 40); // touching: no gap between the two
    off->move(180, 40);
    off->setEnabled(false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseMove(&window, QPoint(5, 5));
    QTRY_VERIFY(!left->IsHighlighted() && !right->IsHighlighted());

    QTest::mouseMove(left, QPoint(0, 0));
    QTRY_VERIFY(left->IsHighlighted());
    QVERIFY(showsPosition(left, 10));

    QTest::mouseMove(left, QPoint(left->width() - 1, left->height() - 1));
    QTest::qWait(20);
    QVERIFY(left->IsHighlighted());

    // Straight onto the neighbour: the first lets go at once, the second lights up.
    QTest::mouseMove(right, QPoint(0, left->height() - 1));
    QTRY_VERIFY(right->IsHighlighted());
    QVERIFY(!left->IsHighlighted());
    QVERIFY(showsPosition(left, 9));
    QVERIFY(showsPosition(right, 12));

    QTest::mouseMove(off, QPoint(10, 10));
    QTRY_VERIFY(!right->IsHighlighted());
    QTest::qWait(20);
    QVERIFY(!off->IsHighlighted());
    QVERIFY(showsPosition(off, 13));
    QVERIFY(showsPosition(right, 11));
}

void TestShell::click_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("clicks");

    QTest::newRow("left press and release inside") << Qt::LeftButton << QPoint(30, 17) << true << 1;
    QTest::newRow("release on the edge") << Qt::LeftButton << QPoint(0, 34) << true << 1;
    QTest::newRow("released after dragging off") << Qt::LeftButton << QPoint(100, 17) << true << 0;
    QTest::newRow("released above") << Qt::LeftButton << QPoint(30, -8) << true << 0;
    QTest::newRow("right button") << Qt::RightButton << QPoint(30, 17) << true << 0;
    QTest::newRow("disabled") << Qt::LeftButton << QPoint(30, 17) << false << 0;
}

void TestShell::click()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, release);
    QFETCH(bool, enabled);
    QFETCH(int, clicks);

    QWidget window;
    window.resize(200, 120);
    auto *ok = new PictureButton(ButtonImages::AboutImg(), 1, 2, QStringLiteral("OK"), &window);
    ok->move(40, 40);
    ok->setEnabled(enabled);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSignalSpy spy(ok, &PictureButton::clicked);
    QTest::mousePress(ok, button, {}, QPoint(20, 17));
    QTest::mouseMove(ok, release);
    QTest::mouseRelease(ok, button, {}, release);
    QCOMPARE(spy.count(), clicks);
}

// ---------------------------------------------------------------------------------------------
// The chart window's picture buttons

void TestShell::chartPictureButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<ListId>("list");
    QTest::addColumn<int>("normal");
    QTest::addColumn<int>("width");

    QTest::newRow("picPhysical") << "picPhysical"
                                 << "Physical" << ListId::ChartImg << 1 << 71;
    QTest::newRow("picEmotional") << "picEmotional"
                                  << "Emotional" << ListId::ChartImg << 3 << 79;
    QTest::newRow("picIntellectual") << "picIntellectual"
                                     << "Intellectual" << ListId::ChartImg << 5 << 79;
    QTest::newRow("picShowAll") << "picShowAll"
                                << "Show All" << ListId::ChartImg << 7 << 71;
    QTest::newRow("picLeft") << "picLeft"
                             << "Previous Day" << ListId::ChartImg << 9 << 54;
    QTest::newRow("picRight") << "picRight"
                              << "Next Day" << ListId::ChartImg << 11 << 54;
    QTest::newRow("picToday") << "picToday"
                              << "Today" << ListId::ChartImg << 13 << 54;
    // Back draws from the start-up window's list although that window is closed.
    QTest::newRow("picBack") << "picBack"
                             << "Back To Main" << ListId::StartupImg2 << 1 << 115;
}

void TestShell::chartPictureButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(ListId, list);
    QFETCH(int, normal);
    QFETCH(int, width);

    frmBio *chart = openChart();
    auto *button = chart->findChild<PictureButton *>(name);
    QVERIFY(button);

    // No picture button may escape the table above.
    const QList<PictureButton *> all = chart->findChildren<PictureButton *>();
    QCOMPARE(all.size(), 8);

    QCOMPARE(&button->List(), &listOf(list));
    QCOMPARE(button->NormalPosition(), normal);
    QCOMPARE(button->HoverPosition(), normal + 1);
    QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(button->accessibleName(), caption);
    QVERIFY(button->isVisible());

    QVERIFY(showsPosition(button, normal));
    QCOMPARE(button->size(), QSize(width, 35));
    sendEnter(button, { 3, 3 });
    QVERIFY(showsPosition(button, normal + 1));
    QCOMPARE(button->size(), QSize(width, 35));
    sendLeave(button);
    QVERIFY(showsPosition(button, normal));
    QCOMPARE(button->size(), QSize(width, 35));

    closeChart(chart);
}

void TestShell::chartBackButtonUnderPointer()
{
    frmBio *chart = openChart();
    auto *back = chart->findChild<PictureButton *>(QStringLiteral("picBack"));
    QVERIFY(back);
    const ImageList &img2 = ButtonImages::StartupImg2();

    QTest::mouseMove(back, QPoint(back->width() / 2, back->height() / 2));
    QTRY_VERIFY(back->IsHighlighted());
    QVERIFY(sameImage(back->pixmap(), img2.Picture(2)));
    QCOMPARE(back->width(), 115);

    QTest::mouseMove(chart->centralWidget(), QPoint(5, 5));
    QTRY_VERIFY(!back->IsHighlighted());
    QVERIFY(sameImage(back->pixmap(), img2.Picture(1)));
    QCOMPARE(back->width(), 115);

    // Its click leaves the chart and ends the visit.
    QPointer<frmBio> guard = chart;
    QTest::mouseClick(back, Qt::LeftButton, {}, QPoint(20, 17));
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(modBiorhythm::TotalVisitors, qint16(0));
    QCOMPARE(modBiorhythm::MemberCount(), 0);
    closeStartupWindow();
}

// ---------------------------------------------------------------------------------------------
// Web pages

void TestShell::pageAddresses_data()
{
    QTest::addColumn<Opener>("open");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("path");

    QTest::newRow("home") << Opener(&modRegistry::OpenHomePage) << modRegistry::HomePageAddress()
                          << QString();
    QTest::newRow("help") << Opener(&modRegistry::OpenHelpPage) << modRegistry::HelpPageAddress()
                          << QStringLiteral("/vantrel-help/");
    QTest::newRow("download") << Opener(&modRegistry::OpenDownloadPage)
                              << modRegistry::DownloadPageAddress()
                              << QStringLiteral("/download-vantrel.html");
    QTest::newRow("farewell") << Opener(&modRegistry::OpenFarewellPage)
                              << modRegistry::FarewellPageAddress()
                              << QStringLiteral("/thankyou-for-using-vantrel.php");
}

void TestShell::pageAddresses()
{
    QFETCH(Opener, open);
    QFETCH(QString, address);
    QFETCH(QString, path);

    const QString site = QStringLiteral(VANTREL_TEST_SITE);
    QCOMPARE(address, site + path);
    QCOMPARE(modRegistry::SiteAddress(), site);

    open();
    QCOMPARE(m_opened.size(), 1);
    const QUrl url = m_opened.first();
    QCOMPARE(url.toString(), site + path);
    QCOMPARE(url.scheme(), QStringLiteral("https"));
    QCOMPARE(url.path(), path);
    QVERIFY(url.query().isEmpty());
    // The home page is the bare site, the help page a folder.
    if (path.isEmpty())
        QVERIFY(!url.toString().endsWith(QLatin1Char('/')));
    if (path.startsWith(QLatin1String("/vantrel-help")))
        QVERIFY(url.toString().endsWith(QLatin1Char('/')));
}

void TestShell::chartHelpEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("address");

    QTest::newRow("mnuOnlineHelp") << "mnuOnlineHelp" << modRegistry::HelpPageAddress();
    QTest::newRow("mnuVisitUsOnline") << "mnuVisitUsOnline" << modRegistry::HomePageAddress();
    QTest::newRow("mnuCheckForUpdate (hidden)")
        << "mnuCheckForUpdate" << modRegistry::DownloadPageAddress();
}

void TestShell::chartHelpEntries()
{
    QFETCH(QString, entry);
    QFETCH(QString, address);

    frmBio *chart = openChart();
    auto *action = chart->findChild<QAction *>(entry);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first().toString(), address);
    // Opening a page leaves the chart as it was.
    QVERIFY(chart->isVisible());
    QCOMPARE(modBiorhythm::TotalVisitors, qint16(1));
    closeChart(chart);
}

void TestShell::chartHelpMenuShowsNoHiddenEntries()
{
    frmBio *chart = openChart();
    auto *help = chart->findChild<QMenu *>(QStringLiteral("mnuHelp"));
    QVERIFY(help);

    QStringList visible;
    for (QAction *action : help->actions()) {
        if (action->isVisible())
            visible << action->objectName();
    }
    QCOMPARE(visible,
             (QStringList { QStringLiteral("mnuOnlineHelp"), QStringLiteral("mnuVisitUsOnline"),
                            QStringLiteral("mnuAboutUs") }));

    // Opened, the menu lays out no room for the hidden ones either.
    help->popup(chart->mapToGlobal(QPoint(20, 20)));
    QVERIFY(QTest::qWaitForWindowExposed(help));
    for (const char *name : { "mnuSeparator2", "mnuCheckForUpdate", "mnuSeparator" }) {
        auto *hidden = chart->findChild<QAction *>(QString::fromLatin1(name));
        QVERIFY2(hidden, name);
        QVERIFY2(!hidden->isVisible(), name);
        QVERIFY2(help->actionGeometry(hidden).isEmpty(), name);
    }
    help->close();
    closeChart(chart);
}

// ---------------------------------------------------------------------------------------------
// The About window

void TestShell::aboutLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // width -1: sized to its text

    QTest::newRow("picIcon") << "picIcon" << QRect(8, 8, 32, 32);
    QTest::newRow("lblTitle") << "lblTitle" << QRect(50, 24, -1, -1);
    QTest::newRow("Label1") << "Label1" << QRect(10, 50, 317, 115);
    QTest::newRow("picOK") << "picOK" << QRect(273, 184, 54, 35);
}

void TestShell::aboutLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    auto *about = new frmAbout;
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));

    QCOMPARE(about->windowTitle(), QStringLiteral("Vantrel v1.0"));
    QCOMPARE(about->size(), QSize(329, 221));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QVERIFY(about->testAttribute(Qt::WA_DeleteOnClose));

    auto *control = about->findChild<QWidget *>(name);
    QVERIFY(control);
    QVERIFY(control->isVisible());
    QCOMPARE(control->pos(), geometry.topLeft());
    if (geometry.width() >= 0)
        QCOMPARE(control->size(), geometry.size());
    QVERIFY(about->rect().contains(control->geometry()));

    if (auto *label = qobject_cast<QLabel *>(control); label && name == QLatin1String("lblTitle"))
        QCOMPARE(label->text(), QStringLiteral("Vantrel v1.0"));
    if (name == QLatin1String("picOK")) {
        auto *ok = qobject_cast<PictureButton *>(control);
        QVERIFY(ok);
        QCOMPARE(&ok->List(), &ButtonImages::AboutImg());
        QVERIFY(showsPosition(ok, 1));
        QCOMPARE(ok->HoverPosition(), 2);
        QCOMPARE(ok->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!ok->accessibleName().isEmpty());
    }

    auto *line = about->findChild<LineControl *>(QStringLiteral("Line1"));
    QVERIFY(line);
    QCOMPARE(line->From(), QPointF(10, 176));
    QCOMPARE(line->To(), QPointF(322, 176));
    QCOMPARE(line->Color(), Look::Amber);

    about->close();
}

void TestShell::aboutFromChart_data()
{
    QTest::addColumn<bool>("byOk");
    QTest::addColumn<bool>("byKey"); // Space on OK, which has the focus

    QTest::newRow("picOK") << true << false;
    QTest::newRow("close box") << false << false;
    QTest::newRow("Space on OK") << false << true;
}

void TestShell::aboutFromChart()
{
    QFETCH(bool, byOk);
    QFETCH(bool, byKey);

    frmBio *chart = openChart();
    auto *aboutUs = chart->findChild<QAction *>(QStringLiteral("mnuAboutUs"));
    QVERIFY(aboutUs);
    const QImage drawingBefore = chart->Canvas()->Drawing();
    const QString viewBefore = modBiorhythm::CurrentView;

    ModalAnswer answer;
    QWidget *parentSeen = nullptr;
    bool modalSeen = false;
    bool highlightedSeen = false;
    QPoint centreOffset;
    answerNextModal(&answer, [&](QWidget *modal) {
        parentSeen = modal->parentWidget();
        modalSeen = modal->isModal();
        centreOffset = modal->frameGeometry().center() - chart->frameGeometry().center();
        if (byOk) {
            auto *ok = modal->findChild<PictureButton *>(QStringLiteral("picOK"));
            if (!ok || !QTest::qWaitForWindowExposed(modal))
                return;
            // It lights up under the pointer like every other picture button.
            QTest::mouseMove(modal->windowHandle(), ok->mapTo(modal, QPoint(20, 17)));
            highlightedSeen = ok->IsHighlighted();
            QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(20, 17));
        } else if (byKey) {
            auto *ok = modal->findChild<PictureButton *>(QStringLiteral("picOK"));
            if (!ok || !QTest::qWaitForWindowActive(modal) || !ok->hasFocus())
                return; // left to the fallback, which the test then reports
            QTest::keyClick(ok, Qt::Key_Space);
        } else {
            modal->close();
        }
    });
    // The entry returns at once, so that nothing that triggers it (a screen reader among
    // them) waits on the modal window; the window comes up a moment later.
    aboutUs->trigger();
    QVERIFY(!answer.found);
    QTRY_VERIFY2(answer.found, "no modal window came up");
    QCOMPARE(answer.className, QStringLiteral("frmAbout"));
    QVERIFY(!answer.closedByFallback);
    QCOMPARE(parentSeen, chart);
    QVERIFY(modalSeen);
    if (byOk)
        QVERIFY(highlightedSeen);
    QVERIFY2(centreOffset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("About window off centre by %1,%2")
                            .arg(centreOffset.x())
                            .arg(centreOffset.y())));
    QTRY_VERIFY(answer.seen.isNull()); // deleted on close

    // Back in the chart, which is as it was.
    QVERIFY(chart->isVisible());
    QCOMPARE(modBiorhythm::CurrentView, viewBefore);
    QCOMPARE(modBiorhythm::TotalVisitors, qint16(1));
    QVERIFY(chart->Canvas()->Drawing() == drawingBefore);
    closeChart(chart);
}

// ---------------------------------------------------------------------------------------------
// Keyboard and assistive technology

void TestShell::pictureButtonKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("letGo");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("clicks");

    QTest::newRow("Space") << int(Qt::Key_Space) << true << true << 1;
    QTest::newRow("Space held down") << int(Qt::Key_Space) << false << true << 0;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << true << true << 1;
    QTest::newRow("Return") << int(Qt::Key_Return) << true << true << 1;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << true << true << 0;
    QTest::newRow("letter") << int(Qt::Key_O) << true << true << 0;
    QTest::newRow("Space, disabled") << int(Qt::Key_Space) << true << false << 0;
}

void TestShell::pictureButtonKeys()
{
    QFETCH(int, key);
    QFETCH(bool, letGo);
    QFETCH(bool, enabled);
    QFETCH(int, clicks);

    ButtonHost host;
    QVERIFY(host.open());
    host.box->setFocus();
    QTest::keyClick(host.box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), host.button);
    host.button->setEnabled(enabled);
    if (letGo)
        QTest::keyClick(host.button, Qt::Key(key));
    else
        QTest::keyPress(host.button, Qt::Key(key));
    QCOMPARE(host.clicks, clicks);
    // Disabled, it is out of the Tab order.
    host.box->setFocus();
    QTest::keyClick(host.box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget() == host.button, enabled);
}

void TestShell::focusRingLeavesPictures()
{
    ButtonHost host;
    QVERIFY(host.open());
    const QImage normal = asImage(ButtonImages::AboutImg().Picture(1));
    const QImage hover = asImage(ButtonImages::AboutImg().Picture(2));
    QCOMPARE(asImage(host.button->grab()), normal);

    // A click takes no focus, so a mouse user never sees a ring.
    QTest::mouseClick(host.button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(host.clicks, 1);
    QVERIFY(!host.button->hasFocus());
    sendEnter(host.button, QPointF(10, 10));
    QCOMPARE(asImage(host.button->grab()), hover);
    sendLeave(host.button);
    QCOMPARE(asImage(host.button->grab()), normal);

    // Reached by Tab: a ring over the edge; inside it the picture is as it was.
    host.box->setFocus();
    QTest::keyClick(host.box, Qt::Key_Tab);
    QVERIFY(host.button->hasFocus());
    const QImage focused = asImage(host.button->grab());
    QCOMPARE(focused.size(), normal.size());
    const QRect inside = focused.rect().adjusted(2, 2, -2, -2);
    int edgeChanges = 0;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            const bool same = focused.pixel(x, y) == normal.pixel(x, y);
            if (inside.contains(x, y))
                QVERIFY2(same, qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            else if (!same)
                ++edgeChanges;
        }
    }
    QVERIFY(edgeChanges > 2 * (focused.width() + focused.height()));
    // The hover picture under the ring too.
    sendEnter(host.button, QPointF(10, 10));
    QCOMPARE(asImage(host.button->grab()).copy(inside), hover.copy(inside));
    sendLeave(host.button);

    // Gone with the focus.
    QTest::keyClick(host.button, Qt::Key_Tab);
    QVERIFY(!host.button->hasFocus());
    QCOMPARE(asImage(host.button->grab()), normal);
}

void TestShell::accessiblePress_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("clicks");

    QTest::newRow("enabled") << true << true << 1;
    QTest::newRow("disabled") << false << true << 0;
    QTest::newRow("hidden") << true << false << 0;
}

void TestShell::accessiblePress()
{
    QFETCH(bool, enabled);
    QFETCH(bool, shown);
    QFETCH(int, clicks);

    ButtonHost host;
    QVERIFY(host.open());
    host.button->setEnabled(enabled);
    host.button->setVisible(shown);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(host.button);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Button);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("OK"));
    QAccessibleActionInterface *actions = iface->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()), enabled);
    QCOMPARE(iface->state().focusable, true);

    actions->doAction(QAccessibleActionInterface::pressAction());
    // The action has returned before anything happens: a modal window the click opens
    // cannot hold up the caller.
    QCOMPARE(host.clicks, 0);
    QCoreApplication::processEvents();
    QCOMPARE(host.clicks, clicks);
}

void TestShell::chartKeyboard()
{
    frmBio *chart = openChart();
    chart->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(chart));

    // The chart itself has the focus first; then Tab goes round the picture buttons as they
    // read: the top row, then the frame's.
    QCOMPARE(QApplication::focusWidget(), chart->Canvas());
    const QStringList expected
        = { "picBiorhythm", "picLeft",      "picToday",        "picShowAll", "picRight",
            "picPhysical",  "picEmotional", "picIntellectual", "picBack" };
    QWidget *start = QApplication::focusWidget();
    QVERIFY(start);
    QStringList stops;
    for (int i = 0; i < 2 * expected.size() && QApplication::focusWidget(); ++i) {
        QWidget *focus = QApplication::focusWidget();
        if (!stops.isEmpty() && focus->objectName() == stops.first())
            break;
        stops << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    while (!stops.isEmpty() && stops.first() != expected.first())
        stops.append(stops.takeFirst());
    QCOMPARE(stops, expected);

    // Space and Return press the focused button; Enter is Today's wherever no button has the
    // focus.
    auto *right = chart->findChild<PictureButton *>(QStringLiteral("picRight"));
    while (QApplication::focusWidget() != right)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const QDate reportDate = modBiorhythm::VisitorReportDate[0];
    QTest::keyClick(right, Qt::Key_Space);
    QCOMPARE(modBiorhythm::VisitorReportDate[0], reportDate.addDays(1));
    QTest::keyClick(right, Qt::Key_Return);
    QCOMPARE(modBiorhythm::VisitorReportDate[0], reportDate.addDays(2));
    QTest::keyClick(right, Qt::Key_Enter);
    QCOMPARE(modBiorhythm::VisitorReportDate[0], reportDate.addDays(3));
    chart->Canvas()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(chart->Canvas(), Qt::Key_Return);
    QCOMPARE(modBiorhythm::VisitorReportDate[0], QDate::currentDate());

    // The hidden action buttons are no part of what assistive technology sees.
    QAccessibleInterface *client = QAccessible::queryAccessibleInterface(chart->centralWidget());
    QVERIFY(client);
    for (int i = 0; i < client->childCount(); ++i) {
        QObject *object = client->child(i)->object();
        QVERIFY2(!qobject_cast<QPushButton *>(object), qPrintable(object->objectName()));
    }
    for (QPushButton *hidden : chart->findChildren<QPushButton *>()) {
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
        QCOMPARE(hidden->focusPolicy(), Qt::NoFocus);
    }
    closeChart(chart);
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
