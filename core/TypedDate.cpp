#include "TypedDate.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

QDate parseTypedDate(const QString &text)
{
    static const QRegularExpression form(u"^(\\d{1,2})/(\\d{1,2})/(\\d{4})$|^(\\d{2})(\\d{2})(\\d{4})$"_s);
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return {};
    const int first = match.capturedLength(1) > 0 ? 1 : 4;
    // QDate refuses a day its month does not have.
    return QDate(match.captured(first + 2).toInt(), match.captured(first + 1).toInt(), match.captured(first).toInt());
}

QString typedDateText(const QDate &date)
{
    return date.toString(u"dd/MM/yyyy"_s);
}

QString typedDateMessage(const QString &what, const QString &text)
{
    return u"%1: \"%2\" is not a date. Type it as dd/mm/yyyy, for example 30/11/2026."_s.arg(what, text.trimmed());
}
