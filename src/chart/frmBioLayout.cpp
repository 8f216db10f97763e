// The chart window's controls, their accessible texts, its menus and what each command runs.
#include "frmBio.h"

#include "ChartCanvas.h"
#include "shell/Accessibility.h"
#include "shell/ButtonImages.h"
#include "shell/Chrome.h"
#include "shell/LineControl.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

namespace {

// The canvas height of the layout, in its own units; the width is set to 28 days at load.
constexpr float CanvasHeight = 159.1122f;

// The window frame colour of the system palette, for the day grid.
const QColor GridColor { 100, 100, 100 };

} // namespace

void frmBio::buildLayout()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmBioClient"));
    Accessibility::LeaveOutOfSightChildrenOut(m_client);
    setCentralWidget(m_client);
    setFont(Look::Verdana());
    Chrome::SetUpWindow(this, m_client, 11715, 7065);

    const QFont range = Look::Verdana(9.75, true);
    m_lblLeast = Look::MakeLabel(m_client, QStringLiteral("lblLeast"), QStringLiteral("-14"),
                                 Look::Amber, range, false);
    Look::PlaceTw(m_lblLeast, 120, 0, 1290, 240);

    const ImageList &img = ButtonImages::ChartImg();
    m_picLeft = new PictureButton(img, 9, 10, QStringLiteral("Previous Day"), m_client);
    m_picLeft->setObjectName(QStringLiteral("picLeft"));
    m_picLeft->setToolTip(QStringLiteral("Previous Day"));
    Look::MoveTw(m_picLeft, 120, 180);

    m_picToday = new PictureButton(img, 13, 14, QStringLiteral("Today"), m_client);
    m_picToday->setObjectName(QStringLiteral("picToday"));
    Look::MoveTw(m_picToday, 5467, 0);

    m_lblDate = Look::MakeLabel(m_client, QStringLiteral("lblDate"), QString(), Look::Amber, range);
    m_lblDate->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Look::MoveTw(m_lblDate, 5460, 465);

    m_picShowAll = new PictureButton(img, 7, 8, QStringLiteral("Show All"), m_client);
    m_picShowAll->setObjectName(QStringLiteral("picShowAll"));
    Look::MoveTw(m_picShowAll, 6600, 75);
    m_picShowAll->hide();

    const QFont legend = Look::Verdana(8.25, true);
    m_lblRedLineFor
        = Look::MakeLabel(m_client, QStringLiteral("lblRedLineFor"),
                          QStringLiteral("Red Curve for Physical"), QColor(255, 128, 128), legend);
    m_lblGreenLineFor = Look::MakeLabel(m_client, QStringLiteral("lblGreenLineFor"),
                                        QStringLiteral("Green Curve for Emotional"),
                                        QColor(128, 255, 128), legend);
    m_lblBlueLineFor = Look::MakeLabel(m_client, QStringLiteral("lblBlueLineFor"),
                                       QStringLiteral("Blue Curve for Intellectual"),
                                       QColor(0, 255, 255), legend);
    Look::MoveTw(m_lblRedLineFor, 7800, 0);
    Look::MoveTw(m_lblGreenLineFor, 7800, 240);
    Look::MoveTw(m_lblBlueLineFor, 7800, 480);
    for (QLabel *label : { m_lblRedLineFor, m_lblGreenLineFor, m_lblBlueLineFor }) {
        label->setMouseTracking(true);
        label->installEventFilter(this);
        label->hide();
    }

    m_lblMost = Look::MakeLabel(m_client, QStringLiteral("lblMost"), QStringLiteral("14"),
                                Look::Amber, range);
    m_lblMost->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Look::MoveTw(m_lblMost, 11355, 0);

    m_picRight = new PictureButton(img, 11, 12, QStringLiteral("Next Day"), m_client);
    m_picRight->setObjectName(QStringLiteral("picRight"));
    m_picRight->setToolTip(QStringLiteral("Next Day"));
    Look::MoveTw(m_picRight, 10815, 180);

    // The canvas and the furniture that lies on it.
    m_picBiorhythm = new ChartCanvas(m_client);
    m_picBiorhythm->setObjectName(QStringLiteral("picBiorhythm"));
    Look::PlaceTw(m_picBiorhythm, 120, 750, 11505, 3735);
    m_picBiorhythm->SetScaleWidth(m_picBiorhythm->width());
    m_picBiorhythm->SetScaleHeight(CanvasHeight);
    m_picBiorhythm->setFont(Look::Verdana());

    for (int i = 0; i < 14; ++i) {
        const QFont dayFont = Look::MsSansSerif();
        m_lblPrevDay.append(Look::MakeLabel(m_picBiorhythm, Look::Indexed("lblPrevDay", i),
                                            QStringLiteral("1"), Look::Black, dayFont));
        m_lblNextDay.append(Look::MakeLabel(m_picBiorhythm, Look::Indexed("lblNextDay", i),
                                            QStringLiteral("1"), Look::Black, dayFont));
    }
    for (int i = 0; i < 13; ++i) {
        m_lnVertPre.append(
            new LineControl(Look::Indexed("lnVertPre", i), GridColor, 1, m_picBiorhythm));
        m_lnVertNext.append(
            new LineControl(Look::Indexed("lnVertNext", i), GridColor, 1, m_picBiorhythm));
    }
    m_lnHor = new LineControl(QStringLiteral("lnHor"), Look::Black, 1, m_picBiorhythm);
    m_lnVert = new LineControl(QStringLiteral("lnVert"), Look::Black, 2, m_picBiorhythm);

    const QFont percent = Look::Verdana(8.25, true);
    const struct
    {
        const char *caption;
        int left, top;
        QColor color;
        QFont font;
    } percents[] = {
        { "100%", 6240, 2400, Look::Black, percent },
        { "0%", 3690, 2790, Look::Black, percent },
        { "-100%", 5940, 6270, Look::White, Look::MsSansSerif(8.25, true) },
        { "-100%", 10890, 3360, Look::Black, percent },
    };
    for (int i = 0; i < 4; ++i) {
        QLabel *label = Look::MakeLabel(m_picBiorhythm, Look::Indexed("lblPercent", i),
                                        QString::fromLatin1(percents[i].caption), percents[i].color,
                                        percents[i].font, i != 2);
        Look::MoveTw(label, percents[i].left, percents[i].top);
        if (i == 2)
            label->resize(Look::Px(525), Look::Px(195));
        m_lblPercent.append(label);
    }

    // Frames: the member legend with the view buttons, and the explanation panel.
    const QString frameStyle = QStringLiteral(
        "QGroupBox#%1 { background: rgb(33,32,32); border: 1px solid rgb(128,128,128);"
        " margin-top: 6px; }"
        "QGroupBox#%1::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; color: white; }");
    auto makeFrame = [&](const QString &name, const QString &caption, int left, int top, int width,
                         int height) {
        auto *frame = new QGroupBox(caption, m_client);
        frame->setObjectName(name);
        frame->setFont(Look::Verdana(8.25, true));
        frame->setStyleSheet(frameStyle.arg(name));
        frame->setFlat(false);
        Look::PlaceTw(frame, left, top, width, height);
        return frame;
    };
    m_Frame2 = makeFrame(QStringLiteral("Frame2"), QStringLiteral("Person's Vantrel Details"), 120,
                         4530, 5475, 2505);
    m_Frame3 = makeFrame(QStringLiteral("Frame3"), QStringLiteral("Vantrel Interpretation"), 5610,
                         4530, 5985, 2505);

    m_picPhysical = new PictureButton(img, 1, 2, QStringLiteral("Physical"), m_Frame2);
    m_picPhysical->setObjectName(QStringLiteral("picPhysical"));
    Look::MoveTw(m_picPhysical, 120, 300);
    m_picEmotional = new PictureButton(img, 3, 4, QStringLiteral("Emotional"), m_Frame2);
    m_picEmotional->setObjectName(QStringLiteral("picEmotional"));
    Look::MoveTw(m_picEmotional, 1207, 300);
    m_picIntellectual = new PictureButton(img, 5, 6, QStringLiteral("Intellectual"), m_Frame2);
    m_picIntellectual->setObjectName(QStringLiteral("picIntellectual"));
    Look::MoveTw(m_picIntellectual, 2415, 300);
    // Back draws from the start-up window's list, which outlives that window.
    m_picBack = new PictureButton(ButtonImages::StartupImg2(), 1, 2, QStringLiteral("Back To Main"),
                                  m_Frame2);
    m_picBack->setObjectName(QStringLiteral("picBack"));
    Look::MoveTw(m_picBack, 3720, 300);

    const QFont nameFont = Look::Verdana(6.75);
    for (int i = 0; i < 10; ++i) {
        const bool odd = i % 2 == 1;
        auto *box = new QFrame(m_Frame2);
        box->setObjectName(Look::Indexed("Picture1", i));
        box->setFrameStyle(QFrame::Box | QFrame::Plain);
        box->setLineWidth(1);
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, Look::Black);
        box->setPalette(palette);
        Look::SetBackColor(box, Look::White);
        Look::PlaceTw(box, odd ? 2760 : 240, 960 + 240 * (i / 2), 400, 200);
        box->hide();
        m_Picture1.append(box);

        QLabel *name = Look::MakeLabel(m_Frame2, Look::Indexed("lblName", i), QString(),
                                       Look::Amber, nameFont, false);
        Look::PlaceTw(name, odd ? 3240 : 720, 975 + 240 * (i / 2), 1425, 180);
        name->hide();
        m_lblName.append(name);

        // Below the client area: their texts stay current, but they are never seen.
        QLabel *days = Look::MakeLabel(m_client, Look::Indexed("lblDayLived", i),
                                       QStringLiteral("DL"), Look::Amber, Look::Verdana());
        Look::MoveTw(days, 120, 7920 + 240 * i);
        days->hide();
        m_lblDayLived.append(days);
    }

    m_picExplain = new QWidget(m_Frame3);
    m_picExplain->setObjectName(QStringLiteral("picExplain"));
    Look::PaintBackground(m_picExplain, Look::Black);
    Look::PlaceTw(m_picExplain, 90, 210, 3675, 200);
    m_picExplain->setMouseTracking(true);
    m_picExplain->installEventFilter(this);
    m_lblGreen = Look::MakeLabel(m_picExplain, QStringLiteral("lblGreen"),
                                 QStringLiteral("Detailed Description of Vantrel Chart"),
                                 Look::Amber, Look::Verdana(8.25, true));
    m_lblGreen->move(0, 0);
    m_lblGreen->setMouseTracking(true);
    m_lblGreen->installEventFilter(this);

    QLabel *heading = Look::MakeLabel(m_Frame3, QStringLiteral("lblInfo(0)"),
                                      InfoTopics::Heading(InfoTopic::General), Look::Amber,
                                      Look::Verdana(8.25, true));
    Look::MoveTw(heading, 90, 420);
    QLabel *text = Look::MakeParagraph(m_Frame3, QStringLiteral("lblInfo(1)"),
                                       InfoTopics::Text(InfoTopic::General), Look::Amber, 90, 660,
                                       5835, 1800);
    m_lblInfo = { heading, text };

    // The action buttons hold the commands; they lie below the client area.
    m_cmdPhysical
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdPhysical"),
                                   QStringLiteral("&Physical"), 120, 8760, 1215, 375, true);
    m_cmdEmotional
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdEmotional"),
                                   QStringLiteral("&Emotional"), 1425, 8760, 1215, 375, true);
    m_cmdIntellectual
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdIntellectual"),
                                   QStringLiteral("&Intellectual"), 2715, 8760, 1215, 375, true);
    m_cmdShowAll
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdShowAll"),
                                   QStringLiteral("Show All"), 4260, 8760, 1095, 375, true);
    m_cmdShowAll->setToolTip(QStringLiteral("This only for self "));
    m_cmdShowAll->setEnabled(false);
    m_cmdPrevDay = Chrome::MakeActionButton(m_client, QStringLiteral("cmdPrevDay"),
                                            QStringLiteral("<"), 5445, 8760, 615, 375, true);
    m_cmdNextDay = Chrome::MakeActionButton(m_client, QStringLiteral("cmdNextDay"),
                                            QStringLiteral(">"), 6135, 8760, 615, 375, true);
    m_cmdToday = Chrome::MakeActionButton(m_client, QStringLiteral("cmdToday"),
                                          QStringLiteral("Today"), 6840, 8760, 855, 375, true);
    m_cmdToday->setDefault(true);
    m_cmdBack
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdBack"),
                                   QStringLiteral("&Back To Main"), 7920, 8760, 3425, 375, true);
}

void frmBio::describeButtons()
{
    // What a screen reader says beyond the caption.
    const struct
    {
        PictureButton *button;
        const char *description;
    } buttons[] = {
        { m_picLeft, "Moves the chart one day back" },
        { m_picRight, "Moves the chart one day on" },
        { m_picToday, "Moves the chart to today" },
        { m_picShowAll, "Shows all three cycles of the one person" },
        { m_picPhysical, "Shows everyone's Physical cycle" },
        { m_picEmotional, "Shows everyone's Emotional cycle" },
        { m_picIntellectual, "Shows everyone's Intellectual cycle" },
        { m_picBack, "Closes the chart and goes back to the start" },
    };
    for (const auto &b : buttons)
        b.button->setAccessibleDescription(QString::fromUtf8(b.description));
    // The chart itself in words: the first stop of Tab and the focus when the window opens,
    // so that a screen reader reads it first. Tab only: a click leaves the focus where it was.
    Accessibility::DescribeAs(m_picBiorhythm, QAccessible::Chart,
                              [this] { return describeChart(); });
    m_picBiorhythm->setFocusPolicy(Qt::TabFocus);
    const QList<QWidget *> order
        = { m_picBiorhythm, m_picLeft,      m_picToday,        m_picShowAll, m_picRight,
            m_picPhysical,  m_picEmotional, m_picIntellectual, m_picBack };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    m_picBiorhythm->setFocus(Qt::OtherFocusReason);
}

void frmBio::buildMenus()
{
    QMenu *file
        = Chrome::AddMenu(this, nullptr, QStringLiteral("mnuFile"), QStringLiteral("&File"));
    QMenu *run = Chrome::AddMenu(this, file, QStringLiteral("mnuRun"),
                                 QStringLiteral("Create Biorythm Chart"));
    m_mnuPhysical
        = Chrome::AddEntry(run, QStringLiteral("mnuPhysical"), QStringLiteral("Physical"));
    m_mnuEmotional
        = Chrome::AddEntry(run, QStringLiteral("mnuEmotional"), QStringLiteral("Emotional"));
    m_mnuIntellectual
        = Chrome::AddEntry(run, QStringLiteral("mnuIntellectual"), QStringLiteral("Intellectual"));
    Chrome::AddSeparator(file, QStringLiteral("mnuSeparator1"));
    m_mnuBack = Chrome::AddEntry(file, QStringLiteral("mnuBack"), QStringLiteral("Back"));
    Chrome::AddSeparator(file, QStringLiteral("mnuSeparator3"));
    m_mnuExit = Chrome::AddEntry(file, QStringLiteral("mnuExit"), QStringLiteral("Exit"));

    QMenu *help = Chrome::AddMenu(this, nullptr, QStringLiteral("mnuHelp"), QStringLiteral("Help"));
    m_mnuOnlineHelp
        = Chrome::AddEntry(help, QStringLiteral("mnuOnlineHelp"), QStringLiteral("Online Help"));
    m_mnuVisitUsOnline = Chrome::AddEntry(help, QStringLiteral("mnuVisitUsOnline"),
                                          QStringLiteral("Visit Us Online"));
    Chrome::AddSeparator(help, QStringLiteral("mnuSeparator2"), false);
    m_mnuCheckForUpdate = Chrome::AddEntry(help, QStringLiteral("mnuCheckForUpdate"),
                                           QStringLiteral("Check For Software Update"), false);
    Chrome::AddSeparator(help, QStringLiteral("mnuSeparator"), false);
    m_mnuAboutUs
        = Chrome::AddEntry(help, QStringLiteral("mnuAboutUs"), QStringLiteral("&About Software"));
}

void frmBio::connectCommands()
{
    connect(m_cmdPhysical, &QPushButton::clicked, this, &frmBio::cmdPhysical_Click);
    connect(m_cmdEmotional, &QPushButton::clicked, this, &frmBio::cmdEmotional_Click);
    connect(m_cmdIntellectual, &QPushButton::clicked, this, &frmBio::cmdIntellectual_Click);
    connect(m_cmdShowAll, &QPushButton::clicked, this, &frmBio::cmdShowAll_Click);
    connect(m_cmdPrevDay, &QPushButton::clicked, this, &frmBio::cmdPrevDay_Click);
    connect(m_cmdNextDay, &QPushButton::clicked, this, &frmBio::cmdNextDay_Click);
    connect(m_cmdToday, &QPushButton::clicked, this, &frmBio::cmdToday_Click);
    connect(m_cmdBack, &QPushButton::clicked, this, &frmBio::cmdBack_Click);

    connect(m_picPhysical, &PictureButton::clicked, this, &frmBio::picPhysical_Click);
    connect(m_picEmotional, &PictureButton::clicked, this, &frmBio::picEmotional_Click);
    connect(m_picIntellectual, &PictureButton::clicked, this, &frmBio::picIntellectual_Click);
    connect(m_picShowAll, &PictureButton::clicked, this, &frmBio::picShowAll_Click);
    connect(m_picLeft, &PictureButton::clicked, this, &frmBio::picLeft_Click);
    connect(m_picRight, &PictureButton::clicked, this, &frmBio::picRight_Click);
    connect(m_picToday, &PictureButton::clicked, this, &frmBio::picToday_Click);
    connect(m_picBack, &PictureButton::clicked, this, &frmBio::picBack_Click);

    connect(m_mnuPhysical, &QAction::triggered, this, &frmBio::mnuPhysical_Click);
    connect(m_mnuEmotional, &QAction::triggered, this, &frmBio::mnuEmotional_Click);
    connect(m_mnuIntellectual, &QAction::triggered, this, &frmBio::mnuIntellectual_Click);
    connect(m_mnuBack, &QAction::triggered, this, &frmBio::mnuBack_Click);
    connect(m_mnuExit, &QAction::triggered, this, &frmBio::mnuExit_Click);
    connect(m_mnuOnlineHelp, &QAction::triggered, this, &frmBio::mnuOnlineHelp_Click);
    connect(m_mnuVisitUsOnline, &QAction::triggered, this, &frmBio::mnuVisitUsOnline_Click);
    connect(m_mnuCheckForUpdate, &QAction::triggered, this, &frmBio::mnuCheckForUpdate_Click);
    // Queued: the modal About window must not hold up whoever triggered the entry (a screen
    // reader's press waits for the entry to return).
    connect(m_mnuAboutUs, &QAction::triggered, this, &frmBio::mnuAboutUs_Click,
            Qt::QueuedConnection);

    // Today is the window's default button: Enter runs it from anywhere in the window, but a
    // picture button in focus is pressed by Enter as by Space, as a button in focus is.
    for (const auto key : { Qt::Key_Return, Qt::Key_Enter }) {
        auto *enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, [this] {
            auto *button = qobject_cast<PictureButton *>(focusWidget());
            if (button && button->isEnabled() && button->isVisible())
                button->click();
            else
                m_cmdToday->click();
        });
    }
}
