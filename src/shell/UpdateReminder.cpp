#include "UpdateReminder.h"

#include "modRegistry.h"
#include "platform/Dates.h"
#include "platform/MessageBox.h"

#include <QSettings>

namespace {

const QString ReminderKey = QStringLiteral("UpdateReminderDate");
constexpr qint64 ReminderDays = 15;

void storeToday(QSettings &settings)
{
    settings.setValue(ReminderKey, Dates::Today().toString(Qt::ISODate));
    settings.sync();
}

} // namespace

void UpdateReminder()
{
    QSettings settings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel"));
    const QDate last = QDate::fromString(settings.value(ReminderKey).toString(), Qt::ISODate);
    // No date yet, or one nobody can read: start counting from today without asking, as on
    // the very first run.
    if (!last.isValid()) {
        storeToday(settings);
        return;
    }
    // A date in the future (a clock that was set back) counts as well.
    if (qAbs(last.daysTo(Dates::Today())) < ReminderDays)
        return;
    if (MessageBox::AskYesNo(nullptr, QStringLiteral("Do You Wish To Update The Software ?")))
        modRegistry::OpenDownloadPage();
    storeToday(settings);
}
