#include "StartupMigration.h"

#include "core/Paths.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

QSet<QString> columnsOf(Db &db, const QString &schemaName, const QString &table)
{
    QSet<QString> names;
    QSqlQuery info = db.exec(u"SELECT name FROM pragma_table_info(?, ?)"_s, {table, schemaName});
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
    const QString work = folder + u"/oldKelbrin.mdb"_s;
    QFile::remove(work);
    if (!QFile::copy(previous, work))
        throw DbError(u"Cannot copy %1 to %2"_s.arg(previous, work));

    // Without a current database there is nothing to add; attaching would make an empty file.
    if (QFile::exists(databaseFilePath())) {
        Db old(work);
        old.exec(u"ATTACH DATABASE ? AS cur"_s, {databaseFilePath()});
        Transaction transaction(old);
        // Trainers of the new installation that the old one lacks; old rows are never changed.
        const QStringList wanted = {u"TrainerName"_s, u"TrainerLocation"_s, u"TrainerMobile"_s, u"TrainerType"_s,
                                    u"Phone"_s,       u"TrainerComments"_s, u"IgnoreTrainer"_s};
        const QSet<QString> oldColumns = columnsOf(old, u"main"_s, u"Trainer"_s);
        const QSet<QString> newColumns = columnsOf(old, u"cur"_s, u"Trainer"_s);
        QStringList shared;
        for (const QString &column : wanted)
            if (oldColumns.contains(column) && newColumns.contains(column))
                shared << column;
        if (shared.contains(u"TrainerName"_s)) {
            const QString list = shared.join(u", "_s);
            old.exec(u"INSERT INTO main.Trainer (%1) SELECT %1 FROM cur.Trainer C "
                     "WHERE IFNULL(C.TrainerName, '') <> '' AND NOT EXISTS "
                     "(SELECT 1 FROM main.Trainer O WHERE O.TrainerName = C.TrainerName COLLATE NOCASE)"_s.arg(list));
        }
        if (!old.scalar(u"SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = 'BookRate'"_s).isValid()) {
            for (const QString &statement : schema::createStatements())
                if (statement.startsWith("CREATE TABLE BookRate"_L1))
                    old.exec(statement);
            old.exec(
                u"INSERT INTO main.BookRate SELECT State, RaceType, DateEffective, BookingRate FROM cur.BookRate"_s);
        }
        transaction.commit();
        old.exec(u"DETACH DATABASE cur"_s);
    }

    const QString target = folder + u'/' + kDatabaseFileName;
    QFile::remove(target); // a failure to delete is ignored, as the copy below then fails safe
    if (!QFile::copy(work, target))
        throw DbError(u"Cannot copy %1 to %2"_s.arg(work, target));
    QFile::remove(work);
}
