#include "StartupMigration.h"

#include "core/Paths.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlQuery>

namespace {

QSet<QString> columnsOf(Db &db, const QString &schemaName, const QString &table)
{
    QSet<QString> names;
    QSqlQuery info = db.exec(QStringLiteral("SELECT name FROM pragma_table_info(?, ?)"), {table, schemaName});
    while (info.next())
        names.insert(info.value(0).toString());
    return names;
}

} // namespace

void runStartupMigration()
{
    const QString previous = databaseFileIn(cAppSettings::instance().PreviousInstallPath);
    if (!QFile::exists(previous))
        return;
    const QString folder = programFolder();
    const QString work = folder + QStringLiteral("/oldKelbrin.mdb");
    QFile::remove(work);
    if (!QFile::copy(previous, work))
        throw DbError(QStringLiteral("Cannot copy %1 to %2").arg(previous, work));

    // Without a current database there is nothing to add; attaching would make an empty file.
    if (QFile::exists(databaseFilePath())) {
        Db old(work);
        old.exec(QStringLiteral("ATTACH DATABASE ? AS cur"), {databaseFilePath()});
        Transaction transaction(old);
        // Trainers of the new installation that the old one lacks; old rows are never changed.
        const QStringList wanted = {QStringLiteral("TrainerName"), QStringLiteral("TrainerLocation"),
                                    QStringLiteral("TrainerMobile"), QStringLiteral("TrainerType"),
                                    QStringLiteral("Phone"), QStringLiteral("TrainerComments"),
                                    QStringLiteral("IgnoreTrainer")};
        const QSet<QString> oldColumns = columnsOf(old, QStringLiteral("main"), QStringLiteral("Trainer"));
        const QSet<QString> newColumns = columnsOf(old, QStringLiteral("cur"), QStringLiteral("Trainer"));
        QStringList shared;
        for (const QString &column : wanted)
            if (oldColumns.contains(column) && newColumns.contains(column))
                shared << column;
        if (shared.contains(QStringLiteral("TrainerName"))) {
            const QString list = shared.join(QStringLiteral(", "));
            old.exec(QStringLiteral("INSERT INTO main.Trainer (%1) SELECT %1 FROM cur.Trainer C "
                                    "WHERE IFNULL(C.TrainerName, '') <> '' AND NOT EXISTS "
                                    "(SELECT 1 FROM main.Trainer O WHERE O.TrainerName = C.TrainerName COLLATE NOCASE)")
                         .arg(list));
        }
        if (!old.scalar(QStringLiteral("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = 'BookRate'")).isValid()) {
            for (const QString &statement : schema::createStatements())
                if (statement.startsWith(QLatin1String("CREATE TABLE BookRate")))
                    old.exec(statement);
            old.exec(QStringLiteral("INSERT INTO main.BookRate SELECT State, RaceType, DateEffective, BookingRate FROM cur.BookRate"));
        }
        transaction.commit();
        old.exec(QStringLiteral("DETACH DATABASE cur"));
    }

    const QString target = folder + QLatin1Char('/') + kDatabaseFileName;
    QFile::remove(target); // a failure to delete is ignored, as the copy below then fails safe
    if (!QFile::copy(work, target))
        throw DbError(QStringLiteral("Cannot copy %1 to %2").arg(work, target));
    QFile::remove(work);
}
