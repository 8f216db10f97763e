#pragma once

#include "InfoTopics.h"

#include <QList>
#include <QMainWindow>

class ChartCanvas;
class LineControl;
class PictureButton;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

// The chart window: the biorhythm curves of the visit's members over 28 days centred on the
// report date, the member legend, the explanation panel, and the day and view commands.
class frmBio : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmBio(QWidget *parent = nullptr);
    ~frmBio() override;

    // The one chart window, or null while none exists.
    static frmBio *Instance();
    // The chart window, built (and loaded, not shown) when none exists yet.
    static frmBio *GetOrCreate();

    void Form_Load();
    void Form_Unload();
    void LayoutDayScale();

    // Plots one parabolic half-wave point by point: vertex (Xa, Ya), reaching the mid line at
    // LastPt on the right and at its mirror on the left.
    void Parabola(double Xa, double Ya, double LastPt, qint32 RedGreenBlue);
    // Lays member i's cycle of period P across the whole day window in colour C.
    void PlotCycle(int i, double P, qint32 C);
    void ShowInfoTopic(InfoTopic topic);
    // Hides the member legend slots from `first` on: a chart loaded ahead of its visit may
    // show slots of members who are no longer in it, and the views never touch those.
    void HideLegendFrom(int first);

    // Views.
    void cmdShowAll_Click();
    void cmdPhysical_Click();
    void cmdEmotional_Click();
    void cmdIntellectual_Click();
    // Day navigation.
    void cmdPrevDay_Click();
    void cmdNextDay_Click();
    void cmdToday_Click();
    void cmdBack_Click();

    void picPhysical_Click();
    void picEmotional_Click();
    void picIntellectual_Click();
    void picShowAll_Click();
    void picLeft_Click();
    void picRight_Click();
    void picToday_Click();
    void picBack_Click();
    void mnuPhysical_Click();
    void mnuEmotional_Click();
    void mnuIntellectual_Click();
    void mnuBack_Click();
    void mnuExit_Click();
    void mnuOnlineHelp_Click();
    void mnuVisitUsOnline_Click();
    void mnuCheckForUpdate_Click();
    void mnuAboutUs_Click();

    void lblRedLineFor_MouseMove();
    void lblGreenLineFor_MouseMove();
    void lblBlueLineFor_MouseMove();
    void picExplain_MouseMove();
    void lblGreen_MouseMove();

    ChartCanvas *Canvas() const { return m_picBiorhythm; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void describeButtons();
    void buildMenus();
    void connectCommands();
    void runCycleView(const QString &view, double period, InfoTopic topic, bool legendFirst);
    void showDateLabel();
    void centreDateLabel();
    void placePercentLabels();
    void fillLegendBoxesAndNames(bool selfBoxWhite);
    void setAllCyclesControlsVisible(bool visible);
    // Moves every member's report date (a date the calendar cannot hold leaves that member's
    // date as it was), then redraws the current view and the day scale.
    void stepDays(qint64 days, bool toToday);
    // Has a screen reader speak the chart as it now stands (after the explanation heading when
    // the view changed), wherever the focus is.
    void tellChart(bool withHeading);
    QString describeChart() const;
    void beginBusy();
    void endBusy();

    QWidget *m_client = nullptr;
    ChartCanvas *m_picBiorhythm = nullptr;

    QLabel *m_lblLeast = nullptr;
    QLabel *m_lblMost = nullptr;
    QLabel *m_lblDate = nullptr;
    QLabel *m_lblRedLineFor = nullptr;
    QLabel *m_lblGreenLineFor = nullptr;
    QLabel *m_lblBlueLineFor = nullptr;

    PictureButton *m_picLeft = nullptr;
    PictureButton *m_picRight = nullptr;
    PictureButton *m_picToday = nullptr;
    PictureButton *m_picShowAll = nullptr;
    PictureButton *m_picPhysical = nullptr;
    PictureButton *m_picEmotional = nullptr;
    PictureButton *m_picIntellectual = nullptr;
    PictureButton *m_picBack = nullptr;

    LineControl *m_lnHor = nullptr;
    LineControl *m_lnVert = nullptr;
    QList<LineControl *> m_lnVertNext;
    QList<LineControl *> m_lnVertPre;
    QList<QLabel *> m_lblNextDay;
    QList<QLabel *> m_lblPrevDay;
    QList<QLabel *> m_lblPercent;

    QGroupBox *m_Frame2 = nullptr;
    QGroupBox *m_Frame3 = nullptr;
    QList<QFrame *> m_Picture1;
    QList<QLabel *> m_lblName;
    QList<QLabel *> m_lblDayLived;
    QWidget *m_picExplain = nullptr;
    QLabel *m_lblGreen = nullptr;
    QList<QLabel *> m_lblInfo;

    QPushButton *m_cmdPhysical = nullptr;
    QPushButton *m_cmdEmotional = nullptr;
    QPushButton *m_cmdIntellectual = nullptr;
    QPushButton *m_cmdShowAll = nullptr;
    QPushButton *m_cmdPrevDay = nullptr;
    QPushButton *m_cmdNextDay = nullptr;
    QPushButton *m_cmdToday = nullptr;
    QPushButton *m_cmdBack = nullptr;

    QAction *m_mnuPhysical = nullptr;
    QAction *m_mnuEmotional = nullptr;
    QAction *m_mnuIntellectual = nullptr;
    QAction *m_mnuBack = nullptr;
    QAction *m_mnuExit = nullptr;
    QAction *m_mnuOnlineHelp = nullptr;
    QAction *m_mnuVisitUsOnline = nullptr;
    QAction *m_mnuCheckForUpdate = nullptr;
    QAction *m_mnuAboutUs = nullptr;

    bool m_unloaded = false;
    // A day step redraws through a view command; it tells of the chart once, when it is done.
    bool m_steppingDays = false;
};
