// ostrevan-cli: the changes that reloads of fields made on the agent's rides.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "bookings/FieldChangeLog.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const char *kUsage = "usage: changes [--since YYYY-MM-DD] [--meeting CODE] [--unseen] | changes --remove-booking ID...";

int removeBookings(const QStringList &arguments, CliDialogs &dialogs)
{
    QList<qint64> ids;
    for (const QString &argument : arguments) {
        bool ok = false;
        const qint64 id = argument.toLongLong(&ok);
        if (!ok || id <= 0) {
            cli::err(u"changes: %1 is not a change id"_s.arg(argument));
            return 2;
        }
        ids << id;
    }
    if (ids.isEmpty()) {
        cli::err(QLatin1String(kUsage));
        return 2;
    }
    fieldchangelog::Filter filter;
    filter.ids = ids;
    const QList<fieldchangelog::StoredChange> found = fieldchangelog::changes(filter);
    int status = 0;
    for (qint64 id : std::as_const(ids)) {
        if (std::none_of(found.cbegin(), found.cend(), [id](const auto &change) { return change.id == id; })) {
            dialogs.critical(u"Error"_s, u"There is no change %1."_s.arg(id));
            status = 1;
        }
    }
    const fieldchangelog::Removal removal = fieldchangelog::removeBookings(ids);
    for (const QString &why : removal.notRemoved)
        dialogs.message(u"Confirm Removal"_s, why, UserDialogs::Icon::Exclamation);
    cli::out(u"Bookings removed: %1"_s.arg(removal.removed));
    return removal.notRemoved.isEmpty() ? status : 1;
}

int changesCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    cli::loadSettings();
    return runGuarded(
               [&] {
                   if (arguments.value(0) == "--remove-booking"_L1)
                       return removeBookings(arguments.mid(1), dialogs);

                   fieldchangelog::Filter filter;
                   for (qsizetype i = 0; i < arguments.size(); ++i) {
                       const QString &argument = arguments.at(i);
                       if (argument == "--unseen"_L1) {
                           filter.unseenOnly = true;
                       } else if (argument == "--since"_L1 && i + 1 < arguments.size()) {
                           filter.since = QDate::fromString(arguments.at(++i), Qt::ISODate);
                           if (!filter.since.isValid()) {
                               cli::err(u"changes: --since takes a date YYYY-MM-DD"_s);
                               return 2;
                           }
                       } else if (argument == "--meeting"_L1 && i + 1 < arguments.size()) {
                           filter.meetingCode = arguments.at(++i).trimmed();
                       } else {
                           cli::err(QLatin1String(kUsage));
                           return 2;
                       }
                   }
                   for (const fieldchangelog::StoredChange &change : fieldchangelog::changes(filter)) {
                       cli::out(QStringList{QString::number(change.id), change.changedAt, change.meetingCode,
                                            QString::number(change.raceNumber), cli::flat(change.horse), change.kind,
                                            cli::flat(change.before), cli::flat(change.after), cli::flat(change.jockey)}
                                    .join(u'\t'));
                   }
                   return 0;
               },
               dialogs)
        .value_or(1);
}

const cli::Registration changes(
    "changes",
    "changes [--since YYYY-MM-DD] [--meeting CODE] [--unseen]  what reloads of fields changed on booked and ridden\n"
    "                          horses, one tab-separated line each: id, time, meeting, race, horse, kind, before,\n"
    "                          after, jockey\n"
    "  changes --remove-booking ID...  remove the booking each change was recorded against (and mark it seen);\n"
    "                          a horse booked again since keeps its booking, and the message says what it is",
    changesCommand);

} // namespace
