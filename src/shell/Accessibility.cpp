#include "Accessibility.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QComboBox>
#include <QDateEdit>
#include <QHash>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QWindow>

namespace {

constexpr const char *OutOfSightProperty = "vantrelLeavesOutOfSightChildrenOut";

// Holds what a pressable control does; a child of the control, so it goes when the control
// goes, and with it any press still waiting in the event queue.
class PressHandler : public QObject
{
    Q_OBJECT

public:
    PressHandler(QWidget *control, QAccessible::Role role, std::function<void()> press)
        : QObject(control)
        , m_role(role)
        , m_press(std::move(press))
    { }

    QAccessible::Role role() const { return m_role; }
    void pressLater()
    {
        QMetaObject::invokeMethod(
            this, [this] { m_press(); }, Qt::QueuedConnection);
    }

private:
    QAccessible::Role m_role;
    std::function<void()> m_press;
};

class ToggleHandler : public QObject
{
    Q_OBJECT

public:
    ToggleHandler(QListWidget *list, std::function<void(int)> toggle)
        : QObject(list)
        , m_toggle(std::move(toggle))
    {
        // A screen reader hears of a tick however it came, by click, key or Toggle.
        connect(list->model(), &QAbstractItemModel::dataChanged, this,
                [list](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                    if (!QAccessible::isActive()
                        || (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole)))
                        return;
                    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(list);
                    for (int row = from.row(); iface && row <= to.row(); ++row) {
                        if (QAccessibleInterface *entry = iface->child(row)) {
                            QAccessible::State changed;
                            changed.checked = true;
                            QAccessibleStateChangeEvent event(entry, changed);
                            QAccessible::updateAccessibility(&event);
                        }
                    }
                });
    }

    void toggleLater(int row)
    {
        QMetaObject::invokeMethod(
            this, [this, row] { m_toggle(row); }, Qt::QueuedConnection);
    }

private:
    std::function<void(int)> m_toggle;
};

template<typename Handler> Handler *handlerOf(const QObject *object)
{
    return object ? object->findChild<Handler *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// The interfaces of the entries of a list, made when first asked for and kept by row, so that
// an entry stays the same object for assistive technology.
class EntryInterfaces
{
public:
    EntryInterfaces() = default;
    EntryInterfaces(const EntryInterfaces &) = delete;
    EntryInterfaces &operator=(const EntryInterfaces &) = delete;
    ~EntryInterfaces()
    {
        for (const QAccessible::Id id : std::as_const(m_ids))
            QAccessible::deleteAccessibleInterface(id);
    }

    template<typename Make> QAccessibleInterface *get(int row, Make make)
    {
        if (const auto found = m_ids.constFind(row); found != m_ids.cend())
            return QAccessible::accessibleInterface(*found);
        QAccessibleInterface *entry = make();
        m_ids.insert(row, QAccessible::registerAccessibleInterface(entry));
        return entry;
    }

    int rowOf(const QAccessibleInterface *entry) const
    {
        for (auto it = m_ids.cbegin(); it != m_ids.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == entry)
                return it.key();
        }
        return -1;
    }

private:
    QHash<int, QAccessible::Id> m_ids;
};

// What an entry of a list has in common with every other: no children, a place in its list,
// and one action of its own.
class EntryAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    EntryAccessible(QWidget *owner, int row)
        : m_owner(owner)
        , m_row(row)
    { }

    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return m_owner ? m_owner->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_owner.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override { }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

protected:
    // Actions reach only what the user can see and use.
    bool usable() const { return isValid() && m_owner->isEnabled() && m_owner->isVisible(); }

    QPointer<QWidget> m_owner;
    int m_row;
};

// A widget with one action of its own beside the toolkit's; the action reaches only a widget
// the user can see and use.
class OneActionAccessible : public QAccessibleWidget
{
public:
    OneActionAccessible(QWidget *widget, QAccessible::Role role, const QString &action)
        : QAccessibleWidget(widget, role)
        , m_action(action)
    { }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(m_action);
        return names;
    }

    void doAction(const QString &actionName) override
    {
        if (actionName != m_action)
            QAccessibleWidget::doAction(actionName);
        else if (widget()->isEnabled() && widget()->isVisible())
            perform();
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

protected:
    // Must return at once; what the action does follows in the next turn of the event loop.
    virtual void perform() = 0;

private:
    QString m_action;
};

class PressableAccessible : public OneActionAccessible
{
public:
    PressableAccessible(QWidget *control, QAccessible::Role role)
        : OneActionAccessible(control, role, pressAction())
    { }

protected:
    void perform() override
    {
        if (PressHandler *handler = handlerOf<PressHandler>(widget()))
            handler->pressLater();
    }
};

// One choice of a combo box; pressing it chooses it as picking it from the drop-down does.
class ChoiceAccessible : public EntryAccessible
{
public:
    using EntryAccessible::EntryAccessible;

    QComboBox *combo() const { return static_cast<QComboBox *>(m_owner.data()); }

    bool isValid() const override { return m_owner && m_row < combo()->count(); }
    QString text(QAccessible::Text t) const override
    {
        return isValid() && t == QAccessible::Name ? combo()->itemText(m_row) : QString();
    }
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        st.selectable = true;
        st.selected = combo()->currentIndex() == m_row;
        st.disabled = !combo()->isEnabled();
        st.invisible = !combo()->isVisible();
        return st;
    }

    QStringList actionNames() const override
    {
        return usable() ? QStringList { pressAction() } : QStringList();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction() || !usable())
            return;
        QPointer<QComboBox> box = combo();
        const int row = m_row;
        QMetaObject::invokeMethod(
            box,
            [box, row] {
                if (!box->isEnabled() || row >= box->count())
                    return;
                box->setCurrentIndex(row);
                emit box->activated(row);
            },
            Qt::QueuedConnection);
    }
};

// What a control shows, readable as text but not editable through the bridge: a screen reader
// reads a field's value from its text.
template<typename Base> class ShownText : public Base, public QAccessibleTextInterface
{
public:
    using Base::Base;

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return Base::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return shown();
        return Base::text(t);
    }

    QString text(int startOffset, int endOffset) const override
    {
        const QString all = shown();
        if (endOffset < 0 || endOffset > all.size())
            endOffset = int(all.size());
        startOffset = qBound(0, startOffset, endOffset);
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

protected:
    virtual QString shown() const = 0;
};

// Tells a screen reader of every new choice of a combo box in focus, however it came. Orca
// takes no notice of a combo box's name or selection changing (and the toolkit's bridge has
// no selection to offer, and sends a description change without its text), so the choice is
// announced.
class ChoiceWatcher : public QObject
{
    Q_OBJECT

public:
    explicit ChoiceWatcher(QComboBox *combo)
        : QObject(combo)
    {
        connect(combo, &QComboBox::currentIndexChanged, this, [combo] {
            if (combo->hasFocus() && !combo->currentText().isEmpty())
                Accessibility::Announce(combo, combo->currentText());
        });
    }
};

// Named after its label like every other field; what it shows is its value, readable as its
// text, and its choices are its children.
class ComboAccessible : public ShownText<OneActionAccessible>
{
public:
    explicit ComboAccessible(QComboBox *combo)
        : ShownText<OneActionAccessible>(combo, QAccessible::ComboBox, showMenuAction())
    {
        if (!handlerOf<ChoiceWatcher>(combo))
            new ChoiceWatcher(combo);
    }

    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }

    int childCount() const override { return combo()->count(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= combo()->count())
            return nullptr;
        return m_choices.get(index, [&] { return new ChoiceAccessible(combo(), index); });
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return m_choices.rowOf(child);
    }

protected:
    QString shown() const override { return combo()->currentText(); }
    void perform() override
    {
        QPointer<QComboBox> box = combo();
        QMetaObject::invokeMethod(
            box, [box] { box->showPopup(); }, Qt::QueuedConnection);
    }

private:
    mutable EntryInterfaces m_choices;
};

// Reads a date picker's new date back once the user pauses, typed or stepped, and refuses a
// key the picker cannot take out loud: the picker drops such a key without a sound, and a date
// typed in another form ("14 Mar 1984") would otherwise end up another date unnoticed.
class DateWatcher : public QObject
{
    Q_OBJECT

public:
    explicit DateWatcher(QDateEdit *picker)
        : QObject(picker)
        , m_picker(picker)
    {
        m_pause.setSingleShot(true);
        m_pause.setInterval(700);
        connect(&m_pause, &QTimer::timeout, this, [this] {
            if (m_picker->hasFocus())
                Accessibility::Announce(m_picker, m_picker->text());
        });
        connect(picker, &QDateEdit::dateChanged, this, [this] {
            if (m_picker->hasFocus())
                m_pause.start();
        });
        picker->installEventFilter(this);
    }

    // How the picker wants a date typed, in words: "day, month name, year".
    static QString formatInWords(const QString &format)
    {
        QStringList words;
        for (qsizetype i = 0; i < format.size();) {
            const QChar c = format.at(i);
            qsizetype run = 1;
            while (i + run < format.size() && format.at(i + run) == c)
                ++run;
            i += run;
            if (c == u'd' && run <= 2)
                words << QStringLiteral("day");
            else if (c == u'd')
                words << QStringLiteral("weekday");
            else if (c == u'M')
                words << (run <= 2 ? QStringLiteral("month in figures")
                                   : QStringLiteral("month name"));
            else if (c == u'y')
                words << QStringLiteral("year");
        }
        return words.join(QStringLiteral(", "));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_picker && event->type() == QEvent::FocusOut) {
            m_monthTyped.clear();
            m_monthChosen = 0;
        }
        if (watched == m_picker && event->type() == QEvent::KeyPress) {
            const QString typed = static_cast<QKeyEvent *>(event)->text();
            // The picker moves on to the next part by itself once a part's figures are all
            // typed; the separator the user types next must not move it on once more ("14 Mar"
            // would put "Mar" in the year).
            const QDateTimeEdit::Section section = m_picker->currentSection();
            const bool movedOn = m_movedOn || (m_lastWasFigure && section != m_sectionBeforeLast);
            m_movedOn = false;
            m_sectionBeforeLast = section;
            m_lastWasFigure = typed.size() == 1 && typed.at(0).isDigit();
            if (movedOn && typed.size() == 1 && typed.at(0).isPrint()
                && !typed.at(0).isLetterOrNumber())
                return true;
            if (typed.size() == 1 && typed.at(0).isLetter() && continuesMonth(typed.at(0))) {
                m_movedOn = true;
                return true;
            }
            if (typed.size() == 1 && typed.at(0).isLetter()
                && m_picker->currentSection() == QDateTimeEdit::MonthSection && monthIsNamed())
                return typeMonthLetter(typed.at(0));
            m_monthTyped.clear();
            m_monthChosen = 0;
            // Separators only move between the parts of the date; a letter or figure the
            // picker leaves out is refused.
            if (typed.size() == 1 && typed.at(0).isLetterOrNumber()) {
                // Whether the picker took the key shows once it has handled it.
                const QString before = m_picker->text();
                const int cursor = cursorPosition();
                QMetaObject::invokeMethod(
                    this,
                    [this, before, cursor] {
                        if (m_picker->text() == before && cursorPosition() == cursor)
                            refuse();
                    },
                    Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool monthIsNamed() const { return m_picker->displayFormat().contains(QStringLiteral("MMM")); }

    // The rest of a month name already told apart by its first letters ("n" of "Jan").
    bool continuesMonth(QChar letter)
    {
        if (m_monthChosen == 0)
            return false;
        const QString typed = m_monthTyped + letter;
        const QLocale locale = m_picker->locale();
        for (const QLocale::FormatType form : { QLocale::ShortFormat, QLocale::LongFormat }) {
            if (locale.monthName(m_monthChosen, form).startsWith(typed, Qt::CaseInsensitive)) {
                m_monthTyped = typed;
                return true;
            }
        }
        return false;
    }

    // The toolkit takes a month name typed letter by letter only now and then (in "14 Mar 1984"
    // the month stays as it was), so the letters are matched here against the month names, short
    // and long; a name they start uniquely is the month, and the year comes next.
    bool typeMonthLetter(QChar letter)
    {
        const QString typed = m_monthTyped + letter;
        const QLocale locale = m_picker->locale();
        QList<int> matches;
        for (int month = 1; month <= 12; ++month) {
            for (const QLocale::FormatType form : { QLocale::ShortFormat, QLocale::LongFormat }) {
                if (locale.monthName(month, form).startsWith(typed, Qt::CaseInsensitive)
                    && !matches.contains(month))
                    matches << month;
            }
        }
        if (matches.isEmpty()) {
            m_monthTyped.clear();
            refuse();
            return true;
        }
        m_monthTyped = typed;
        if (matches.size() == 1) {
            const QDate date = m_picker->date();
            const QDate first(date.year(), matches.first(), 1);
            m_picker->setDate(first.addDays(qMin(date.day(), first.daysInMonth()) - 1));
            m_picker->setSelectedSection(QDateTimeEdit::YearSection);
            m_monthChosen = matches.first();
            m_movedOn = true;
        }
        return true;
    }

    int cursorPosition() const
    {
        const QLineEdit *edit = m_picker->findChild<QLineEdit *>();
        return edit ? edit->cursorPosition() : -1;
    }

    void refuse()
    {
        m_pause.stop();
        QApplication::beep();
        Accessibility::Announce(m_picker,
                                QStringLiteral("Not taken: type the date as ")
                                    + formatInWords(m_picker->displayFormat())
                                    + QStringLiteral(". The date stays ") + m_picker->text());
    }

    QDateEdit *m_picker;
    QTimer m_pause;
    QString m_monthTyped;
    int m_monthChosen = 0;
    QDateTimeEdit::Section m_sectionBeforeLast = QDateTimeEdit::NoSection;
    bool m_lastWasFigure = false;
    bool m_movedOn = false;
};

// The date as the picker shows it, an editable field; a picker is no number. Its text field is
// a part of it, and its calendar a window of its own that is in the tree only while it is open.
class DateAccessible : public ShownText<QAccessibleWidget>
{
public:
    explicit DateAccessible(QDateEdit *picker)
        : ShownText<QAccessibleWidget>(picker, QAccessible::EditableText)
    {
        if (!handlerOf<DateWatcher>(picker))
            new DateWatcher(picker);
    }

    QDateEdit *picker() const { return static_cast<QDateEdit *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.editable = true;
        st.readOnly = false;
        return st;
    }

    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

protected:
    QString shown() const override { return picker()->text(); }
};

// One entry of a list of tick boxes.
class TickEntryAccessible : public EntryAccessible
{
public:
    using EntryAccessible::EntryAccessible;

    QListWidget *list() const { return static_cast<QListWidget *>(m_owner.data()); }
    QListWidgetItem *item() const { return m_owner ? list()->item(m_row) : nullptr; }

    bool isValid() const override { return item() != nullptr; }
    QString text(QAccessible::Text t) const override
    {
        QListWidgetItem *entry = item();
        return entry && t == QAccessible::Name ? entry->text() : QString();
    }
    QRect rect() const override
    {
        QListWidgetItem *entry = item();
        if (!entry)
            return {};
        const QRect area = list()->visualItemRect(entry);
        return QRect(list()->viewport()->mapToGlobal(area.topLeft()), area.size());
    }
    // A tick box by role too: not every bridge passes on the "checkable" state.
    QAccessible::Role role() const override { return QAccessible::CheckBox; }
    QAccessible::State state() const override
    {
        QAccessible::State st;
        QListWidgetItem *entry = item();
        if (!entry) {
            st.invalid = true;
            return st;
        }
        st.checkable = true;
        st.checked = entry->checkState() == Qt::Checked;
        st.focusable = true;
        st.focused = list()->hasFocus() && list()->currentItem() == entry;
        st.disabled = !list()->isEnabled();
        st.invisible = !list()->isVisible();
        st.offscreen = !list()->viewport()->rect().intersects(list()->visualItemRect(entry));
        return st;
    }

    QStringList actionNames() const override
    {
        return usable() ? QStringList { toggleAction() } : QStringList();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName != toggleAction() || !usable())
            return;
        if (ToggleHandler *handler = handlerOf<ToggleHandler>(list()))
            handler->toggleLater(m_row);
    }
};

class TickListAccessible : public QAccessibleWidget
{
public:
    explicit TickListAccessible(QListWidget *list)
        : QAccessibleWidget(list, QAccessible::List)
    { }

    QListWidget *list() const { return static_cast<QListWidget *>(widget()); }

    int childCount() const override { return list()->count(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= list()->count())
            return nullptr;
        return m_entries.get(index, [&] { return new TickEntryAccessible(list(), index); });
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return m_entries.rowOf(child);
    }
    QAccessibleInterface *focusChild() const override
    {
        const int row = list()->currentRow();
        return list()->hasFocus() && row >= 0 ? child(row) : nullptr;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint at = list()->viewport()->mapFromGlobal(QPoint(x, y));
        QListWidgetItem *entry = list()->itemAt(at);
        return entry ? child(list()->row(entry)) : nullptr;
    }

private:
    mutable EntryInterfaces m_entries;
};

// Children that lie wholly outside the visible rectangle are never seen, so never told of.
class ClientAreaAccessible : public QAccessibleWidget
{
public:
    explicit ClientAreaAccessible(QWidget *area)
        : QAccessibleWidget(area, QAccessible::Client)
    { }

    QList<QWidget *> inSight() const
    {
        QList<QWidget *> shown;
        const QRect visible = widget()->rect();
        for (QObject *object : widget()->children()) {
            auto *w = qobject_cast<QWidget *>(object);
            if (w && !w->isWindow() && !qobject_cast<QMenu *>(w)
                && visible.intersects(w->geometry()))
                shown << w;
        }
        return shown;
    }

    int childCount() const override { return int(inSight().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> shown = inSight();
        return index >= 0 && index < shown.size()
            ? QAccessible::queryAccessibleInterface(shown.at(index))
            : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        return int(inSight().indexOf(qobject_cast<QWidget *>(child->object())));
    }
};

// Speaks for a window: a screen reader speaks a notification the moment it shows. It has no
// size, so nothing of it is ever seen.
class Announcer : public QWidget
{
    Q_OBJECT

public:
    explicit Announcer(QWidget *window)
        : QWidget(window)
    {
        setObjectName(QStringLiteral("announcer"));
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 0, 0);
        hide();
    }

    void say(const QString &text)
    {
        hide();
        setAccessibleName(text);
        show();
    }
};

// Works out a control's description whenever it is asked for.
class DescriptionSource : public QObject
{
    Q_OBJECT

public:
    DescriptionSource(QWidget *control, QAccessible::Role role, std::function<QString()> describe)
        : QObject(control)
        , m_role(role)
        , m_describe(std::move(describe))
    { }

    QAccessible::Role role() const { return m_role; }
    QString describe() const { return m_describe(); }

private:
    QAccessible::Role m_role;
    std::function<QString()> m_describe;
};

class DescribedAccessible : public QAccessibleWidget
{
public:
    DescribedAccessible(QWidget *control, QAccessible::Role role)
        : QAccessibleWidget(control, role)
    { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description) {
            if (DescriptionSource *source = handlerOf<DescriptionSource>(widget()))
                return source->describe();
        }
        return QAccessibleWidget::text(t);
    }
};

// The toolkit asks the factory for a control's interface only the first time anyone asks, and
// keeps the answer. With a screen reader listening, the events a window sends while it is
// being built make the bridge ask before the window has set its controls up for it (a window
// rebuilt after the chart, or opened a second time, is built just so): such an early answer is
// dropped, so that the next question reaches the factory again.
template<typename Wanted> void dropEarlyInterface(QWidget *control)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
    if (iface && !dynamic_cast<Wanted *>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

// The label of a group of option buttons, for each of them: a screen reader says it as the
// focus enters the group ("Sex, Male, radio button").
class GroupLabel : public QObject
{
    Q_OBJECT

public:
    GroupLabel(QRadioButton *option, QLabel *label)
        : QObject(option)
        , m_label(label)
    { }

    QLabel *label() const { return m_label; }

private:
    QPointer<QLabel> m_label;
};

class OptionAccessible : public QAccessibleWidget
{
public:
    explicit OptionAccessible(QRadioButton *option)
        : QAccessibleWidget(option, QAccessible::RadioButton)
    { }

    QRadioButton *option() const { return static_cast<QRadioButton *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && option()->accessibleName().isEmpty())
            return option()->text().remove(QLatin1Char('&'));
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.checkable = true;
        st.checked = option()->isChecked();
        return st;
    }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto found = QAccessibleWidget::relations(match);
        GroupLabel *group = handlerOf<GroupLabel>(option());
        if ((match & QAccessible::Label) && group && group->label()) {
            if (QAccessibleInterface *label = QAccessible::queryAccessibleInterface(group->label()))
                found.append({ label, QAccessible::Label });
        }
        return found;
    }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (option()->isEnabled())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        QPointer<QRadioButton> button = option();
        QMetaObject::invokeMethod(
            button,
            [button] {
                if (button->isEnabled() && button->isVisible())
                    button->click();
            },
            Qt::QueuedConnection);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

// A pop-up that is not open (a date picker's calendar, kept from one opening to the next) is
// no part of what the user has before them, yet it keeps sending events as its contents follow
// the field; a screen reader would read them out while the user types. They are dropped; the
// pop-up is told of once it opens.
bool inClosedPopup(const QObject *object)
{
    const auto *widget = qobject_cast<const QWidget *>(object);
    if (!widget)
        return false;
    const QWidget *window = widget->window();
    return window->windowType() == Qt::Popup && !window->isVisible();
}

// The toolkit's bridge to the screen reader holds every key press and release until the screen
// reader has seen it, then posts a copy to the window that had the keyboard. A shortcut such as
// Alt+H is matched before that hold, so its menu can open while the copy of the Alt press is
// still on its way; the window then hands the late copy to the open menu, which takes a lone
// Alt press as "close". A modifier key held back from before the pop-up opened belongs to the
// chord that opened it and means nothing to the pop-up: it is dropped. Keys the user presses
// once the pop-up is open go to the pop-up's own window and pass untouched, and so does
// everything the window system delivers itself (spontaneous events).
class LateModifierFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if ((event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            || event->spontaneous() || !watched->isWindowType())
            return false;
        const QWidget *popup = QApplication::activePopupWidget();
        if (!popup || static_cast<QObject *>(popup->windowHandle()) == watched)
            return false;
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Control:
        case Qt::Key_Shift:
        case Qt::Key_Meta:
            return true;
        default:
            return false;
        }
    }
};

QAccessible::UpdateHandler s_nextHandler = nullptr;

void passOnUpdate(QAccessibleEvent *event)
{
    const QAccessible::Event type = event->type();
    if (type != QAccessible::ObjectDestroyed && type != QAccessible::ObjectHide
        && inClosedPopup(event->object()))
        return;
    // The toolkit has no call that hands an event on to the bridge; with this handler out of
    // the way, the usual call does (or hands it to the handler that was there before).
    QAccessible::installUpdateHandler(s_nextHandler);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(passOnUpdate);
}

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    // Asked once per class up the hierarchy, most derived first: answer on the first.
    if (className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    if (PressHandler *handler = handlerOf<PressHandler>(widget))
        return new PressableAccessible(widget, handler->role());
    if (DescriptionSource *source = handlerOf<DescriptionSource>(widget))
        return new DescribedAccessible(widget, source->role());
    if (auto *option = qobject_cast<QRadioButton *>(widget);
        option && handlerOf<GroupLabel>(option))
        return new OptionAccessible(option);
    if (qobject_cast<Announcer *>(widget))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (auto *list = qobject_cast<QListWidget *>(widget); list && handlerOf<ToggleHandler>(list))
        return new TickListAccessible(list);
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return new ComboAccessible(combo);
    if (auto *picker = qobject_cast<QDateEdit *>(widget))
        return new DateAccessible(picker);
    if (widget->property(OutOfSightProperty).toBool())
        return new ClientAreaAccessible(widget);
    return nullptr;
}

} // namespace

namespace Accessibility {

void Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        s_nextHandler = QAccessible::installUpdateHandler(passOnUpdate);
        qApp->installEventFilter(new LateModifierFilter(qApp));
        return true;
    }();
    Q_UNUSED(installed);
}

void MakePressable(QWidget *control, QAccessible::Role role, std::function<void()> press)
{
    Install();
    new PressHandler(control, role, std::move(press));
    dropEarlyInterface<PressableAccessible>(control);
}

void MakeCheckableList(QListWidget *list, std::function<void(int row)> toggle)
{
    Install();
    new ToggleHandler(list, std::move(toggle));
    dropEarlyInterface<TickListAccessible>(list);
}

void LeaveOutOfSightChildrenOut(QWidget *clientArea)
{
    Install();
    clientArea->setProperty(OutOfSightProperty, true);
    dropEarlyInterface<ClientAreaAccessible>(clientArea);
}

void LabelGroup(QLabel *label, const QList<QRadioButton *> &options)
{
    Install();
    for (QRadioButton *option : options) {
        new GroupLabel(option, label);
        dropEarlyInterface<OptionAccessible>(option);
    }
}

void MakeDateField(QDateEdit *picker)
{
    Install();
    if (!handlerOf<DateWatcher>(picker))
        new DateWatcher(picker);
}

void DescribeAs(QWidget *control, QAccessible::Role role, std::function<QString()> describe)
{
    Install();
    new DescriptionSource(control, role, std::move(describe));
    dropEarlyInterface<DescribedAccessible>(control);
}

void Announce(QWidget *context, const QString &text)
{
    Install();
    QWidget *window = context ? context->window() : nullptr;
    if (!window)
        return;
    auto *announcer = window->findChild<Announcer *>(QString(), Qt::FindDirectChildrenOnly);
    if (!announcer)
        announcer = new Announcer(window);
    if (window->isVisible())
        announcer->say(text);
}

} // namespace Accessibility

#include "Accessibility.moc"
