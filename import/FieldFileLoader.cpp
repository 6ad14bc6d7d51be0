#include "FieldFileLoader.h"

#include "FieldFileParser.h"
#include "FieldStages.h"
#include "bookings/BookingOperations.h"
#include "bookings/FieldChangeLog.h"
#include "core/Sound.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/RemoteQuery.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlError>

using namespace Qt::StringLiterals;

namespace {

QVariant nullText()
{
    return QVariant(QMetaType::fromType<QString>());
}

QVariant optionalText(const std::optional<QString> &text)
{
    return text ? QVariant(*text) : nullText();
}

// A statement prepared once per file and run for every row.
class Prepared
{
public:
    Prepared(Db &db, const QString &sql) : m_query(db.handle())
    {
        if (!m_query.prepare(sql))
            throw DbError(m_query.lastError().text());
    }
    void run(const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_query.bindValue(i, values.at(i));
        if (!m_query.exec())
            throw DbError(m_query.lastError().text());
    }

private:
    QSqlQuery m_query;
};

FieldFileLoadResult refuse(FieldFileLoadResult result, const QString &detail)
{
    sounds::playSound(sounds::kFileError);
    result.error = FieldFileLoader::kRefusedText;
    if (!detail.isEmpty())
        result.error += u'\n' + detail;
    UserDialogs::instance().critical(FieldFileLoader::kRefusedTitle, result.error);
    return result;
}

// `track` is nullopt when the data server could not be asked: the meeting keeps the state and
// meeting type it had.
void store(Db &db, const FieldFile &file, std::optional<TrackInfo> track, FieldFileLoadResult &result)
{
    const FieldMeeting &meeting = file.meeting;
    if (!track) {
        QSqlQuery previous =
            db.exec(u"SELECT State, MeetType FROM Meeting WHERE MeetingCode = ?"_s, {meeting.meetingCode});
        track = previous.next() ? TrackInfo{previous.value(0).toString(), previous.value(1).toString()} : TrackInfo{};
    }
    for (const char *table : {"Noms", "Race", "Meeting"})
        db.exec(u"DELETE FROM %1 WHERE MeetingCode = ?"_s.arg(QLatin1String(table)), {meeting.meetingCode});

    db.exec(u"INSERT INTO Meeting (MeetingCode, MeetingLocation, MeetingDetails, MeetingLevel, MeetingDate, "
            "DisplayMeeting, State, MeetType) VALUES (?, ?, ?, ?, ?, 1, ?, ?)"_s,
            {meeting.meetingCode, meeting.location, meeting.details, meeting.level, meeting.date.toString(Qt::ISODate),
             track->state, track->meetType});

    Prepared insertRace(db, u"INSERT INTO Race (MeetingCode, RaceCode, RaceNumber, RaceDetails, RaceDistance, "
                            "RaceTime, ApprClaim) VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    for (const FieldRace &race : file.races) {
        if (!race.stored)
            continue;
        insertRace.run({meeting.meetingCode, race.raceCode, race.raceNumber, race.details, race.distance,
                        race.time.toString(u"HH:mm:ss"_s), race.apprClaim ? 1 : 0});
        ++result.races;
    }

    Prepared insertHorse(db, u"INSERT INTO Noms (MeetingCode, RaceCode, RaceNumber, Horse, HorseName, TrainerName, "
                             "TrainerLocation, Phone, Class, Form, Weight, Rating, Jockey, HorseType, Blood1, Blood2, "
                             "Blood3, Owners, HorseDOB, Ballot, Barrier, EntryNo, EorB) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    for (const FieldHorse &h : file.horses) {
        insertHorse.run({meeting.meetingCode,
                         h.raceCode,
                         h.raceNumber,
                         h.horse,
                         h.horseName,
                         h.trainerName,
                         h.trainerLocation,
                         h.phone,
                         optionalText(h.classText),
                         h.form,
                         h.weightTenths,
                         optionalText(h.rating),
                         h.jockey,
                         h.horseType,
                         h.blood1,
                         h.blood2,
                         h.blood3,
                         h.owners,
                         h.dob.isValid() ? QVariant(h.dob.toString(Qt::ISODate)) : nullText(),
                         h.ballot ? QVariant(*h.ballot) : QVariant(QMetaType::fromType<int>()),
                         h.barrier,
                         h.entryNo,
                         h.eorB});
        ++result.horses;
    }
    FollowNominationRaceCodes(db, meeting.meetingCode);
}

// "<file>: N lines could not be read and were left out:" (or "... values ... left empty:") and at
// most twenty of the entries, one a line.
QString unreadList(const QString &file, const QString &noun, const QString &outcome, const QStringList &entries)
{
    constexpr int kShown = 20;
    const qsizetype count = entries.size();
    QString text = u"%1: %2 could not be read and %3 %4:"_s.arg(
        file, count == 1 ? u"1 "_s + noun : u"%1 %2s"_s.arg(count).arg(noun), count == 1 ? u"was"_s : u"were"_s,
        outcome);
    for (qsizetype i = 0; i < std::min<qsizetype>(count, kShown); ++i)
        text += u'\n' + entries.at(i);
    if (count > kShown)
        text += u"\n... and %1 more"_s.arg(count - kShown);
    return text;
}

// The lines a file's load left out, then the values it left empty, each with its line.
QString skippedText(const QString &path, const QList<SkippedLine> &skipped, const QList<EmptiedValue> &emptied = {})
{
    const QString file = QFileInfo(path).fileName();
    QStringList parts;
    if (!skipped.isEmpty()) {
        QStringList entries;
        for (const SkippedLine &line : skipped) {
            QString entry = u"line %1: %2"_s.arg(line.line).arg(line.reason);
            if (line.horsesLeftOut > 0)
                entry += u" (its %1 horse(s) left out with it)"_s.arg(line.horsesLeftOut);
            entries << entry;
        }
        parts << unreadList(file, u"line"_s, u"left out"_s, entries);
    }
    if (!emptied.isEmpty()) {
        QStringList entries;
        for (const EmptiedValue &value : emptied)
            entries << u"line %1: field %2 (%3) \"%4\""_s.arg(value.line).arg(value.field).arg(value.what, value.value);
        parts << unreadList(file, u"value"_s, u"left empty"_s, entries);
    }
    return parts.join(u"\n\n"_s);
}

} // namespace

// One "&Add Data" batch: a failed track look-up is shown once, and the data server is not
// asked again until the next batch; each track is asked for once; one connection serves every file.
struct FieldFileLoader::Batch {
    DataServerBatch dataServer;
    QHash<QString, std::optional<TrackInfo>> tracks;
    std::optional<Db> db;

    ~Batch()
    {
        // Back to the usual journal, which also writes the batch through to the file; when another
        // connection is open the file stays in write-ahead mode, which every connection reads alike.
        if (db)
            ignoreErrors([this] { db->exec(u"PRAGMA journal_mode = DELETE"_s); });
    }

    std::optional<TrackInfo> track(const QString &code)
    {
        const QString key = code.toUpper();
        const auto known = tracks.constFind(key);
        if (known != tracks.constEnd())
            return *known;
        return *tracks.insert(key, lookUpTrack(code));
    }

    // Each file is one transaction, so each is stored whole or not at all. With a write-ahead log and
    // normal syncing a commit needs no sync of its own: the log is synced when it is copied into the file.
    Db &connection()
    {
        if (!db) {
            db.emplace(OpenDb());
            ignoreErrors([this] {
                db->exec(u"PRAGMA journal_mode = WAL"_s);
                db->exec(u"PRAGMA synchronous = NORMAL"_s);
            });
        }
        return *db;
    }

    template <typename Step> static void ignoreErrors(Step step)
    {
        try {
            step();
        } catch (const DbError &) {
        }
    }
};

QString FieldFileLoader::fileFilter()
{
    // The first entry is the one shown: every kind of field file, acceptances included.
    return u"All field files (*.DGN;*.DGW;*.DGA;*.DFN;*.DFW;*.DFA;*.DNP;*.DNW;*.DNA)|"_s
           u"*.DGN;*.DGW;*.DGA;*.DFN;*.DFW;*.DFA;*.DNP;*.DNW;*.DNA|"_s
           u"Noms & Weights Trainer Phone  (*.DGN;*.DGW;*.DNP;*.DNW;*.DNA)|*.DGN;*.DGW;*.DNP;*.DNW;*.DNA|"_s
           u"Weights (*.DGW;*.DFW;*.DNW)|*.DGW;*.DFW;*.DNW|"_s
           u"Nominations(*.DGN;*.DFN;*.DNP)|*.DGN;*.DFN;*.DNP|Acceptances (*.DGA;*DFA;*.DNA)|*.DGA;*.DFA;*.DNA"_s;
}

std::optional<TrackInfo> FieldFileLoader::lookUpTrack(const QString &trackCode)
{
    QString code = trackCode;
    const QString sql = u"SELECT State, MeetType FROM Track WHERE TrackCode = '"_s + SqlQuoteForUrl(code) + u'\'';
    bool errorPageShown = false;
    const QString answer = DataServerRequest(sql, &errorPageShown);
    // A server error page has been shown already; it must not pass for an unknown track.
    if (errorPageShown)
        return std::nullopt;
    if (answer.startsWith("Error:"_L1)) {
        ShowConnectionError(answer);
        return std::nullopt;
    }
    TrackInfo track;
    if (answer.left(6) <= " "_L1)
        return track;
    const QStringList fields = splitAnswerFields(splitAnswerRows(answer).value(0));
    track.state = fields.value(0);
    track.meetType = fields.value(1);
    return track;
}

FieldFileLoadResult FieldFileLoader::loadFile(const QString &path)
{
    Batch batch;
    return loadFile(path, batch);
}

FieldFileLoadResult FieldFileLoader::loadFile(const QString &path, Batch &batch)
{
    FieldFileLoadResult result;
    result.path = path;
    const std::optional<FieldFileName> name = FieldFileParser::fileName(path);
    if (!name)
        return refuse(result, {});
    result.meetingCode = name->meetingCode;
    result.level = name->level;

    FieldFile file;
    try {
        file = FieldFileParser::parseFile(path);
    } catch (const FieldFileError &error) {
        return refuse(result, error.message());
    }

    // Nothing loadable: the meeting's rows are not replaced by an empty field.
    if (file.horses.isEmpty() && !file.skipped.isEmpty())
        return refuse(result, skippedText(path, file.skipped));

    const QString code = file.meeting.meetingCode;
    try {
        // The batch's one connection answers the checks too: a connection per file would read the schema again.
        Db &db = batch.connection();
        if (file.horses.isEmpty()) {
            if (const int runners = fieldstages::storedRunners(db, code); runners > 0)
                return refuse(result, u"%1 lists races but no horses; %2 keeps its %3 runners."_s.arg(
                                          QFileInfo(path).fileName(), code, QString::number(runners)));
        }
        if (const QString later = fieldstages::laterStoredLevel(db, code, name->level);
            !later.isEmpty() && !fieldstages::askToReplace(code, later, name->level, QFileInfo(path).fileName())) {
            result.leftOut = fieldstages::keptReason(code, later);
            return result;
        }

        // The field file is local: without the data server only the state and meeting type are unknown.
        const std::optional<TrackInfo> track = batch.track(name->trackCode);
        Transaction transaction(db);
        const fieldchanges::Field before = fieldchangelog::readField(db, file.meeting.meetingCode);
        store(db, file, track, result);
        result.changes = fieldchangelog::recordReload(db, file.meeting.meetingCode, before);
        transaction.commit();
        result.loaded = true;
        result.skippedLines = int(file.skipped.size());
        result.emptiedValues = int(file.emptied.size());
        if (!file.skipped.isEmpty() || !file.emptied.isEmpty())
            UserDialogs::instance().message(kSkippedTitle, skippedText(path, file.skipped, file.emptied),
                                            UserDialogs::Icon::Exclamation);
    } catch (const DbError &error) {
        result.races = result.horses = 0;
        result.changes = {};
        result.error = error.message();
        UserDialogs::instance().critical(u"Error"_s, error.message());
    }
    return result;
}

QList<FieldFileLoadResult> FieldFileLoader::loadFiles(const QStringList &paths,
                                                      const std::function<void()> &onListsChanged,
                                                      const Progress &progress)
{
    QList<FieldFileLoadResult> results;
    Batch batch;
    const QStringList ordered = fieldstages::batchOrder(paths);
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        if (progress && !progress(int(i), int(ordered.size()), ordered.at(i)))
            break;
        results.append(loadFile(ordered.at(i), batch));
    }
    sounds::playSound(sounds::kFieldsLoaded);
    if (onListsChanged)
        onListsChanged();
    return results;
}

QString FieldFileLoader::loadSummary(const QList<FieldFileLoadResult> &results)
{
    const QLocale english(QLocale::English);
    qsizetype loaded = 0;
    int horses = 0;
    int skipped = 0;
    for (const FieldFileLoadResult &result : results) {
        if (!result.loaded)
            continue;
        ++loaded;
        horses += result.horses;
        skipped += result.skippedLines;
    }
    auto count = [&english](qsizetype n, const QString &one, const QString &many) -> QString {
        return english.toString(n) + u' ' + (n == 1 ? one : many);
    };
    QString line =
        u"Loaded %1: %2, %3"_s.arg(count(loaded, u"file"_s, u"files"_s), count(horses, u"horse"_s, u"horses"_s),
                                   count(skipped, u"line skipped"_s, u"lines skipped"_s));
    QStringList leftOut;
    QStringList failed;
    for (const FieldFileLoadResult &result : results) {
        const QString file = QFileInfo(result.path).fileName();
        if (!result.leftOut.isEmpty())
            leftOut << u"%1 (%2)"_s.arg(file, result.leftOut);
        else if (!result.loaded)
            failed << file;
    }
    if (!leftOut.isEmpty())
        line += u"; %1 left out: %2"_s.arg(english.toString(leftOut.size()), leftOut.join(", "_L1));
    if (!failed.isEmpty())
        line += u"; %1 not loaded: %2"_s.arg(count(failed.size(), u"file"_s, u"files"_s), failed.join(", "_L1));
    return line;
}

QList<FieldFileLoadResult> chooseAndLoadFieldFiles(const std::function<void()> &onListsChanged,
                                                   const FieldFileLoader::Progress &progress)
{
    cAppSettings &settings = cAppSettings::instance();
    UserDialogs::FileRequest request;
    request.title = FieldFileLoader::kDialogTitle;
    request.filter = FieldFileLoader::fileFilter();
    request.startFolder = settings.AddDataPath;
    request.multiSelect = true;
    const QStringList files = UserDialogs::instance().openFiles(request);
    if (files.isEmpty())
        return {};
    if (files.size() == 1) {
        const QString &path = files.first();
        const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
        settings.AddDataPath = path.left(std::max<qsizetype>(slash, 0));
    }
    return FieldFileLoader::loadFiles(files, onListsChanged, progress);
}
