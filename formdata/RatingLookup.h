#pragma once

#include <QString>

// The rating service's page for a horse: the search is posted, and when it answers with a list
// of matches the first active horse's details page is fetched. Empty text when the site fails
// (the agent is told).
QString fetchRatingPage(const QString &horse);

// The first active horse's details link in a search result list; empty when there is none.
QString activeHorseLink(const QString &listPage);
