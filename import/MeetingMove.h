#pragma once

#include <QDate>
#include <QString>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// A web meeting's code is its date and its venue's track. A venue downloaded before its track was
// known (or while the data server was down) is stored under another code: it keeps that code until
// the agent moves it, with its bookings and changes, to the code its track gives.
namespace meetingmove {

// The code of the venue's stored meeting of that date: `preferred` when a meeting of that code is
// the venue's, else any of the venue's; nullopt when the venue has none that day.
std::optional<QString> storedCode(const QString &venue, const QDate &date, const QString &preferred);

// Asks whether to move meeting `from` of `venue` to `to` and moves it (one transaction) on Yes. True
// when the meeting is now stored under `to`; a move that cannot be made has been explained.
bool offerMove(const QString &from, const QString &to, const QString &venue);

// Offers the move for each of the venue's stored meetings whose code does not follow `trackCode`
// (after an alias was set); an empty code (no track) moves nothing.
void offerMovesForTrack(const QString &venue, const QString &trackCode);

inline const QString kMoveTitle = u"Move Meeting"_s;

} // namespace meetingmove
