#pragma once

#include <QString>
#include <QStringList>

class Db;

using namespace Qt::Literals::StringLiterals;

// A meeting's field grows through three stages: nominations, weights, acceptances. A field of a
// later stage holds what the earlier ones held and more, so an earlier one never replaces it
// unless the agent says so.
namespace fieldstages {

// 1 nominations ("NOM"), 2 weights ("WGT"), 3 acceptances ("ACP"); 0 for a field of unknown kind.
int rank(const QString &level);

// The files of a batch in the order they load: by stage (unknown kinds first), in the order
// given within a stage, so that each meeting ends at its latest stage whatever the names sort to.
QStringList batchOrder(const QStringList &paths);

// The meeting's stored level when `level` is of an earlier stage, else empty.
QString laterStoredLevel(Db &db, const QString &meetingCode, const QString &level);

// Asks "0912FLEM holds the acceptances; replace them with the weights in 0912FLEM.DGW?" (default
// No); `source` names where the new field comes from. True when the agent answers Yes.
bool askToReplace(const QString &meetingCode, const QString &storedLevel, const QString &level, const QString &source);
// Why a field was left out when the agent kept the later one: "0912FLEM holds the acceptances".
QString keptReason(const QString &meetingCode, const QString &storedLevel);

// How many runners the meeting's stored field has: a field with none never replaces them.
int storedRunners(Db &db, const QString &meetingCode);

inline const QString kReplaceTitle = u"Confirm Replace Field"_s;

} // namespace fieldstages
