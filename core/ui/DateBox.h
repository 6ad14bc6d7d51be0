#pragma once

#include <QDate>
#include <QLineEdit>

class QCalendarWidget;

// A date typed in full as dd/mm/yyyy, or picked from the calendar behind its button. Tab leaves
// the box (a section-stepping date editor kept Tab inside and changed the day it stepped over);
// a text that is not a date is refused with a message when Tab leaves it and when the window
// uses it (check()).
class DateBox final : public QLineEdit
{
    Q_OBJECT
public:
    // `what` names the box in messages ("End Date").
    DateBox(const QString &what, QWidget *parent = nullptr);

    // The date typed; invalid while the text is not a date.
    QDate date() const;
    void setDate(const QDate &date);
    // True for a date; otherwise says so, puts the focus back in the box and returns false.
    bool check();

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showCalendar();

    QString m_what;
    QCalendarWidget *m_calendar = nullptr;
    bool m_complaining = false;
};
