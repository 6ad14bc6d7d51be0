#include "JockeySearch.h"

#include "db/Database.h"
#include "formdata/RemoteQuery.h"

using namespace Qt::Literals::StringLiterals;

namespace jockeysearch {

QString surnameOf(const QString &typedName)
{
    const QString name = typedName.trimmed();
    return name.mid(name.lastIndexOf(u' ') + 1).toUpper();
}

QString searchSql(const QString &surname)
{
    QString text = surname;
    return u"SELECT WJockey From WORKRACE where INSTR(WJockey,'"_s + SqlQuoteForUrl(text) + u"') Group by WJockey"_s;
}

QString properCase(const QString &name)
{
    QString result = name.toLower();
    bool wordStart = true;
    for (QChar &c : result) {
        if (wordStart && c.isLetter())
            c = c.toUpper();
        wordStart = c.isSpace();
    }
    return result;
}

SearchResult namesOfAnswer(const QString &answer)
{
    SearchResult result;
    if (answer.startsWith(u"Error:"_s)) {
        result.kind = SearchResult::ConnectionError;
        return result;
    }
    for (const QString &piece : answer.split(u"<br>"_s)) {
        const QString name = piece.trimmed();
        if (name.size() > 2)
            result.names << properCase(name);
    }
    result.kind = result.names.isEmpty() ? SearchResult::NoneFound : SearchResult::Names;
    return result;
}

SearchResult searchJockeys(const QString &typedName)
{
    bool errorPageShown = false;
    const QString answer = DataServerRequest(searchSql(surnameOf(typedName)), &errorPageShown);
    if (errorPageShown)
        return {SearchResult::ErrorShown, {}};
    return namesOfAnswer(answer);
}

} // namespace jockeysearch
