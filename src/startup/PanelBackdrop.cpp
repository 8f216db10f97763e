#include "PanelBackdrop.h"

#include "BackdropArt.h"
#include "shell/Look.h"
#include "shell/PoolTask.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <future>
#include <initializer_list>
#include <optional>
#include <utility>

namespace PanelBackdrop {

namespace {

Target currentTarget()
{
    // At the screen's pixel density, so the banner and the address stay sharp, and in the
    // format the screen's pixmaps have, so that handing it over copies nothing and changes
    // no pixel.
    QPixmap probe(1, 1);
    probe.fill(Look::Background);
    return { qMax(qreal(1), qApp ? qApp->devicePixelRatio() : qreal(1)), probe.toImage().format() };
}

// The picture the build drew for this target, if it drew one with the fonts and the dots per
// inch the drawing would have here.
const StoredPicture *storedFor(const Target &target)
{
    for (const StoredPicture *picture : { &DrawnAtRatio1, &DrawnAtRatio2 }) {
        if (picture->devicePixelRatio == target.devicePixelRatio && picture->format == target.format
            && CurrentSetting(target.format)
                == Setting { picture->dotsPerInch, picture->scaledScreens,
                             QString::fromUtf8(picture->fontFamily) })
            return picture;
    }
    return nullptr;
}

// The drawing under way and its result; used on the GUI thread only.
struct Drawing
{
    std::promise<void> mayLetter;
    bool letteringAllowed = false;
    std::future<QImage> result;
};
std::optional<Drawing> drawing;
std::optional<QPixmap> drawn;
const StoredPicture *stored = nullptr;

} // namespace

void StartDrawing()
{
    if (drawn || drawing || stored)
        return;
    const Target target = currentTarget();
    // The build's picture is unpacked when first painted: that takes less than handing work
    // to another thread.
    stored = storedFor(target);
    if (stored)
        return;
    drawing.emplace();
    drawing->result = RunOnPool([target, mayLetter = drawing->mayLetter.get_future()]() mutable {
        QImage picture = DrawShapes(target);
        mayLetter.wait();
        DrawLettering(picture);
        return picture;
    });
    // The drawing uses the application's fonts, so it must end before they go.
    qAddPostRoutine(FinishDrawing);
}

void StartLettering()
{
    if (drawing && !std::exchange(drawing->letteringAllowed, true))
        drawing->mayLetter.set_value();
}

void FinishDrawing()
{
    if (!drawing)
        return;
    StartLettering();
    drawn = QPixmap::fromImage(drawing->result.get());
    drawing.reset();
}

QImage Draw()
{
    return DrawWhole(currentTarget());
}

QImage DrawnByTheBuild()
{
    const StoredPicture *picture = storedFor(currentTarget());
    return picture ? Unpack(*picture) : QImage();
}

const QPixmap &Picture()
{
    FinishDrawing();
    if (!drawn) {
        QImage picture;
        if (const StoredPicture *built = stored ? stored : storedFor(currentTarget()))
            picture = Unpack(*built);
        drawn = QPixmap::fromImage(picture.isNull() ? Draw() : std::move(picture));
    }
    return *drawn;
}

} // namespace PanelBackdrop
