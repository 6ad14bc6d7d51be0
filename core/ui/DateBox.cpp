#include "DateBox.h"

#include "core/Clock.h"
#include "core/TypedDate.h"
#include "core/UserDialogs.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QStyle>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

DateBox::DateBox(const QString &what, QWidget *parent) : QLineEdit(parent), m_what(what)
{
    setPlaceholderText(u"dd/mm/yyyy"_s);
    setMaxLength(10);
    setAccessibleName(what);
    QAction *pick = addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), QLineEdit::TrailingPosition);
    pick->setObjectName(u"actPickDate"_s);
    pick->setToolTip(u"Pick the date from a calendar (Alt+Down)"_s);
    connect(pick, &QAction::triggered, this, &DateBox::showCalendar);
    // The keyboard way to the calendar, as date pickers have it.
    auto *keys = new QAction(this);
    keys->setShortcut(Qt::ALT | Qt::Key_Down);
    keys->setShortcutContext(Qt::WidgetShortcut);
    addAction(keys);
    connect(keys, &QAction::triggered, this, &DateBox::showCalendar);
}

QDate DateBox::date() const
{
    return parseTypedDate(text());
}

void DateBox::setDate(const QDate &date)
{
    setText(typedDateText(date));
}

bool DateBox::check()
{
    if (date().isValid())
        return true;
    // The message box takes the focus, which must not ask again.
    if (!m_complaining) {
        m_complaining = true;
        UserDialogs::instance().message(window()->windowTitle(), typedDateMessage(m_what, text()),
                                        UserDialogs::Icon::Exclamation);
        m_complaining = false;
    }
    QTimer::singleShot(0, this, [this] {
        setFocus(Qt::OtherFocusReason);
        selectAll();
    });
    return false;
}

void DateBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Leaving by the keyboard is the agent moving on: a text that is not a date is refused there.
    // A click elsewhere is checked when the window uses the date.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        check();
}

void DateBox::showCalendar()
{
    if (!m_calendar) {
        m_calendar = new QCalendarWidget(this);
        m_calendar->setObjectName(u"calendar"_s);
        m_calendar->setWindowFlags(Qt::Popup);
        connect(m_calendar, &QCalendarWidget::activated, this, [this](const QDate &picked) {
            setDate(picked);
            m_calendar->hide();
            setFocus(Qt::OtherFocusReason);
        });
        connect(m_calendar, &QCalendarWidget::clicked, m_calendar, &QCalendarWidget::activated);
    }
    m_calendar->setSelectedDate(date().isValid() ? date() : Clock::instance().today());
    m_calendar->move(mapToGlobal(QPoint(0, height())));
    m_calendar->show();
    m_calendar->setFocus();
}
