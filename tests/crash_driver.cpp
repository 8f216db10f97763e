// Saves or removes a person through the start-up window, the way a user does, under libfiu's
// POSIX wrappers and fault_shim.so, with one callback over every file call the operation makes
// on this thread. It counts them, or at the chosen one kills the program, tears the write,
// fails the call with an error or waits for a word on its input before letting it through.
//   VANTREL_FAULT=count|kill:K|torn:K|fail:K:ERRNO|failpoint:NAME:NTH:ERRNO|pause:NAME:NTH|
//                 pause:ready
//   LD_PRELOAD=/usr/lib/fiu/fiu_posix_preload.so:fault_shim.so
//   crash_driver save NAME|remove ROW|list
// It prints what the window listed, the calls it counted, the message the user was given and
// what the list showed afterwards.

#include "DialogAnswerers.h"
#include "PageSink.h"
#include "model/modBiorhythm.h"
#include "startup/frmAtFirst.h"

#include <QApplication>
#include <QChildEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>

#include <fiu-control.h>
#include <fiu.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

namespace {

enum class Mode { Count, Kill, Torn, Fail, FailPoint, Pause };

struct Fault
{
    Mode mode = Mode::Count;
    int call = 0; // the k-th call of the operation, from 1
    std::string point; // or the nth call to this point
    int nth = 0;
    int error = 0;
};

Fault fault;
bool armed = false;
bool inCallback = false;
std::vector<std::string> calls;
std::vector<int> pointCalls; // per call: how many calls to its point came before, and it
pid_t mainThread = 0;

Fault parse(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    Fault f;
    const QString mode = parts.value(0);
    if (mode == QLatin1String("kill"))
        f.mode = Mode::Kill;
    else if (mode == QLatin1String("torn"))
        f.mode = Mode::Torn;
    else if (mode == QLatin1String("fail"))
        f.mode = Mode::Fail;
    else if (mode == QLatin1String("failpoint"))
        f.mode = Mode::FailPoint;
    else if (mode == QLatin1String("pause"))
        f.mode = Mode::Pause;
    if (f.mode == Mode::FailPoint || f.mode == Mode::Pause) {
        f.point = parts.value(1).toStdString();
        f.nth = parts.value(2).toInt();
        f.error = parts.value(3).toInt();
    } else {
        f.call = parts.value(1).toInt();
        f.error = parts.value(2).toInt();
    }
    return f;
}

void say(const QString &line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

int onCall(const char *name, int *, void **failinfo, unsigned int *)
{
    // libfiu asks a second time whether to shorten a read or a write: one call, counted once.
    if (!armed || inCallback || ::gettid() != mainThread || std::strstr(name, "/reduce"))
        return 0;
    inCallback = true;
    calls.push_back(name);
    int samePoint = 0;
    for (const std::string &call : calls)
        samePoint += call == name;
    const int k = int(calls.size());
    int fail = 0;
    switch (fault.mode) {
    case Mode::Count:
        break;
    case Mode::Kill:
    case Mode::Torn:
        if (k == fault.call) {
            using Tear = void (*)();
            auto tear = reinterpret_cast<Tear>(dlsym(RTLD_DEFAULT, "vantrel_tear_next_write"));
            if (fault.mode == Mode::Torn && std::strcmp(name, "posix/io/rw/write") == 0 && tear)
                tear();
            else
                ::raise(SIGKILL);
        }
        break;
    case Mode::Fail:
        fail = k == fault.call;
        break;
    case Mode::FailPoint:
        fail = name == fault.point && (fault.nth == 0 || samePoint == fault.nth);
        break;
    case Mode::Pause:
        if (name == fault.point && samePoint == fault.nth) {
            say(QStringLiteral("paused"));
            char line[64];
            if (!std::fgets(line, sizeof line, stdin))
                ::raise(SIGKILL);
        }
        break;
    }
    if (fail)
        *failinfo = reinterpret_cast<void *>(std::intptr_t(fault.error));
    inCallback = false;
    return fail;
}

// The operation ends where the message box that tells its outcome is made: calls after that
// belong to the box, not to the file.
class Disarmer : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded && armed)
            armed = false;
        return QObject::eventFilter(watched, event);
    }
};

QStringList listed(frmAtFirst *window)
{
    QStringList names;
    auto *list = window->findChild<QListWidget *>(QStringLiteral("lstShowSavedInfo"));
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    // Leaving the window would open the farewell page.
    PageSink sink;
    const QStringList args = QApplication::arguments();
    const QString operation = args.value(1);
    fault = parse(qEnvironmentVariable("VANTREL_FAULT"));
    mainThread = ::getpid();
    fiu_init(0);
    // Every file call libfiu and the shim have a point for, each by its own name: a wildcard
    // would hand the callback the wildcard instead.
    for (const char *point :
         { "posix/io/oc/open",        "posix/io/oc/close",     "posix/io/sync/fsync",
           "posix/io/sync/fdatasync", "posix/io/rw/read",      "posix/io/rw/pread",
           "posix/io/rw/readv",       "posix/io/rw/preadv",    "posix/io/rw/write",
           "posix/io/rw/pwrite",      "posix/io/rw/writev",    "posix/io/rw/pwritev",
           "posix/io/rw/truncate",    "posix/io/rw/ftruncate", "posix/io/dir/opendir",
           "posix/io/dir/fdopendir",  "posix/io/dir/readdir",  "posix/io/dir/readdir_r",
           "posix/io/dir/closedir",   "posix/io/dir/unlink",   "posix/io/dir/rename",
           "posix/mm/mmap",           "posix/mm/msync",        "posix/stdio/oc/fopen",
           "posix/stdio/oc/fclose",   "posix/stdio/rw/fread",  "posix/stdio/rw/fwrite",
           "posix/stdio/remove",      "vantrel/io/fstat",      "vantrel/io/fstat64",
           "vantrel/io/lstat",        "vantrel/io/lstat64",    "vantrel/io/readlink",
           "vantrel/io/fchmod",       "vantrel/io/link",       "vantrel/io/mkdir",
           "vantrel/io/renameat2" })
        fiu_enable_external(point, 1, nullptr, 0, onCall);

    frmAtFirst *window = frmAtFirst::GetOrCreate();
    if (!window) {
        std::fprintf(stderr, "crash_driver: another copy of the program is running\n");
        return 2;
    }
    window->show();
    say(QStringLiteral("listed ") + QString::number(listed(window).size()));

    // One person: a removal takes exactly one ticked entry.
    auto *type = window->findChild<QComboBox *>(QStringLiteral("cboVisitType"));
    type->setCurrentIndex(type->findText(QStringLiteral("SELF")));
    emit type->activated(type->currentIndex());
    if (operation == QLatin1String("save")) {
        window->picSaveInfo1_Click();
        window->findChild<QLineEdit *>(QStringLiteral("txtNameForSave"))->setText(args.value(2));
        window->findChild<QDateEdit *>(QStringLiteral("dtpDobForSave"))
            ->setDate(QDate(1984, 3, 14));
    } else if (operation == QLatin1String("remove")) {
        window->picRecallInfo_Click();
        auto *list = window->findChild<QListWidget *>(QStringLiteral("lstShowSavedInfo"));
        if (QListWidgetItem *item = list->item(args.value(2).toInt()))
            item->setCheckState(Qt::Checked);
    }

    Disarmer disarmer;
    window->installEventFilter(&disarmer);
    BoxAnswerer answerer;
    say(QStringLiteral("ready"));
    // "pause:ready": between the listing and the click, as a user is.
    if (fault.mode == Mode::Pause && fault.point == "ready") {
        say(QStringLiteral("paused"));
        char line[64];
        if (!std::fgets(line, sizeof line, stdin))
            return 1;
    }
    armed = true;
    if (operation == QLatin1String("save"))
        window->picSaveInfo2_Click();
    else if (operation == QLatin1String("remove"))
        window->picRemove_Click();
    armed = false;
    window->removeEventFilter(&disarmer);

    say(QStringLiteral("calls ") + QString::number(calls.size()));
    for (const std::string &call : calls)
        say(QStringLiteral("call ") + QString::fromStdString(call));
    say(QStringLiteral("message ")
        + QString(answerer.text).replace(QLatin1Char('\r'), QLatin1Char('|')));
    say(QStringLiteral("icon ") + QString::number(int(answerer.icon)));
    say(QStringLiteral("listed after ") + listed(window).join(QLatin1Char('|')));
    window->close();
    return 0;
}
