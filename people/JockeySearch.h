#pragma once

#include <QString>
#include <QStringList>

// The jockey picker's search on the data server: the exact spelling of a jockey's name as the
// remote form tables hold it, found by surname.
namespace jockeysearch {

// What follows the last blank of the typed name (the whole name when it has none), in capitals.
QString surnameOf(const QString &typedName);
// The remote query for the surname (quotes doubled, "&" escaped for the address).
QString searchSql(const QString &surname);
// "J SMITH" → "J Smith": the first letter of each word in capitals, the rest small.
QString properCase(const QString &name);

struct SearchResult {
    // ErrorShown: the transport has already shown the server's error.
    enum Kind { Names, ConnectionError, ErrorShown, NoneFound } kind = NoneFound;
    QStringList names; // proper case, in the server's order
};
// Asks the data server for every jockey whose name holds the surname.
SearchResult searchJockeys(const QString &typedName);
// The names of an answer: pieces at "<br>" longer than two characters, trimmed, in proper case.
SearchResult namesOfAnswer(const QString &answer);

} // namespace jockeysearch
