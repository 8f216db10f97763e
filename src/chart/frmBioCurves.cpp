// The chart window's day scale, its curves and the views that draw them.
#include "frmBio.h"

#include "ChartCanvas.h"
#include "model/modBiorhythm.h"
#include "platform/Dates.h"
#include "shell/LineControl.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using namespace modBiorhythm;

namespace {

// Pure red, green and blue as the visit state writes colours (0x00BBGGRR).
constexpr qint32 Red = 0x000000FF;
constexpr qint32 Green = 0x0000FF00;
constexpr qint32 Blue = 0x00FF0000;
constexpr qint32 White = 0x00FFFFFF;

// Numbers as the range labels show them: no leading blank, no decimals when whole.
QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The day scale

void frmBio::LayoutDayScale()
{
    ChartCanvas *canvas = m_picBiorhythm;
    const double W = canvas->ScaleWidth();
    const double H = canvas->ScaleHeight();
    const QDate report = IsMember(0) ? VisitorReportDate[0] : QDate();
    auto dayOfMonth = [&](qint64 offset) {
        const QDate day = report.addDays(offset);
        return day.isValid() ? QString::number(day.day()) : QString();
    };

    m_lnHor->SetEnds(QPointF(canvas->PixelX(0), canvas->PixelY(H / 2)),
                     QPointF(canvas->PixelX(W), canvas->PixelY(H / 2)));
    m_lnVert->SetBorderWidth(2);
    const double centre = W / 2;
    auto placeDayLine = [&](LineControl *line, double x) {
        line->SetEnds(QPointF(x * canvas->width() / W, canvas->PixelY(0)),
                      QPointF(x * canvas->width() / W, canvas->PixelY(H)));
    };
    placeDayLine(m_lnVert, centre);
    placeDayLine(m_lnVertNext[0], centre + 1);

    // Day numbers: right of the centre each stands just left of its day's line, left of the
    // centre just right of it; the report date itself is the date label.
    double left = 14.2;
    for (int i = 0; i < 14; ++i) {
        if (i > 0)
            left += 1;
        canvas->PlaceAt(m_lblNextDay[i], left, 0.14);
        Look::SetCaption(m_lblNextDay[i], dayOfMonth(i + 1));
    }
    left = 13.2;
    canvas->PlaceAt(m_lblPrevDay[13], left, 0.14);
    Look::SetCaption(m_lblPrevDay[13], dayOfMonth(-1));
    for (int i = 12; i >= 0; --i) {
        left -= 1;
        canvas->PlaceAt(m_lblPrevDay[i], left, 0.14);
        Look::SetCaption(m_lblPrevDay[i], dayOfMonth(-(14 - i)));
    }

    for (int i = 1; i < 13; ++i)
        placeDayLine(m_lnVertNext[i], centre + 1 + i);
    for (int i = 0; i < 13; ++i)
        placeDayLine(m_lnVertPre[i], centre - 1 - i);

    Look::SetCaption(m_lblLeast, numberText(-W / 2));
    Look::SetCaption(m_lblMost, numberText(W / 2));

    centreDateLabel();

    placePercentLabels();
}

void frmBio::placePercentLabels()
{
    // Each label stands at the right edge, level with what it names: "100%" with the top
    // edge, where every peak touches, but below the day numbers that run along that edge;
    // "0%" on the mid line; "-100%" on the bottom edge, where every trough touches.
    const int margin = 2;
    const int right = m_picBiorhythm->width() - margin;
    int dayNumbersBottom = 0;
    for (const QList<QLabel *> &row : { m_lblPrevDay, m_lblNextDay }) {
        for (const QLabel *day : row)
            dayNumbersBottom = qMax(dayNumbersBottom, day->geometry().bottom() + 1);
    }
    const int midLine = m_picBiorhythm->PixelY(m_picBiorhythm->ScaleHeight() / 2);
    QLabel *top = m_lblPercent[0];
    QLabel *mid = m_lblPercent[1];
    QLabel *bottom = m_lblPercent[3];
    top->move(right - top->width(), dayNumbersBottom + 1);
    mid->move(right - mid->width(), midLine - mid->height());
    bottom->move(right - bottom->width(), m_picBiorhythm->height() - bottom->height());
}

void frmBio::showDateLabel()
{
    const QDate report = IsMember(0) ? VisitorReportDate[0] : QDate();
    Look::SetCaption(m_lblDate, report.isValid() ? Dates::ShortDateText(report) : QString());
}

void frmBio::centreDateLabel()
{
    m_lblDate->adjustSize();
    m_lblDate->move(m_picBiorhythm->x() + m_picBiorhythm->width() / 2 - m_lblDate->width() / 2,
                    m_lblDate->y());
}

void frmBio::setAllCyclesControlsVisible(bool visible)
{
    for (QWidget *w : std::initializer_list<QWidget *> { m_picShowAll, m_lblRedLineFor,
                                                         m_lblGreenLineFor, m_lblBlueLineFor })
        w->setVisible(visible);
}

// ---------------------------------------------------------------------------------------------
// Curves

void frmBio::Parabola(double Xa, double Ya, double LastPt, qint32 RedGreenBlue)
{
    const double m = double(m_picBiorhythm->ScaleHeight()) / 2;
    const double halfWidth = LastPt - Xa;
    if (!(halfWidth > 0))
        return; // an arc whose right end is not right of its vertex has no points
    // An arc lying wholly left or right of the canvas would only set clipped points.
    if (LastPt < 0 || Xa - halfWidth >= m_picBiorhythm->ScaleWidth())
        return;
    const double k = (m - Ya) / (halfWidth * halfWidth);
    ChartCanvas::PointWriter points(*m_picBiorhythm, RedGreenBlue,
                                    QRectF(QPointF(Xa - halfWidth, Ya), QPointF(LastPt, m)));
    double x = Xa - halfWidth;
    // Points left of the canvas are clipped, and so is everything from the first point past
    // its right edge on: step over the one, stop at the other. The points between are the
    // very points of the full run, since x only ever grows by the same step.
    while (x < 0 && x <= LastPt)
        x += 0.01;
    points.SetArcRun(x, LastPt, Xa, Ya, k);
}

void frmBio::PlotCycle(int i, double P, qint32 C)
{
    if (!IsMember(i) || !(P > 0))
        return;
    const float W = m_picBiorhythm->ScaleWidth();
    double peakX = FirstVertex(i, P, W);
    while (float(peakX) < m_picBiorhythm->ScaleWidth()) {
        peakX += P / 2; // a maximum
        if (peakX + P / 4 >= 0)
            Parabola(peakX, 0, peakX + P / 4, C);
        peakX += P / 2; // a minimum
        if (peakX + P / 4 >= 0)
            Parabola(peakX, m_picBiorhythm->ScaleHeight(), peakX + P / 4, C);
    }
}

void frmBio::beginBusy()
{
    setCursor(Qt::WaitCursor);
}

void frmBio::endBusy()
{
    unsetCursor();
}

void frmBio::fillLegendBoxesAndNames(bool selfBoxWhite)
{
    for (int i = 0; i < TotalVisitors && i < m_Picture1.size(); ++i) {
        m_Picture1[i]->setVisible(true);
        if (selfBoxWhite)
            Look::SetBackColor(m_Picture1[0], Look::FromBgr(White));
        else if (IsMember(i))
            Look::SetBackColor(m_Picture1[i], Look::FromBgr(VisitorColor[i]));
        m_lblName[i]->setVisible(true);
        if (IsMember(i))
            Look::SetCaption(m_lblName[i], VisitorName[i]);
    }
}

void frmBio::HideLegendFrom(int first)
{
    for (int i = qMax(0, first); i < m_Picture1.size(); ++i) {
        m_Picture1[i]->hide();
        m_lblName[i]->hide();
        m_lblDayLived[i]->hide();
    }
}

void frmBio::cmdShowAll_Click()
{
    CurrentView = QStringLiteral("All");
    setAllCyclesControlsVisible(true);

    beginBusy();
    if (!IsSelf)
        m_picBiorhythm->Clear();
    showDateLabel();
    centreDateLabel();
    for (int i = 0; i < TotalVisitors; ++i)
        PlotCycle(i, PhysicalPeriod, Red);
    endBusy();
    ShowInfoTopic(InfoTopic::Physical);

    // The all-cycles view gives every member's box its own colour, SELF or not.
    fillLegendBoxesAndNames(false);
    for (int i = 0; i < TotalVisitors && i < m_lblDayLived.size(); ++i) {
        m_lblDayLived[i]->setVisible(true);
        Look::SetCaption(m_lblDayLived[i], DayLivedText(i));
    }

    beginBusy();
    fillLegendBoxesAndNames(false);
    centreDateLabel();
    for (int i = 0; i < TotalVisitors; ++i)
        PlotCycle(i, EmotionalPeriod, Green);
    endBusy();
    ShowInfoTopic(InfoTopic::Emotional);

    beginBusy();
    fillLegendBoxesAndNames(false);
    centreDateLabel();
    for (int i = 0; i < TotalVisitors; ++i)
        PlotCycle(i, IntellectualPeriod, Blue);
    endBusy();
    ShowInfoTopic(InfoTopic::Intellectual);
    tellChart(true);
}

void frmBio::runCycleView(const QString &view, double period, InfoTopic topic, bool legendFirst)
{
    beginBusy();
    CurrentView = view;
    m_picBiorhythm->Clear();
    showDateLabel();
    centreDateLabel();
    if (legendFirst)
        fillLegendBoxesAndNames(IsSelf);
    for (int i = 0; i < TotalVisitors; ++i) {
        const qint32 colour = IsSelf ? Red : (IsMember(i) ? VisitorColor[i] : 0);
        PlotCycle(i, period, colour);
    }
    endBusy();
    ShowInfoTopic(topic);
    fillLegendBoxesAndNames(IsSelf);
    for (int i = 0; i < TotalVisitors && i < m_lblDayLived.size(); ++i) {
        m_lblDayLived[i]->setVisible(true);
        Look::SetCaption(m_lblDayLived[i], DayLivedText(i));
    }
}

void frmBio::cmdPhysical_Click()
{
    runCycleView(QStringLiteral("Physical"), PhysicalPeriod, InfoTopic::Physical, false);
    tellChart(true);
}

void frmBio::cmdEmotional_Click()
{
    runCycleView(QStringLiteral("Emotional"), EmotionalPeriod, InfoTopic::Emotional, true);
    tellChart(true);
}

void frmBio::cmdIntellectual_Click()
{
    runCycleView(QStringLiteral("Intellectual"), IntellectualPeriod, InfoTopic::Intellectual, true);
    tellChart(true);
}
