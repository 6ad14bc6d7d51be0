#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The Victorian rating read from a horse's rating details page: the sixth cell of the row
// after the "VIC Rating" heading. None when the page has no such cell or it is blank.
std::optional<QString> parseVicRating(const QString &page);

struct RatingUpdateResult {
    int updated = 0;
    QStringList skipped;  // "HORSE: why"
    bool stopped = false; // the rating site could not be reached: the runners after it were not asked
};

// Fetches each runner's rating page with `fetchPage` and stores the ratings that are numbers
// in Noms.Rating; other runners keep theirs. No page (nullopt) means the site is unreachable:
// the run stops there, so the agent hears of it once, not once per runner.
RatingUpdateResult UpdateRatings(const QString &meetingCode, int raceNumber,
                                 const std::function<std::optional<QString>(const QString &horse)> &fetchPage);
