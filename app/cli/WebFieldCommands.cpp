// ostrevan-cli: the web calendar of race meetings and the download of one meeting's fields.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "import/TrackAlias.h"
#include "import/WebFieldDownload.h"

namespace {

// Splits the arguments into positional ones and the two source switches; false on an unknown option.
bool readArguments(const QString &command, const QStringList &arguments, QStringList &positional, bool &allPhases,
                   bool &otherSource)
{
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--all-phases"))
            allPhases = true;
        else if (argument == QLatin1String("--other-source"))
            otherSource = true;
        else if (argument.startsWith(QLatin1String("--"))) {
            cli::err(QStringLiteral("%1: unknown option %2").arg(command, argument));
            return false;
        } else
            positional << argument;
    }
    cli::loadSettings();
    const cAppSettings &settings = cAppSettings::instance();
    QueryCredentials::current() = {settings.UserName, settings.UserPass};
    return true;
}

int calendarCommand(const QStringList &arguments, CliDialogs &)
{
    QStringList positional;
    bool allPhases = false;
    bool otherSource = false;
    if (!readArguments(QStringLiteral("calendar"), arguments, positional, allPhases, otherSource) ||
        positional.size() != 1) {
        cli::err(QStringLiteral("usage: calendar STATE [--all-phases] [--other-source]"));
        return 2;
    }
    const auto entries = WebFieldDownloader::calendar(positional.first().trimmed().toUpper(), allPhases, otherSource);
    if (!entries)
        return 1;
    for (const CalendarEntry &entry : *entries)
        cli::out(QStringList{entry.date, entry.meeting, entry.phase, entry.link}.join(QLatin1Char('\t')));
    return 0;
}

int downloadCommand(const QStringList &arguments, CliDialogs &)
{
    QStringList positional;
    bool allPhases = false;
    bool otherSource = false;
    if (!readArguments(QStringLiteral("download"), arguments, positional, allPhases, otherSource) ||
        positional.size() != 5) {
        cli::err(QStringLiteral("usage: download STATE DATE MEETING LINK PHASE [--other-source]"));
        return 2;
    }
    const CalendarEntry entry{positional.at(1), positional.at(2), positional.at(4), positional.at(3)};
    const WebMeetingResult result =
        WebFieldDownloader::downloadMeeting(positional.first().trimmed().toUpper(), entry, otherSource);
    if (!result.loaded) {
        cli::out(QStringLiteral("%1: not downloaded").arg(entry.meeting));
        cli::printChanges(result.changes);
        return 1;
    }
    cli::out(QStringLiteral("%1: %2 races, %3 runners").arg(result.meetingCode).arg(result.races).arg(result.runners));
    if (result.trackUnknown)
        cli::err(QStringLiteral("No track: the venue \"%1\" has no track on the data server and no alias; its meeting "
                                "code %2 is made from the venue (ostrevan-cli track-alias \"%1\" CODE sets one)")
                     .arg(entry.meeting, result.meetingCode));
    cli::printChanges(result.changes);
    return 0;
}

// "track-alias VENUE CODE" keeps which track a venue is ("-" for none); "track-alias" lists them.
int trackAliasCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    if (arguments.size() != 0 && arguments.size() != 2) {
        cli::err(QStringLiteral("usage: track-alias [VENUE CODE]"));
        return 2;
    }
    cli::loadSettings();
    try {
        if (arguments.size() == 2) {
            const QString code = arguments.at(1).trimmed() == QLatin1String("-") ? QString() : arguments.at(1);
            trackalias::set(arguments.at(0), code);
        }
        for (const auto &[venue, code] : trackalias::all())
            cli::out(venue + QLatin1Char('\t') + (code.isEmpty() ? QStringLiteral("-") : code));
    } catch (const DbError &error) {
        dialogs.critical(QStringLiteral("Error"), error.message());
        return 1;
    }
    return 0;
}

const cli::Registration calendar("calendar",
                                 "calendar STATE [--all-phases] [--other-source]  list the web calendar's meetings",
                                 calendarCommand);
const cli::Registration
    download("download",
             "download STATE DATE MEETING LINK PHASE [--other-source]  download one meeting's fields from the web",
             downloadCommand);
const cli::Registration trackAlias(
    "track-alias",
    "track-alias [VENUE CODE]  set which track a web venue is (CODE \"-\": none); without arguments list the aliases",
    trackAliasCommand);

} // namespace
