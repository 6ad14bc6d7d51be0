#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// The racing sites name venues after their sponsors ("Aquis Park Gold Coast", "Sportsbet-Ballarat")
// where the data server knows the track as GOLD COAST or BALLARAT. The agent's answer to which
// track a venue is lives in the local table TrackAlias (venues compared without case), so that a
// web meeting gets the same meeting code as the field file of that meeting.
namespace trackalias {

// The track code stored for a venue; an empty code when the agent said it is no track of the
// provider's; nullopt when nothing is stored.
std::optional<QString> trackFor(const QString &venue);
// Stores (or replaces) a venue's track code; an empty code means "no track". Throws DbError.
void set(const QString &venue, const QString &trackCode);
// Every alias as (venue, track code), by venue.
QList<QPair<QString, QString>> all();

} // namespace trackalias
