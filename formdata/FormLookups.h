#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// The horse search on the data server and the outside look-ups around a horse name: the
// rating site's page and the registration authority's search address.
namespace lookups {

// ---- Horse search ----
QString horseSearchSql(const QString &typed);
struct HorseRow {
    QString horse, dob, sire, dam, age, sex, trainer; // dob as "dd/mm/yy"
};
// Rows with fewer than 3 fields skipped; names in proper case.
QList<HorseRow> parseHorses(const QString &answer);

enum class SearchOutcome { Found, EmptyInput, NothingFound, Failed };
struct SearchResult {
    SearchOutcome outcome = SearchOutcome::Failed;
    QList<HorseRow> horses;
};
// Runs the search and shows its messages ("Enter Part of Horsname and enter", "No Horse Found
// with Characters", connection errors).
SearchResult searchHorses(const QString &typed);

// ---- Rating site ----
QString ratingSearchAddress();
QString ratingSearchBody(const QString &horse);
// The details link of the first active horse of a result list page, or empty.
QString detailsLink(const QString &listPage);
// The horse's rating page (details page when the list names an active horse, else the page
// as it came), or empty after an error ("Data Error" shown; `failed`, when given, is set).
QString ratingLookUp(const QString &horse, bool *failed = nullptr);
// Writes the page to "display.html" in the program folder; its address, or empty when the
// page is blank or cannot be written.
QString writeDisplayPage(const QString &page);

// ---- Registration authority ----
QString registrationAddress(const QString &horse);

inline constexpr const char *kRatingCaption = "RBH Vic Rating";
inline QString registrationCaption(const QString &horse)
{
    return u"Registration Search - "_s + horse;
}

} // namespace lookups
