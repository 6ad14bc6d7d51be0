#pragma once

#include "Booking.h"
#include "BookingHistory.h"

#include <QList>
#include <QObject>

#include <functional>
#include <optional>

class Db;

// The agent's booking gestures of the session, undone and redone one by one. Each step holds the
// rows a gesture changed, before and after; undo puts back the jockey, state and confirmation
// each row had before (the race it stands in stays), redo those it had after. A row changed since
// (by a reload, the other window, the command line) is overwritten only after the agent agrees.
class BookingUndo : public QObject
{
    Q_OBJECT

public:
    // The stored booking of a nomination (meeting code, horse), nullopt when none.
    using Reader = std::function<std::optional<Booking>(Db &, const QString &, const QString &)>;
    // Changes a booking row from `before` to `after` (nullopt: none), recording it in the history.
    using Writer = std::function<void(Db &, const std::optional<Booking> &, const std::optional<Booking> &)>;

    BookingUndo(Reader reader, Writer writer, QObject *parent = nullptr);
    // The session's one stack, over the stored bookings: both windows share it.
    static BookingUndo &session();

    struct Change {
        std::optional<Booking> before;
        std::optional<Booking> after;
    };

    // One gesture: every booking written while it lives is one step (none: no step); writes
    // outside one are not undoable.
    class Gesture
    {
    public:
        Gesture(BookingUndo &undo, bookinghistory::Source source);
        ~Gesture();
        Gesture(const Gesture &) = delete;
        Gesture &operator=(const Gesture &) = delete;

    private:
        BookingUndo &m_undo;
        bookinghistory::SourceScope m_source;
        QList<Change> m_changes;
        Gesture *m_outer;
        friend class BookingUndo;
    };
    // Called by the booking write for each row it changed: joins the open gesture, if any.
    static void noteWrite(const std::optional<Booking> &before, const std::optional<Booking> &after);

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    // The horses of the step undo (or redo) would change, for the menu: "Undo O'REILLY'S STAR".
    QString undoText() const;
    QString redoText() const;

    // Returns false when nothing was changed: nothing to undo, or the agent kept a row that was
    // changed since. Database failures throw DbError and leave the step where it was.
    bool undo();
    bool redo();
    void clear();

signals:
    // After the stack moved or a step was applied; windows update their menus and rows.
    void changed();
    // The rows an undo or redo wrote, as they are now (nullopt after removal: the before side).
    void applied(const QList<Change> &changes);

private:
    bool apply(const QList<Change> &changes, bool undoing);
    void push(QList<Change> changes);

    Reader m_reader;
    Writer m_writer;
    QList<QList<Change>> m_steps;
    qsizetype m_done = 0;
};
