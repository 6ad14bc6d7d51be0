#include "MaintenanceCommands.h"

#include "Startup.h"
#include "bookings/BookingGestures.h"
#include "bookings/BookingOperations.h"
#include "bookings/MainLists.h"
#include "core/Clock.h"
#include "core/DebugMode.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "formdata/RideStatistics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace maintenance {

namespace {

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    const Qt::CaseSensitivity cs =
#ifdef Q_OS_WIN
        Qt::CaseInsensitive;
#else
        Qt::CaseSensitive;
#endif
    if (QDir::cleanPath(first.absoluteFilePath()).compare(QDir::cleanPath(second.absoluteFilePath()), cs) == 0)
        return true;
    // A link or another spelling of the same folder must not get past the check either.
    const QString canonicalA = first.canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA.compare(second.canonicalFilePath(), cs) == 0;
}

// The copy lands under a temporary name beside the target and is renamed over it only once
// complete, so an interrupted copy never leaves a truncated backup behind.
bool copyThroughTemporary(const QString &from, const QString &to, QString *why)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        *why = source.errorString();
        return false;
    }
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) {
        *why = target.errorString();
        return false;
    }
    constexpr qint64 kChunk = 1 << 20;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(kChunk);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError) {
            *why = source.errorString();
            target.cancelWriting();
            return false;
        }
        if (target.write(chunk) != chunk.size()) {
            *why = target.errorString();
            target.cancelWriting();
            return false;
        }
    }
    if (!target.commit()) {
        *why = target.errorString();
        return false;
    }
    return true;
}

} // namespace

BackupOutcome backupDatabase()
{
    UserDialogs &dialogs = UserDialogs::instance();
    cAppSettings &settings = cAppSettings::instance();
    UserDialogs::FileRequest request;
    request.title = u"Backup Ostrevan Database"_s;
    request.filter = u"Database Files|*.mdb|All Files|*.*"_s;
    request.startFolder = settings.BackupPath;
    request.suggestedName = kDatabaseFileName;
    const QString chosen = dialogs.saveFile(request);
    if (chosen.isEmpty())
        return BackupOutcome::Cancelled;

    const QString shown = QDir::toNativeSeparators(chosen);
    settings.BackupPath = QDir::toNativeSeparators(QFileInfo(chosen).absolutePath());

    const QString working = databaseFilePath();
    if (sameFile(chosen, working)) {
        dialogs.critical(u"Backup error"_s,
                         "Error You cannot backup to the same location and name as application "_L1 + shown);
        return BackupOutcome::Refused;
    }
    QString why;
    if (!copyThroughTemporary(working, chosen, &why)) {
        dialogs.critical(u"Backup error"_s, "Backup of Ostrevan Database to "_L1 + shown + " failed: "_L1 + why);
        return BackupOutcome::Failed;
    }
    dialogs.information(u"Backup Complete"_s, "Backup of Ostrevan Database Completed to Location: "_L1 + shown);
    return BackupOutcome::Done;
}

bool restoreBackup(const backups::Backup &backup)
{
    UserDialogs &dialogs = UserDialogs::instance();
    const QLocale english(QLocale::English, QLocale::Australia);
    const QString when = backup.time.toString(u"ddd d MMM yyyy HH:mm"_s);
    QString contents;
    if (backup.meetings >= 0)
        contents =
            u" (%1 meetings, %2 bookings)"_s.arg(english.toString(backup.meetings), english.toString(backup.bookings));
    if (!dialogs.askYesNo(QLatin1String(kRestoreTitle),
                          u"Restore the backup of %1%2?\r\rThe database as it is now is kept as a backup first."_s.arg(
                              when, contents)))
        return false;
    try {
        const QString kept =
            backups::restore(backup.file, databaseFilePath(), backups::folder(), Clock::instance().now());
        QString text = u"The backup of %1 is restored."_s.arg(when);
        if (!kept.isEmpty())
            text += u" The database it replaced is kept as "_s + QFileInfo(kept).fileName() + u'.';
        dialogs.information(QLatin1String(kRestoreTitle), text);
        return true;
    } catch (const DbError &error) {
        dialogs.critical(QLatin1String(kRestoreTitle), error.message());
        return false;
    }
}

bool backupNow()
{
    try {
        const QString folder = backups::folder();
        backups::make(databaseFilePath(), folder, Clock::instance().now());
        backups::prune(folder);
        return true;
    } catch (const DbError &error) {
        UserDialogs::instance().critical(u"Backup error"_s, error.message());
        return false;
    }
}

bool compactAndRepair()
{
    if (CompactDb())
        return true;
    UserDialogs::instance().critical(u"Critical Error"_s, QString::fromLatin1(startup::kCompactFailedText));
    return false;
}

bool removeUnwantedData()
{
    UserDialogs &dialogs = UserDialogs::instance();
    if (!dialogs.askYesNo(u"Confirm Remove Old data"_s, u"Select Yes to Remove old Data, or No to Cancel"_s))
        return false;
    {
        Db db = OpenDb();
        Transaction transaction(db);
        db.exec(u"DELETE FROM Meeting WHERE NOT DisplayMeeting"_s);
        db.exec(
            u"DELETE FROM Noms WHERE NOT EXISTS (SELECT 1 FROM Meeting WHERE Meeting.MeetingCode = Noms.MeetingCode)"_s);
        db.exec(
            u"DELETE FROM Race WHERE NOT EXISTS (SELECT 1 FROM Meeting WHERE Meeting.MeetingCode = Race.MeetingCode)"_s);
        transaction.commit();
    }
    dialogs.information(u"Process Successfull"_s, u"All Non Current data has been Removed successfully"_s);
    return true;
}

void deleteMeetings(const QStringList &meetingCodes)
{
    if (meetingCodes.isEmpty())
        return;
    Db db = OpenDb();
    Transaction transaction(db);
    for (const QString &code : meetingCodes) {
        db.exec(u"DELETE FROM Noms WHERE MeetingCode = ?"_s, {code});
        db.exec(u"UPDATE Meeting SET DisplayMeeting = 0 WHERE MeetingCode = ?"_s, {code});
    }
    transaction.commit();
}

QString deleteMeetingsQuestion(const QStringList &meetingCodes)
{
    Db db = OpenDb();
    QStringList names;
    int nominations = 0;
    int bookings = 0;
    for (const QString &code : meetingCodes) {
        QSqlQuery meeting =
            db.exec(u"SELECT MeetingLocation, MeetingDate FROM Meeting WHERE MeetingCode = ?"_s, {code});
        if (!meeting.next())
            continue;
        const QString place = meeting.value(0).toString().trimmed();
        const QString day = mainlists::listDate(meeting.value(1).toString());
        QStringList particulars;
        for (const QString &part : {place, day})
            if (!part.isEmpty())
                particulars << part;
        names << (particulars.isEmpty() ? code : u"%1 (%2)"_s.arg(code, particulars.join(u", "_s)));
        nominations += db.scalar(u"SELECT COUNT(*) FROM Noms WHERE MeetingCode = ?"_s, {code}).toInt();
        bookings += db.scalar(u"SELECT COUNT(*) FROM Bookings WHERE MeetingCode = ?"_s, {code}).toInt();
    }
    if (names.isEmpty())
        return {};
    const QLocale english(QLocale::English, QLocale::Australia);
    auto count = [&english](int n, const char *one, const char *many) -> QString {
        return english.toString(n) + u' ' + QLatin1String(n == 1 ? one : many);
    };
    QString text = names.size() == 1 ? u"Delete meeting %1?"_s.arg(names.first())
                                     : u"Delete %1 meetings: %2?"_s.arg(names.size()).arg(names.join(u"; "_s));
    text += u"\r\r"_s + count(nominations, "nomination", "nominations") + u" go with "_s +
            (names.size() == 1 ? u"it"_s : u"them"_s);
    if (bookings > 0)
        text += u", and "_s + count(bookings, "booking", "bookings") +
                u" leave the lists (kept: they show again when the meeting is loaded again)"_s;
    return text + u'.';
}

bool toggleDebugMode()
{
    if (DebugMode::isOn()) {
        DebugMode::turnOff();
        return false;
    }
    cAppSettings &settings = cAppSettings::instance();
    UserDialogs::FileRequest request;
    request.title = u"Build a debug File"_s;
    request.filter = u"Text Files|*.txt|All Files|*.*"_s;
    request.startFolder = settings.DebugPath;
    request.suggestedName = u"debug.txt"_s;
    const QString chosen = UserDialogs::instance().saveFile(request);
    if (chosen.isEmpty())
        return false;
    settings.DebugPath = QDir::toNativeSeparators(QFileInfo(chosen).absolutePath());
    DebugMode::turnOn(chosen);
    return true;
}

void resetRaceWindow()
{
    cAppSettings &settings = cAppSettings::instance();
    settings.RaceTop = 0;
    settings.RaceLeft = 0;
    settings.SaveSettings();
}

std::optional<QString> remainingStatusFor(int column, const QString &cellText)
{
    if (column != kNomsStateColumn || cellText.isEmpty() || cellText == kPlanned || cellText == kConfirmed)
        return std::nullopt;
    return cellText;
}

QString remainingStatusCaption(const QString &state)
{
    return "Set Remaining Status to "_L1 + state;
}

int setRemainingStates(BookingGrid &grid, int rowCount, const QString &state)
{
    const int stateColumn = grid.bookingColumns().state;
    int set = 0;
    for (int row = 1; row <= rowCount; ++row) {
        if (grid.cellText(row, stateColumn).isEmpty() && bookinggestures::chooseState(grid, row, state))
            ++set;
    }
    return set;
}

bool jockeySelectedForStrikeRate(const QString &selected)
{
    if (!selected.isEmpty())
        return true;
    UserDialogs::instance().critical(QString::fromLatin1(kSelectJockeyTitle),
                                     QString::fromLatin1(kSelectJockeyForStrikeRate));
    return false;
}

std::optional<RideDownloadResult> reloadJockeyFormData(const QString &jockey)
{
    if (jockey.isEmpty())
        return std::nullopt;
    return DownloadJockeyRides(jockey, true, kRideStatsFloor);
}

} // namespace maintenance
