#include "WebFieldDownload.h"

#include "bookings/BookingOperations.h"
#include "bookings/FieldChangeLog.h"
#include "core/Clock.h"
#include "core/DebugMode.h"
#include "core/TextRules.h"
#include "core/UserDialogs.h"
#include "core/Version.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "formdata/HorseForm.h"
#include "formdata/HttpRequest.h"
#include "formdata/RemoteQuery.h"
#include "import/FieldStages.h"
#include "import/MeetingMove.h"
#include "import/TrackAlias.h"

#include <QGuiApplication>
#include <QLocale>
#include <QMap>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kWaFolder = u"/scripts/ws.exe/syturf/"_s;

// A page that did not arrive whole (an "Error:" answer) or that holds a NUL character, which no
// page of the sites does, is not read.
bool failed(const QString &answer)
{
    return answer.isEmpty() || answer.startsWith("Error:"_L1) || answer.contains(QChar(u'\0'));
}

QString whyFailed(const QString &page)
{
    if (page.isEmpty())
        return u"empty answer"_s;
    return page.contains(QChar(u'\0')) ? u"it holds a NUL character"_s : page.left(120);
}

QString racingRoot()
{
    return siteRoot(cAppSettings::instance().RacingHost);
}

QString waRoot()
{
    return siteRoot(cAppSettings::instance().WaClubHost);
}

// A state-list link may be relative to the list's folder.
QString stateListUrl(const QString &link)
{
    if (link.startsWith("http"_L1, Qt::CaseInsensitive))
        return link;
    return racingRoot() + (link.startsWith(u'/') ? link : u"/ozracing/"_s + link);
}

struct Track {
    QString code, club, state, meetType;
};

Track trackOfRow(const QStringList &fields)
{
    return Track{fields.value(0).trimmed(), fields.value(1).trimmed(), fields.value(2).trimmed(),
                 fields.value(3).trimmed()};
}

std::optional<Track> lookUpTrack(const QString &venue)
{
    QString quoted = venue;
    const QString row = LookUpTrack(SqlQuoteForUrl(quoted));
    if (row.trimmed().isEmpty())
        return std::nullopt;
    return trackOfRow(splitAnswerFields(row));
}

// A venue's alias names the track by its code; without the data server the code alone still
// gives the meeting its code.
Track trackByCode(const QString &code)
{
    QString quoted = code;
    const auto rows = DataServerRows(u"SELECT TrackCode, TrackClub, State, MeetType FROM Track WHERE TrackCode = '"_s +
                                     SqlQuoteForUrl(quoted) + u'\'');
    if (rows && !rows->isEmpty())
        return trackOfRow(rows->first());
    return Track{code, {}, {}, {}};
}

// Asks the agent which of the provider's tracks a venue is, and keeps the answer (a track, or
// none) for the venue's later meetings. Cancelling keeps nothing: the next download asks again.
std::optional<Track> askForTrack(const QString &venue, const QString &date)
{
    const auto rows =
        DataServerRows(u"SELECT TrackCode, TrackClub, State, MeetType, TrackLocat FROM Track ORDER BY TrackLocat"_s);
    if (!rows || rows->isEmpty())
        return std::nullopt;
    UserDialogs::ChoiceRequest request;
    request.title = WebFieldDownloader::kUnknownVenueTitle;
    request.text = u"The data server knows no track named \"%1\" (meeting of %2).\n"
                   "Which track is it? Your answer is kept for the venue's later meetings."_s.arg(venue, date);
    request.noneChoice = u"None of these"_s;
    for (const QStringList &row : *rows)
        request.items << u"%1 (%2, %3)"_s.arg(row.value(4).trimmed(), row.value(0).trimmed(), row.value(2).trimmed());
    const std::optional<int> choice = UserDialogs::instance().chooseItem(request);
    if (!choice)
        return std::nullopt;
    const bool none = *choice == UserDialogs::kNoneChosen || *choice < 0 || *choice >= rows->size();
    const std::optional<Track> track = none ? std::nullopt : std::optional<Track>(trackOfRow(rows->at(*choice)));
    runGuarded([&] { trackalias::set(venue, track ? track->code : QString()); });
    return track;
}

// The venue's own alias first, then the data server's track of that name, then the agent.
std::optional<Track> trackOfVenue(const QString &venue, const QString &date)
{
    if (const std::optional<QString> alias = trackalias::trackFor(venue)) {
        if (alias->isEmpty())
            return std::nullopt;
        return trackByCode(*alias);
    }
    if (std::optional<Track> track = lookUpTrack(venue))
        return track;
    return askForTrack(venue, date);
}

// Reads every page of the meeting; an empty message means the races were read.
QString readRaces(FieldSource source, const CalendarEntry &entry, QList<WebRace> &races)
{
    QString page;
    switch (source) {
    case FieldSource::Calendar:
        page = WebFieldDownloader::fetchPage(racingRoot() + entry.link);
        if (!failed(page))
            races = webpages::parseFieldPage(page);
        break;
    case FieldSource::StateList:
        page = WebFieldDownloader::fetchPage(stateListUrl(entry.link));
        if (!failed(page))
            races = webpages::parseStateListPage(page, entry.phase);
        break;
    case FieldSource::WaClub:
        page = WebFieldDownloader::fetchPage(waRoot() + entry.link);
        if (failed(page))
            break;
        races = webpages::parseWaMeetingPage(page);
        for (WebRace &race : races) {
            const QString racePage = WebFieldDownloader::fetchPage(waRoot() + race.pageLink);
            if (failed(racePage))
                return u"the page of race %1 could not be read (%2)"_s.arg(race.number).arg(whyFailed(racePage));
            webpages::parseWaRacePage(racePage, race);
        }
        break;
    }
    if (failed(page))
        return u"the field page could not be read (%1)"_s.arg(whyFailed(page));
    if (races.isEmpty())
        return u"the page holds no races"_s;
    return {};
}

QVariant intOrNull(const QString &text)
{
    const std::optional<int> value = wholeNumber(text);
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<int>());
}

struct Stored {
    int races = 0;
    int runners = 0;
    QList<QPair<int, QString>> scratched; // race number, horse
};

Stored store(Db &db, const QString &code, bool acceptances, const QList<WebRace> &parsed)
{
    Stored stored;
    db.exec(u"DELETE FROM Race WHERE MeetingCode = ?"_s, {code});
    db.exec(u"DELETE FROM Noms WHERE MeetingCode = ?"_s, {code});
    // A race or runner listed twice is stored once, as last listed.
    QMap<int, WebRace> races;
    for (const WebRace &race : parsed)
        races.insert(race.number, race);
    const QStringList &terms = raceShortCodes();
    for (const WebRace &race : std::as_const(races)) {
        const QString shortCode = webpages::shortCode(race.title, terms);
        const QString raceCode = webpages::raceCode(race.distance, shortCode);
        db.exec(u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails, RaceDistance, RaceRSBCode, "
                "RaceTime, ApprClaim) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                {code, raceCode, race.number, QString(race.title + u"\r\n"_s + race.info), race.distance, shortCode,
                 acceptances ? QVariant(race.time.toString(u"HH:mm:ss"_s)) : QVariant(QMetaType::fromType<QString>()),
                 race.apprClaim ? 1 : 0});
        ++stored.races;
        QMap<QString, WebRunner> runners;
        QStringList order;
        for (const WebRunner &runner : race.runners) {
            if (runner.scratched) {
                stored.scratched << qMakePair(race.number, runner.horse);
                continue;
            }
            if (!runners.contains(runner.horse))
                order << runner.horse;
            runners.insert(runner.horse, runner);
        }
        for (const QString &horse : std::as_const(order)) {
            const WebRunner &r = runners[horse];
            db.exec(
                u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Form, Horse, TrainerName, Jockey, Barrier, "
                "Weight, Rating, Ballot, EntryNo, EorB, HorseName) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                {code, raceCode, race.number, r.form, r.horse, r.trainer.left(30), r.jockey.left(30), r.barrier,
                 r.weightTenths, textOrNull(r.rating), intOrNull(r.ballot),
                 r.entryNo ? QVariant(*r.entryNo) : QVariant(QMetaType::fromType<int>()), r.eorB,
                 nameBeforeBracket(r.horse)});
            ++stored.runners;
        }
    }
    FollowNominationRaceCodes(db, code);
    return stored;
}

QStringList scratchedRides(const QString &code, const QString &meeting, const QList<QPair<int, QString>> &scratched)
{
    QStringList rides;
    for (const auto &[raceNumber, horse] : scratched) {
        QueryResult booked =
            OpenQuery(u"SELECT Jockey FROM Bookings WHERE MeetingCode = ? AND Horse = ?"_s, {code, horse});
        while (booked.next()) {
            rides << u"%1 (%2) is scratched: %3 race %4"_s.arg(horse, booked.value(0).toString().trimmed(), meeting)
                         .arg(raceNumber);
        }
    }
    return rides;
}

void enrich(const QString &code)
{
    // Without windows (the command line) there is no pointer to look after.
    const bool windows = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    const bool hadPointer = windows && QGuiApplication::overrideCursor() != nullptr;
    runGuarded([&] { reportSkippedForm(FetchHorseForm(code, 0)); });
    if (windows && !hadPointer && QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace

FieldSource WebFieldDownloader::sourceFor(const QString &state, bool otherSource)
{
    if (state.trimmed().toUpper() == "XA"_L1)
        return FieldSource::WaClub;
    return otherSource ? FieldSource::StateList : FieldSource::Calendar;
}

QString WebFieldDownloader::racebookFormUrl(const QString &date, const QString &state, const QString &location)
{
    return racingRoot() + u"/FreeFields/Form.aspx?Key="_s + date + u',' + state + u',' + location;
}

QString WebFieldDownloader::raceFormUrl(const QString &date, const QString &state, const QString &location,
                                        int raceNumber)
{
    return racingRoot() + u"/FreeFields/Nominations_Form.aspx?Key="_s + date + u',' + state + u',' + location +
           u"&recentform=Y#race"_s + QString::number(raceNumber);
}

QString WebFieldDownloader::fetchPage(const QString &url)
{
    static const QByteArray agent = "Ostrevan/" + version::dotted().toLatin1() + " (booking agent's field reader)";
    const QString page = HttpGetPage(url, agent);
    // In debug mode every page goes to the agent's debug file, so a page the reader fails on can be sent in.
    if (DebugMode::isOn() && !DebugMode::append(u"==== "_s + url + u'\n' + page)) {
        // Said once: debug mode goes off rather than failing again on every page.
        const QString file = DebugMode::filePath();
        DebugMode::turnOff();
        UserDialogs::instance().critical(u"Debug Mode"_s,
                                         u"The debug file %1 cannot be written; debug mode is off."_s.arg(file));
    }
    return page;
}

std::optional<QList<CalendarEntry>> WebFieldDownloader::calendar(const QString &state, bool allPhases, bool otherSource)
{
    const FieldSource source = sourceFor(state, otherSource);
    QString page;
    if (source == FieldSource::WaClub) {
        page = fetchPage(waRoot() + kWaFolder + u"findinfo.hts"_s);
    } else if (source == FieldSource::StateList) {
        const QString url =
            racingRoot() + u"/ozracing/DisplayNwaByState.aspx?StateCode="_s + webpages::stateCode(state);
        page = fetchPage(url);
        if (page.startsWith("Error:"_L1))
            page = fetchPage(url);
    } else {
        page = fetchPage(racingRoot() + u"/FreeFields/Calendar.aspx?State="_s + state);
    }
    if (page.startsWith("Error:"_L1)) {
        const QString site = source == FieldSource::WaClub ? waRoot() : racingRoot();
        UserDialogs::instance().critical(QLatin1String(kConnectionErrorTitle),
                                         u"Connection error: %1 could not be reached.\n%2"_s.arg(site, page));
        return std::nullopt;
    }
    if (source == FieldSource::Calendar)
        return webpages::parseCalendar(page, allPhases);
    if (source == FieldSource::StateList)
        return webpages::parseStateList(page, allPhases);
    QList<CalendarEntry> entries = webpages::parseWaClubList(page, Clock::instance().today());
    for (CalendarEntry &entry : entries) {
        const QString meetingPage = fetchPage(waRoot() + entry.link);
        if (!failed(meetingPage))
            entry.phase = webpages::waMeetingPhase(meetingPage);
    }
    return entries;
}

WebMeetingResult WebFieldDownloader::downloadMeeting(const QString &state, const CalendarEntry &entry, bool otherSource,
                                                     const std::function<bool()> &cancelled)
{
    // Track, short codes and form come from the data server: when it is down, that is said once.
    const DataServerBatch dataServer;
    WebMeetingResult result;
    result.entry = entry;
    const FieldSource source = sourceFor(state, otherSource);
    const QDate date = webpages::meetingDate(entry.date);
    const QString name = entry.meeting + u" ("_s + entry.date + u')';
    auto fail = [&](const QString &why) {
        result.error = why;
        UserDialogs::instance().critical(kFailedTitle, u"The fields of %1 could not be downloaded: %2.\n"
                                                       "The meeting keeps its earlier fields."_s.arg(name, why));
        return result;
    };
    if (!date.isValid())
        return fail(u"the date \"%1\" cannot be read"_s.arg(entry.date));

    // Everything is read before the database is touched.
    QList<WebRace> races;
    const QString why = readRaces(source, entry, races);
    if (!why.isEmpty())
        return fail(why);
    const std::optional<Track> track = trackOfVenue(entry.meeting, entry.date);
    LoadRaceShortCodes();
    QString code = date.toString(u"ddMM"_s) + (track ? track->code : entry.meeting.left(4).toUpper());
    // A venue downloaded before keeps its meeting code for that date (no second copy of the meeting),
    // unless its track now gives another code and the agent moves it there.
    if (const std::optional<QString> stored = meetingmove::storedCode(entry.meeting, date, code);
        stored && stored->compare(code, Qt::CaseInsensitive) != 0) {
        if (!track || !meetingmove::offerMove(*stored, code, entry.meeting))
            code = *stored;
    }
    result.meetingCode = code;
    result.trackUnknown = !track;
    if (cancelled && cancelled()) {
        result.error = u"cancelled"_s;
        return result;
    }

    const QString level = webpages::meetingLevel(entry.phase);
    int runnersRead = 0;
    for (const WebRace &race : std::as_const(races))
        runnersRead += int(std::count_if(race.runners.cbegin(), race.runners.cend(),
                                         [](const WebRunner &runner) { return !runner.scratched; }));
    const QString calendarState = source == FieldSource::WaClub ? u"WA"_s : state;
    const QString details = QLocale(QLocale::English, QLocale::Australia).toString(date, u"dddd d MMMM yyyy"_s) + u' ' +
                            (track ? track->club : QString());
    Stored stored;
    try {
        Db db = OpenDb();
        if (runnersRead == 0) {
            if (const int storedRunners = fieldstages::storedRunners(db, code); storedRunners > 0)
                return fail(u"the page lists %1 races but no runners, and %2 has %3 runners"_s.arg(
                    QString::number(races.size()), code, QString::number(storedRunners)));
        }
        if (const QString later = fieldstages::laterStoredLevel(db, code, level);
            !later.isEmpty() && !fieldstages::askToReplace(code, later, level, u"the page of "_s + name)) {
            result.leftOut = fieldstages::keptReason(code, later);
            result.error = u"left out: "_s + result.leftOut;
            return result;
        }
        Transaction transaction(db);
        const fieldchanges::Field before = fieldchangelog::readField(db, code);
        const QVariantList values{entry.meeting,
                                  date.toString(Qt::ISODate),
                                  details,
                                  level,
                                  track && !track->state.isEmpty() ? track->state : calendarState,
                                  track ? track->meetType : QString(),
                                  code};
        db.exec(u"UPDATE Meeting SET MeetingRSBCode = '', MeetingLocation = ?, MeetingDate = ?, MeetingDetails = ?, "
                "DisplayMeeting = 1, MeetingLevel = ?, State = ?, MeetType = ? WHERE MeetingCode = ?"_s,
                values);
        if (!db.scalar(u"SELECT COUNT(*) FROM Meeting WHERE MeetingCode = ?"_s, {code}).toInt()) {
            db.exec(
                u"INSERT INTO Meeting (MeetingLocation, MeetingDate, MeetingDetails, MeetingLevel, State, MeetType, "
                "MeetingCode, MeetingRSBCode, DisplayMeeting) VALUES (?, ?, ?, ?, ?, ?, ?, '', 1)"_s,
                values);
        }
        stored = store(db, code, entry.phase == webpages::kAcceptances, races);
        QStringList scratched;
        for (const auto &[raceNumber, horse] : std::as_const(stored.scratched))
            scratched << horse;
        result.changes = fieldchangelog::recordReload(db, code, before, scratched);
        transaction.commit();
    } catch (const DbError &error) {
        return fail(error.message());
    }
    result.loaded = true;
    result.races = stored.races;
    result.runners = stored.runners;
    result.scratchedRides = scratchedRides(code, entry.meeting, stored.scratched);
    if (!result.scratchedRides.isEmpty())
        UserDialogs::instance().information(kScratchedTitle, result.scratchedRides.join(u'\n'));
    if (source == FieldSource::Calendar)
        enrich(code);
    return result;
}

QList<WebMeetingResult>
WebFieldDownloader::downloadMeetings(const QString &state, const QList<CalendarEntry> &entries, bool otherSource,
                                     const std::function<bool(int, const CalendarEntry &)> &proceed,
                                     const std::function<bool()> &cancelled)
{
    const DataServerBatch dataServer; // its connection error is shown once for all the meetings
    // A meeting's later phase is stored after its earlier ones, so that it is the one that stays.
    QList<CalendarEntry> ordered = entries;
    std::stable_sort(ordered.begin(), ordered.end(), [](const CalendarEntry &a, const CalendarEntry &b) {
        return fieldstages::rank(webpages::meetingLevel(a.phase)) < fieldstages::rank(webpages::meetingLevel(b.phase));
    });
    QList<WebMeetingResult> results;
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        if (proceed && !proceed(int(i), ordered.at(i)))
            break;
        results << downloadMeeting(state, ordered.at(i), otherSource, cancelled);
        if (cancelled && cancelled())
            break;
    }
    return results;
}

DownloadSummary WebFieldDownloader::summarise(const QList<WebMeetingResult> &results)
{
    DownloadSummary summary;
    const QLocale english(QLocale::English);
    QStringList stored;
    QStringList failed;
    int races = 0;
    int runners = 0;
    for (const WebMeetingResult &result : results) {
        const QString name = result.entry.meeting + u" ("_s + result.entry.date + u')';
        if (result.loaded) {
            stored << u"  %1: %2 races, %3 runners"_s.arg(name, english.toString(result.races),
                                                          english.toString(result.runners));
            races += result.races;
            runners += result.runners;
        } else {
            failed << u"  %1: %2"_s.arg(name, result.error);
        }
    }
    summary.allLoaded = failed.isEmpty();
    summary.title = summary.allLoaded ? kSuccessTitle : kFailedTitle;
    QStringList parts;
    if (summary.allLoaded)
        parts << kSuccessText;
    if (!stored.isEmpty())
        parts << u"Stored:\n"_s + stored.join(u'\n');
    if (!failed.isEmpty())
        parts << u"Not downloaded (earlier fields kept):\n"_s + failed.join(u'\n');
    summary.text = parts.join("\n\n"_L1);
    summary.statusLine = u"Downloaded %1 of %2 meetings: %3 races, %4 runners"_s.arg(
        QString::number(stored.size()), QString::number(results.size()), english.toString(races),
        english.toString(runners));
    if (!failed.isEmpty())
        summary.statusLine += u"; %1 failed"_s.arg(failed.size());
    return summary;
}
