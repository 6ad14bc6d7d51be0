#include "FieldStages.h"

#include "FieldFileParser.h"
#include "core/UserDialogs.h"
#include "db/Database.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace fieldstages {

namespace {

QString stageName(const QString &level)
{
    switch (rank(level)) {
    case 1:
        return u"nominations"_s;
    case 2:
        return u"weights"_s;
    case 3:
        return u"acceptances"_s;
    default:
        return u"field"_s;
    }
}

} // namespace

int rank(const QString &level)
{
    if (level == "NOM"_L1)
        return 1;
    if (level == "WGT"_L1)
        return 2;
    if (level == "ACP"_L1)
        return 3;
    return 0;
}

QStringList batchOrder(const QStringList &paths)
{
    QStringList ordered = paths;
    const auto stageOf = [](const QString &path) {
        const std::optional<FieldFileName> name = FieldFileParser::fileName(path);
        return name ? rank(name->level) : 0;
    };
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&stageOf](const QString &a, const QString &b) { return stageOf(a) < stageOf(b); });
    return ordered;
}

QString laterStoredLevel(Db &db, const QString &meetingCode, const QString &level)
{
    if (rank(level) == 0)
        return {};
    try {
        const QString storedLevel =
            db.scalar(u"SELECT MeetingLevel FROM Meeting WHERE MeetingCode = ?"_s, {meetingCode}).toString().trimmed();
        return rank(storedLevel) > rank(level) ? storedLevel : QString();
    } catch (const DbError &) {
        return {}; // the store that follows meets the same fault and reports it
    }
}

bool askToReplace(const QString &meetingCode, const QString &storedLevel, const QString &level, const QString &source)
{
    const QString text =
        u"%1; replace them with the %2 in %3?"_s.arg(keptReason(meetingCode, storedLevel), stageName(level), source);
    return UserDialogs::instance().askYesNo(kReplaceTitle, text, UserDialogs::Icon::Question, UserDialogs::Answer::No);
}

QString keptReason(const QString &meetingCode, const QString &storedLevel)
{
    return u"%1 holds the %2"_s.arg(meetingCode, stageName(storedLevel));
}

int storedRunners(Db &db, const QString &meetingCode)
{
    try {
        return db.scalar(u"SELECT COUNT(*) FROM Noms WHERE MeetingCode = ?"_s, {meetingCode}).toInt();
    } catch (const DbError &) {
        return 0; // as above
    }
}

} // namespace fieldstages
