#include "BookingUndo.h"

#include "BookingOperations.h"

#include "core/UserDialogs.h"
#include "db/Database.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace {

BookingUndo::Gesture *&openGesture()
{
    static BookingUndo::Gesture *gesture = nullptr;
    return gesture;
}

// What undo and redo put back, and all that counts as "changed since": the race a row stands in
// follows the field and is left alone.
bool sameBooking(const std::optional<Booking> &a, const std::optional<Booking> &b)
{
    if (!a || !b)
        return a.has_value() == b.has_value();
    return a->jockey == b->jockey && a->state == b->state && a->confirmed == b->confirmed;
}

bool sameNomination(const Booking &a, const Booking &b)
{
    return a.meetingCode.compare(b.meetingCode, Qt::CaseInsensitive) == 0 &&
           a.horse.compare(b.horse, Qt::CaseInsensitive) == 0;
}

const Booking &keyOf(const BookingUndo::Change &change)
{
    return change.after ? *change.after : *change.before;
}

QString describe(const std::optional<Booking> &booking)
{
    if (!booking)
        return u"not booked"_s;
    QStringList parts;
    for (const QString &part : {booking->jockey, booking->state})
        if (!part.isEmpty())
            parts << part;
    if (booking->confirmed && !booking->state.contains(u"Confirmed"_s, Qt::CaseInsensitive))
        parts << u"confirmed"_s;
    return parts.isEmpty() ? u"booked"_s : parts.join(u", "_s);
}

QString horsesOf(const QList<BookingUndo::Change> &changes)
{
    QStringList horses;
    for (const BookingUndo::Change &change : changes)
        horses << keyOf(change).horse;
    return horses.join(u", "_s);
}

} // namespace

BookingUndo::BookingUndo(Reader reader, Writer writer, QObject *parent)
    : QObject(parent), m_reader(std::move(reader)), m_writer(std::move(writer))
{}

BookingUndo &BookingUndo::session()
{
    static BookingUndo undo(findBooking, writeBooking);
    return undo;
}

BookingUndo::Gesture::Gesture(BookingUndo &undo, bookinghistory::Source source)
    : m_undo(undo), m_source(source), m_outer(openGesture())
{
    openGesture() = this;
}

BookingUndo::Gesture::~Gesture()
{
    openGesture() = m_outer;
    if (!m_changes.isEmpty())
        m_undo.push(std::move(m_changes));
}

void BookingUndo::noteWrite(const std::optional<Booking> &before, const std::optional<Booking> &after)
{
    Gesture *gesture = openGesture();
    if (!gesture || (!before && !after))
        return;
    const Change change{before, after};
    // A row written twice in one gesture is one change, from its first before to its last after.
    for (Change &earlier : gesture->m_changes) {
        if (sameNomination(keyOf(earlier), keyOf(change))) {
            earlier.after = after;
            return;
        }
    }
    gesture->m_changes << change;
}

void BookingUndo::push(QList<Change> changes)
{
    m_steps.resize(m_done);
    m_steps << std::move(changes);
    m_done = m_steps.size();
    emit changed();
}

QString BookingUndo::undoText() const
{
    return canUndo() ? u"Undo "_s + horsesOf(m_steps.at(m_done - 1)) : QString();
}

QString BookingUndo::redoText() const
{
    return canRedo() ? u"Redo "_s + horsesOf(m_steps.at(m_done)) : QString();
}

bool BookingUndo::undo()
{
    if (!canUndo() || !apply(m_steps.at(m_done - 1), true))
        return false;
    --m_done;
    emit changed();
    return true;
}

bool BookingUndo::redo()
{
    if (!canRedo() || !apply(m_steps.at(m_done), false))
        return false;
    ++m_done;
    emit changed();
    return true;
}

void BookingUndo::clear()
{
    m_steps.clear();
    m_done = 0;
    emit changed();
}

bool BookingUndo::apply(const QList<Change> &changes, bool undoing)
{
    Db db = OpenDb();
    QList<std::optional<Booking>> stored;
    QStringList changedSince;
    for (const Change &change : changes) {
        const Booking &key = keyOf(change);
        stored << m_reader(db, key.meetingCode, key.horse);
        if (!sameBooking(stored.last(), undoing ? change.after : change.before))
            changedSince << u"%1 is now %2."_s.arg(key.horse, describe(stored.last()));
    }
    const QString verb = undoing ? u"Undo"_s : u"Redo"_s;
    if (!changedSince.isEmpty() &&
        !UserDialogs::instance().askYesNo(
            verb, u"The booking has been changed since: "_s + changedSince.join(u' ') + u"\r%1 anyway?"_s.arg(verb),
            UserDialogs::Icon::Question, UserDialogs::Answer::No))
        return false;

    const bookinghistory::SourceScope source(bookinghistory::Source::Undo);
    QList<Change> written;
    Transaction transaction(db);
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const std::optional<Booking> &target = undoing ? changes.at(i).before : changes.at(i).after;
        std::optional<Booking> row = target;
        if (target && stored.at(i)) {
            row = *stored.at(i);
            row->jockey = target->jockey;
            row->state = target->state;
            row->confirmed = target->confirmed;
        } else if (target) {
            row->rowId = 0;
        }
        m_writer(db, stored.at(i), row);
        written << Change{stored.at(i), row};
    }
    transaction.commit();
    emit applied(written);
    return true;
}
