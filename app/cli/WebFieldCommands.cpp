// ostrevan-cli: the web calendar of race meetings and the download of one meeting's fields.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "import/MeetingMove.h"
#include "import/TrackAlias.h"
#include "import/WebFieldDownload.h"
#include "import/WebFieldPages.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

// The meeting date in a form the calendar's reader takes: an ISO date ("2025-05-23") becomes
// "23/May/2025", whose month name and four-digit year cannot be misread; other readable forms
// stay as they are. Empty when the text is no date.
QString calendarDate(const QString &text)
{
    static const QRegularExpression kYearFirst(u"^\\s*(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})\\s*$"_s);
    static const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QRegularExpressionMatch iso = kYearFirst.match(text);
    if (!iso.hasMatch())
        return webpages::meetingDate(text).isValid() ? text : QString();
    const QDate date(iso.captured(1).toInt(), iso.captured(2).toInt(), iso.captured(3).toInt());
    if (!date.isValid())
        return {};
    return u"%1/%2/%3"_s.arg(date.day(), 2, 10, QChar(u'0'))
        .arg(QLatin1String(kMonths[date.month() - 1]))
        .arg(date.year());
}

// Splits the arguments into positional ones and the two source switches; false on an unknown option.
bool readArguments(const QString &command, const QStringList &arguments, QStringList &positional, bool &allPhases,
                   bool &otherSource)
{
    for (const QString &argument : arguments) {
        if (argument == "--all-phases"_L1)
            allPhases = true;
        else if (argument == "--other-source"_L1)
            otherSource = true;
        else if (argument.startsWith("--"_L1)) {
            cli::err(u"%1: unknown option %2"_s.arg(command, argument));
            return false;
        } else
            positional << argument;
    }
    cli::loadSettings();
    return true;
}

int calendarCommand(const QStringList &arguments, CliDialogs &)
{
    QStringList positional;
    bool allPhases = false;
    bool otherSource = false;
    if (!readArguments(u"calendar"_s, arguments, positional, allPhases, otherSource) || positional.size() != 1) {
        cli::err(u"usage: calendar STATE [--all-phases] [--other-source]"_s);
        return 2;
    }
    const auto entries = WebFieldDownloader::calendar(positional.first().trimmed().toUpper(), allPhases, otherSource);
    if (!entries)
        return 1;
    for (const CalendarEntry &entry : *entries)
        cli::out(QStringList{entry.date, entry.meeting, entry.phase, entry.link}.join(u'\t'));
    return 0;
}

int downloadCommand(const QStringList &arguments, CliDialogs &)
{
    QStringList positional;
    bool allPhases = false;
    bool otherSource = false;
    if (!readArguments(u"download"_s, arguments, positional, allPhases, otherSource) || positional.size() != 5) {
        cli::err(u"usage: download STATE DATE MEETING LINK PHASE [--other-source]"_s);
        return 2;
    }
    const QString date = calendarDate(positional.at(1));
    if (date.isEmpty()) {
        cli::err(u"download: the date \"%1\" cannot be read; give it as YYYY-MM-DD (2025-05-23) "
                 "or as the calendar shows it (23/May/25)"_s.arg(positional.at(1)));
        return 2;
    }
    const CalendarEntry entry{date, positional.at(2), positional.at(4), positional.at(3)};
    const WebMeetingResult result =
        WebFieldDownloader::downloadMeeting(positional.first().trimmed().toUpper(), entry, otherSource);
    if (!result.leftOut.isEmpty()) {
        cli::out(u"%1: left out (%2)"_s.arg(entry.meeting, result.leftOut));
        return 0;
    }
    if (!result.loaded) {
        cli::out(u"%1: not downloaded"_s.arg(entry.meeting));
        cli::printChanges(result.changes);
        return 1;
    }
    cli::out(u"%1: %2 races, %3 runners"_s.arg(result.meetingCode).arg(result.races).arg(result.runners));
    if (result.trackUnknown)
        cli::err(u"No track: the venue \"%1\" has no track on the data server and no alias; its meeting "
                 "code %2 is made from the venue (ostrevan-cli track-alias \"%1\" CODE sets one)"_s.arg(
                     entry.meeting, result.meetingCode));
    cli::printChanges(result.changes);
    return 0;
}

// "track-alias VENUE CODE" keeps which track a venue is ("-" for none); "track-alias" lists them.
int trackAliasCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    if (arguments.size() != 0 && arguments.size() != 2) {
        cli::err(u"usage: track-alias [VENUE CODE]"_s);
        return 2;
    }
    cli::loadSettings();
    if (!runGuarded(
            [&] {
                if (arguments.size() == 2) {
                    const QString code = arguments.at(1).trimmed() == "-"_L1 ? QString() : arguments.at(1);
                    trackalias::set(arguments.at(0), code);
                    meetingmove::offerMovesForTrack(arguments.at(0), code);
                }
                for (const auto &[venue, code] : trackalias::all())
                    cli::out(venue + u'\t' + (code.isEmpty() ? u"-"_s : code));
            },
            dialogs))
        return 1;
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
