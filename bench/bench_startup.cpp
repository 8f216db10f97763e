// Start-up time and memory of the program's windows, each measured in a fresh process:
//   QT_QPA_PLATFORM=offscreen ./bench_startup
// Without arguments it starts itself once per window and run, the windows in turn, and reports
// the time from starting the process to the window's first painted frame (median of the runs)
// and the peak resident memory of the process. The same is measured for a bare main window with
// a menu bar and one label, in the same run: what any Qt program pays before it shows anything,
// against which the start-up window is set.
#include "PeakMemory.h"

#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "startup/frmAtFirst.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <cstdio>

namespace {

constexpr int Runs = 15;

// Reports on standard output once the window has painted its first frame, then quits.
class FirstFrame : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // Let the paint finish before the figures are read.
            QTimer::singleShot(0, qApp, [] {
                std::printf("frame %ld\n", peakMemoryKiB());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

void fillGroupOfTen()
{
    using namespace modBiorhythm;
    ResizeMemberTable(10);
    TotalVisitors = 10;
    VisitorsLeft = 0;
    for (int i = 0; i < 10; ++i)
        StoreMember(i, QStringLiteral("Member %1").arg(i + 1), QDate(1950, 3, 1).addDays(i * 1237),
                    QDate(2024, 6, 15), 0x102030 * (i + 1));
    VisitType = QStringLiteral("GROUP");
    IsSelf = false;
}

// One measured process: builds and shows one window the way the program does. It quits at
// its first frame without unloading the window, so no web page is opened.
int child(const QString &window)
{
    QStandardPaths::setTestModeEnabled(true);
    FirstFrame watcher;
    QWidget *shown = nullptr;
    if (window == QLatin1String("startup")) {
        shown = frmAtFirst::GetOrCreate();
    } else if (window == QLatin1String("bare")) {
        auto *bare = new QMainWindow;
        bare->menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("Exit"));
        bare->setCentralWidget(new QLabel(QStringLiteral("Vantrel"), bare));
        bare->resize(640, 480);
        shown = bare;
    } else {
        fillGroupOfTen();
        shown = new frmBio;
    }
    if (!shown)
        return 1;
    shown->installEventFilter(&watcher);
    for (QWidget *w : shown->findChildren<QWidget *>())
        w->installEventFilter(&watcher);
    shown->show();
    return QApplication::exec();
}

struct Figures
{
    double medianMs = 0;
    double fastestMs = 0;
    double slowestMs = 0;
    long peakKiB = 0;
};

// One start of a window in a fresh process: the time to its first frame and the peak memory,
// or a time of 0 when it could not be measured.
std::pair<double, long> startOnce(const QString &window, const QString &tempDir,
                                  const QString &runtimeDir)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), tempDir);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), { window });
    if (!process.waitForStarted() || !process.waitForReadyRead(10000))
        return { 0, 0 };
    const double ms = clock.nsecsElapsed() / 1e6;
    const QByteArray line = process.readLine().trimmed();
    process.waitForFinished(10000);
    if (!line.startsWith("frame "))
        return { 0, 0 };
    return { ms, line.mid(6).toLong() };
}

// The windows are started in turn, run after run, so that a machine that gets busier or
// quieter while the benchmark runs weighs on each of them alike.
QList<Figures> measure(const QStringList &windows, const QString &tempDir,
                       const QString &runtimeDir)
{
    QList<QList<double>> times(windows.size());
    QList<long> peaks(windows.size(), 0);
    for (int run = 0; run < Runs; ++run) {
        for (qsizetype w = 0; w < windows.size(); ++w) {
            const auto [ms, kib] = startOnce(windows.at(w), tempDir, runtimeDir);
            if (ms <= 0)
                return {};
            times[w].append(ms);
            peaks[w] = std::max(peaks[w], kib);
        }
    }
    QList<Figures> figures;
    for (qsizetype w = 0; w < windows.size(); ++w) {
        QList<double> &t = times[w];
        std::sort(t.begin(), t.end());
        figures.append({ t.at(t.size() / 2), t.first(), t.last(), peaks.at(w) });
    }
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1)
        return child(args.at(1));

    QTemporaryDir temp;
    // The start-up window takes the one-copy lock in the runtime folder, which a desktop keeps
    // in memory (/run/user/UID); on a disk, writing the lock would be timed too. A folder of
    // the runs' own also keeps a running copy of the program out of them.
    const QString memory = QStringLiteral("/dev/shm");
    const QString pattern = QStringLiteral("/vantrel-bench-XXXXXX");
    QTemporaryDir runtime((QFileInfo(memory).isWritable() ? memory : QDir::tempPath()) + pattern);
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const struct
    {
        const char *mode;
        const char *title;
        double targetMs;
        long targetKiB;
    } windows[] = { { "bare", "bare main window", 0, 0 },
                    { "startup", "start-up window", 300, 80 * 1024 },
                    { "chart", "GROUP-of-10 chart", 300, 80 * 1024 } };
    QStringList modes;
    for (const auto &w : windows)
        modes.append(QString::fromLatin1(w.mode));
    const QList<Figures> figures = measure(modes, temp.path(), runtime.path());
    if (figures.isEmpty()) {
        std::printf("a window could not be measured\n");
        return 1;
    }
    double bareMs = 0;
    for (qsizetype i = 0; i < modes.size(); ++i) {
        const auto &w = windows[i];
        const Figures &f = figures.at(i);
        if (w.targetMs <= 0) {
            bareMs = f.medianMs;
            std::printf("%-18s first frame %6.1f ms (median of %d; %.1f .. %.1f), "
                        "peak memory %6.1f MiB: the baseline\n",
                        w.title, f.medianMs, Runs, f.fastestMs, f.slowestMs, f.peakKiB / 1024.0);
            continue;
        }
        std::printf("%-18s first frame %6.1f ms (median of %d; %.1f .. %.1f; target < %.0f ms: "
                    "%s), peak memory %6.1f MiB (target < %ld MiB: %s)\n",
                    w.title, f.medianMs, Runs, f.fastestMs, f.slowestMs, w.targetMs,
                    f.medianMs < w.targetMs ? "met" : "MISSED", f.peakKiB / 1024.0,
                    w.targetKiB / 1024, f.peakKiB < w.targetKiB ? "met" : "MISSED");
        if (QLatin1String(w.mode) == QLatin1String("startup")) {
            const double ratio = f.medianMs / bareMs;
            std::printf("%-18s %6.2f x the bare main window (target <= 1.5: %s)\n", "", ratio,
                        ratio <= 1.5 ? "met" : "MISSED");
        }
    }
    return 0;
}
