#include "TrackAlias.h"

#include "db/Database.h"
#include "db/Schema.h"

using namespace Qt::StringLiterals;

namespace trackalias {

std::optional<QString> trackFor(const QString &venue)
{
    try {
        QueryResult query = OpenQuery(u"SELECT TrackCode FROM TrackAlias WHERE Venue = ?"_s, {venue.simplified()});
        if (!query.next())
            return std::nullopt;
        return query.value(0).toString().trimmed();
    } catch (const DbError &) {
        return std::nullopt; // a file not yet upgraded has no aliases
    }
}

void set(const QString &venue, const QString &trackCode)
{
    Db db = OpenDb();
    db.exec(schema::trackAliasStatement()); // a file the upgrade has not yet reached
    db.exec(u"INSERT OR REPLACE INTO TrackAlias (Venue, TrackCode) VALUES (?, ?)"_s,
            {venue.simplified(), trackCode.trimmed().toUpper()});
}

QList<QPair<QString, QString>> all()
{
    QList<QPair<QString, QString>> aliases;
    for (QueryResult query = OpenQuery(u"SELECT Venue, TrackCode FROM TrackAlias ORDER BY Venue"_s); query.next();)
        aliases.append({query.value(0).toString(), query.value(1).toString()});
    return aliases;
}

} // namespace trackalias
