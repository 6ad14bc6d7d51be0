// ostrevan-cli: a booking's history.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "bookings/BookingHistory.h"
#include "db/Database.h"
#include "db/DbGuard.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const char *kUsage = "usage: booking-history [--meeting CODE] [--horse NAME] [--jockey NAME] [--since YYYY-MM-DD]";

QString yesNo(const std::optional<bool> &confirmed)
{
    return confirmed ? QLatin1String(*confirmed ? "1" : "0") : QString();
}

int bookingHistoryCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    bookinghistory::Filter filter;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--since"_L1 && hasValue) {
            filter.since = QDate::fromString(arguments.at(++i), Qt::ISODate);
            if (!filter.since.isValid()) {
                cli::err(u"booking-history: --since takes a date YYYY-MM-DD"_s);
                return 2;
            }
        } else if (argument == "--meeting"_L1 && hasValue) {
            filter.meetingCode = arguments.at(++i).trimmed();
        } else if (argument == "--horse"_L1 && hasValue) {
            filter.horse = arguments.at(++i).trimmed();
        } else if (argument == "--jockey"_L1 && hasValue) {
            filter.jockey = arguments.at(++i).trimmed();
        } else {
            cli::err(QLatin1String(kUsage));
            return 2;
        }
    }
    cli::loadSettings();
    if (!runGuarded(
            [&] {
                for (const bookinghistory::Entry &e : bookinghistory::entries(filter)) {
                    cli::out(QStringList{e.loggedAt, e.meetingCode, cli::flat(e.raceCode), cli::flat(e.horse),
                                         cli::flat(e.trainer), cli::flat(e.jockeyBefore), cli::flat(e.jockeyAfter),
                                         cli::flat(e.stateBefore), cli::flat(e.stateAfter), yesNo(e.confirmedBefore),
                                         yesNo(e.confirmedAfter), e.source}
                                 .join(u'\t'));
                }
            },
            dialogs))
        return 1;
    return 0;
}

const cli::Registration bookingHistory(
    "booking-history",
    "booking-history [--meeting CODE] [--horse NAME] [--jockey NAME] [--since YYYY-MM-DD]  every change of the\n"
    "                          bookings, oldest first, one tab-separated line each: time, meeting, race, horse,\n"
    "                          trainer, jockey before, jockey after, state before, state after, confirmed before,\n"
    "                          confirmed after (1 or 0; empty without a booking), source",
    bookingHistoryCommand);

} // namespace
