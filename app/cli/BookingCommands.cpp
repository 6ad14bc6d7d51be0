// ostrevan-cli: booking the managed jockeys without the windows, under the windows' rules and questions.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "bookings/BookingList.h"
#include "bookings/BookingOperations.h"
#include "bookings/BookingPickLists.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

QString lineText(const bookinglist::Line &line)
{
    return QStringList{cli::flat(line.meetingCode),
                       line.raceNumber > 0 ? QString::number(line.raceNumber) : QString(),
                       line.time,
                       cli::flat(line.horse),
                       cli::flat(line.trainer),
                       cli::flat(line.jockey),
                       cli::flat(line.state),
                       line.confirmed ? u"1"_s : u"0"_s}
        .join(u'\t');
}

// Prints the nomination's booking as `bookings` lists it; false when none is stored.
bool printBooking(const QString &meetingCode, const QString &horse)
{
    bookinglist::Filter filter;
    filter.meetingCode = meetingCode;
    for (const bookinglist::Line &line : bookinglist::bookings(filter)) {
        if (line.horse.compare(horse, Qt::CaseInsensitive) == 0) {
            cli::out(lineText(line));
            return true;
        }
    }
    return false;
}

std::optional<Booking> storedBooking(const QString &meetingCode, const QString &horse)
{
    Db db = OpenDb();
    return findBooking(db, meetingCode, horse);
}

// A failed statement or a refusal ends the command; the message names it.
template <typename Step> int guarded(CliDialogs &dialogs, Step step)
{
    cli::loadSettings();
    int code = 1;
    runGuarded([&] { code = step(); }, dialogs);
    return code;
}

const char *kBookUsage = "usage: book MEETING RACE HORSE [JOCKEY] [--state TEXT]";

int bookCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    QStringList words;
    QString state;
    bool usageOk = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == "--state"_L1 && i + 1 < arguments.size())
            state = arguments.at(++i).trimmed();
        else if (arguments.at(i).startsWith("--"_L1))
            usageOk = false;
        else
            words << arguments.at(i);
    }
    bool raceOk = false;
    const int race = words.value(1).toInt(&raceOk);
    if (!usageOk || words.size() < 3 || words.size() > 4 || !raceOk || race < 1) {
        cli::err(QLatin1String(kBookUsage));
        return 2;
    }
    return guarded(dialogs, [&] {
        const std::optional<Nomination> nomination = bookinglist::nominationIn(words.at(0), race, words.at(2));
        if (!nomination) {
            dialogs.critical(u"Error"_s,
                             u"%1 is not nominated in race %2 of %3."_s.arg(words.at(2)).arg(race).arg(words.at(0)));
            return 1;
        }
        QString jockey;
        if (words.size() == 4) {
            jockey = bookinglist::managedJockey(words.at(3));
            if (jockey.isEmpty()) {
                dialogs.critical(u"Error"_s, u"%1 is not one of the managed jockeys."_s.arg(words.at(3)));
                return 1;
            }
        }
        // The states the state pick list offers, in the spelling stored.
        QStringList states = LoadBookingStates();
        states.removeAll(kRemoveBooking);
        if (!state.isEmpty()) {
            const auto known = std::find_if(states.cbegin(), states.cend(), [&](const QString &s) {
                return s.compare(state, Qt::CaseInsensitive) == 0;
            });
            if (known == states.cend()) {
                dialogs.critical(u"Error"_s, u"%1 is not a booking state: %2."_s.arg(state, states.join(", "_L1)));
                return 1;
            }
            state = *known;
        } else if (jockey.isEmpty()) {
            state = kPlanned;
        }

        if (!jockey.isEmpty())
            BookJockey(*nomination, jockey);
        const std::optional<Booking> booked = storedBooking(nomination->meetingCode, nomination->horse);
        if (!jockey.isEmpty() && (!booked || booked->jockey.compare(jockey, Qt::CaseInsensitive) != 0))
            return 1;
        if (!state.isEmpty())
            SetBookingState(*nomination, state);
        const std::optional<Booking> stored = storedBooking(nomination->meetingCode, nomination->horse);
        if (!state.isEmpty() && (!stored || stored->state != state))
            return 1;
        printBooking(nomination->meetingCode, nomination->horse);
        return 0;
    });
}

// confirm and unbook name the booking by meeting and horse, as the lists show it.
int onBooking(const QStringList &arguments, CliDialogs &dialogs, const char *usage,
              const std::function<int(const Booking &)> &step)
{
    if (arguments.size() != 2 || arguments.at(0).startsWith("--"_L1) || arguments.at(1).startsWith("--"_L1)) {
        cli::err(QLatin1String(usage));
        return 2;
    }
    return guarded(dialogs, [&] {
        const std::optional<Booking> booking = storedBooking(arguments.at(0).trimmed(), arguments.at(1).trimmed());
        if (!booking) {
            dialogs.critical(u"Error"_s, u"No booking of %1 is stored for %2."_s.arg(arguments.at(1), arguments.at(0)));
            return 1;
        }
        return step(*booking);
    });
}

int confirmCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    return onBooking(arguments, dialogs, "usage: confirm MEETING HORSE", [](const Booking &booking) {
        if (!ConfirmBooking({booking.meetingCode, booking.raceCode, booking.horse, booking.trainer}))
            return 1;
        printBooking(booking.meetingCode, booking.horse);
        return 0;
    });
}

int unbookCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    return onBooking(arguments, dialogs, "usage: unbook MEETING HORSE", [](const Booking &booking) {
        return BookJockey({booking.meetingCode, booking.raceCode, booking.horse, booking.trainer}, kDeleteJockey) ? 0
                                                                                                                  : 1;
    });
}

int bookingsCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    const QString usage = u"usage: bookings [--meeting CODE] [--date YYYY-MM-DD] [--jockey NAME]"_s;
    bookinglist::Filter filter;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        const QString value = i + 1 < arguments.size() ? arguments.at(i + 1).trimmed() : QString();
        if (value.isEmpty() || !QStringList{u"--meeting"_s, u"--date"_s, u"--jockey"_s}.contains(option)) {
            cli::err(usage);
            return 2;
        }
        ++i;
        if (option == "--meeting"_L1) {
            filter.meetingCode = value;
        } else if (option == "--jockey"_L1) {
            filter.jockey = value;
        } else {
            filter.date = QDate::fromString(value, Qt::ISODate);
            if (!filter.date.isValid() || value.size() != 10) {
                cli::err(u"bookings: --date takes a date YYYY-MM-DD"_s);
                return 2;
            }
        }
    }
    return guarded(dialogs, [&] {
        for (const bookinglist::Line &line : bookinglist::bookings(filter))
            cli::out(lineText(line));
        return 0;
    });
}

const cli::Registration
    book("book",
         "book MEETING RACE HORSE [JOCKEY] [--state TEXT]  book a managed jockey on a nominated\n"
         "                          horse, or set the booking's state (a template text, Planned or\n"
         "                          Confirmed); asks as the windows do and prints the booking",
         bookCommand);
const cli::Registration confirm("confirm", "confirm MEETING HORSE  confirm the horse's booking (it needs a jockey)",
                                confirmCommand);
const cli::Registration unbook("unbook", "unbook MEETING HORSE  remove the horse's booking (asks first)",
                               unbookCommand);
const cli::Registration list("bookings",
                             "bookings [--meeting CODE] [--date YYYY-MM-DD] [--jockey NAME]  the bookings, one\n"
                             "                          tab-separated line each: meeting, race, time, horse, trainer,\n"
                             "                          jockey, state, confirmed (1/0)",
                             bookingsCommand);

} // namespace
