// ostrevan-cli: ride downloads and horse-form enrichment from the data server.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "formdata/HorseForm.h"
#include "formdata/RemoteQuery.h"
#include "formdata/RideStatistics.h"

using namespace Qt::Literals::StringLiterals;

namespace {

int downloadRidesCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    bool full = false;
    QString jockey;
    for (const QString &argument : arguments) {
        if (argument == "--full"_L1)
            full = true;
        else if (jockey.isEmpty() && !argument.startsWith("--"_L1))
            jockey = argument;
        else {
            cli::err(u"download-rides: unexpected argument %1"_s.arg(argument));
            return 2;
        }
    }
    cli::loadSettings();
    // Every jockey's download is one batch: a data server that is down is said once.
    const DataServerBatch dataServer;
    return runGuarded(
               [&] {
                   QList<JockeyDownloadDate> jockeys = jockeyDownloadDates();
                   if (!jockey.isEmpty()) {
                       const auto known =
                           std::find_if(jockeys.cbegin(), jockeys.cend(), [&](const JockeyDownloadDate &entry) {
                               return entry.jockey.compare(jockey, Qt::CaseInsensitive) == 0;
                           });
                       // A name that is not (yet) a managed jockey still downloads, from the floor date.
                       jockeys = {known != jockeys.cend() ? *known
                                                          : JockeyDownloadDate{jockey, kRideStatsFloor, false}};
                   }
                   int status = 0;
                   for (const JockeyDownloadDate &entry : jockeys) {
                       const RideDownloadResult result =
                           DownloadJockeyRides(entry.jockey, full || entry.full, entry.since);
                       if (!result.answered) {
                           cli::out(u"%1: failed"_s.arg(entry.jockey));
                           status = 1;
                           continue;
                       }
                       for (const QString &skipped : result.skipped)
                           cli::err(u"skipped %1"_s.arg(skipped));
                       cli::out(u"%1: %2 rows received, %3 added, %4 updated"_s.arg(entry.jockey)
                                    .arg(result.received)
                                    .arg(result.added)
                                    .arg(result.updated));
                   }
                   return status;
               },
               dialogs)
        .value_or(1);
}

int enrichCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    if (arguments.isEmpty() || arguments.size() > 2) {
        cli::err(u"usage: enrich MEETINGCODE [RACENUMBER]"_s);
        return 2;
    }
    qint16 race = 0;
    if (arguments.size() == 2) {
        bool ok = false;
        race = arguments.at(1).toShort(&ok);
        if (!ok || race < 0) {
            cli::err(u"enrich: the race number must be a whole number"_s);
            return 2;
        }
    }
    cli::loadSettings();
    return runGuarded(
               [&] {
                   const HorseFormResult result = FetchHorseForm(arguments.at(0), race);
                   if (!result.answered)
                       return 1;
                   for (const QString &skipped : result.skipped)
                       cli::err(skippedFormLine(skipped));
                   cli::out(u"%1 horses in the answer, %2 nominations updated"_s.arg(result.horsesInAnswer)
                                .arg(result.nomsUpdated));
                   return 0;
               },
               dialogs)
        .value_or(1);
}

const cli::Registration downloadRides(
    "download-rides",
    "download-rides [--full] [JOCKEY]  download rides into RaceStats (every jockey, incrementally, without a name)",
    downloadRidesCommand);
const cli::Registration enrich("enrich",
                               "enrich MEETINGCODE [RACENUMBER]   fetch the last-start form of a meeting's horses",
                               enrichCommand);

} // namespace
