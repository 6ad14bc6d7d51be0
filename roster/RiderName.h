#pragma once

#include <QString>

// A rider as fields and race pages write them ("Ms Anna Lee", "Kate Rowe (a2)", "MR  J SMITH")
// reduced to the name a jockey's FullName holds: no title, no apprentice's claim, single blanks.
// Names still compare without case, as the Jockey table's columns do.
QString plainRiderName(const QString &fieldRider);

// Whether two riders are one person: both reduced as above (a jockey's FullName may carry a
// title too), then compared without case. Two empty names are not a rider.
bool sameRider(const QString &a, const QString &b);
