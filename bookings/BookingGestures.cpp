#include "BookingGestures.h"

#include "BookingOperations.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "roster/ManagedJockeys.h"

#include <QMimeData>

using namespace Qt::Literals::StringLiterals;

namespace bookinggestures {

namespace {

Nomination trimmed(Nomination nomination)
{
    nomination.horse = nomination.horse.trimmed();
    nomination.trainer = nomination.trainer.trimmed();
    return nomination;
}

} // namespace

bool bookJockey(BookingGrid &grid, int row, const QString &jockey)
{
    const Nomination nomination = trimmed(grid.nominationOfRow(row));
    if (!nomination.isValid() || jockey.isEmpty())
        return false;
    const bool wrote = BookJockey(nomination, jockey);
    showStoredBooking(grid, row);
    return wrote;
}

bool chooseState(BookingGrid &grid, int row, const QString &state)
{
    const Nomination nomination = trimmed(grid.nominationOfRow(row));
    if (!nomination.isValid() || state.isEmpty())
        return false;
    const bool wrote = SetBookingState(nomination, state);
    showStoredBooking(grid, row);
    return wrote;
}

bool confirmRequest(BookingGrid &grid, int row)
{
    const Nomination nomination = trimmed(grid.nominationOfRow(row));
    const QString state = nomination.isValid() ? grid.cellText(row, grid.bookingColumns().state) : QString();
    if (state.isEmpty() || state == kConfirmed || state == kScratched)
        return false;
    // The jockey cell shows the field's rider when nobody is booked: ask only about a booked jockey.
    const std::optional<Booking> booking = [&] {
        Db db = OpenDb();
        return findBooking(db, nomination.meetingCode, nomination.horse);
    }();
    if (!booking || booking->jockey.isEmpty() || !AskToConfirmRide(booking->jockey, nomination.horse))
        return false;
    const bool wrote = ConfirmBooking(nomination);
    showStoredBooking(grid, row);
    return wrote;
}

std::optional<QString> selectJockeyForIcons(const QString &selected, const QStringList &allJockeys)
{
    if (selected.isEmpty()) {
        UserDialogs::instance().message(u"Select a Jockey"_s, u"Jockey Must be Seleted for Icons."_s,
                                        UserDialogs::Icon::Exclamation);
        return std::nullopt;
    }
    if (selected == ManagedJockeys::IconJockey()) {
        ManagedJockeys::rebuild(allJockeys);
        return QString();
    }
    ManagedJockeys::selectIconJockey(selected);
    return selected;
}

QString jockeyMimeType()
{
    return u"application/x-ostrevan-jockey"_s;
}

QMimeData *jockeyDragData(const QString &jockey, const QString &storedColor)
{
    auto *data = new QMimeData;
    data->setText(jockey);
    data->setData(jockeyMimeType(), (jockey + u'\n' + storedColor).toUtf8());
    return data;
}

QString draggedJockey(const QMimeData &data)
{
    return QString::fromUtf8(data.data(jockeyMimeType())).section(u'\n', 0, 0);
}

} // namespace bookinggestures
