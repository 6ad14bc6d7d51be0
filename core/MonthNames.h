#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

// Month names as the racing sites and this program write them, read and written from one fixed
// table: a locale's short names differ ("June", "July", "Sept" in Australian English) and would
// make a quarter of the year unreadable.
namespace monthnames {

inline constexpr const char *kFullNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                               "July",    "August",   "September", "October", "November", "December"};

// "Jan" … "Dec".
inline QString abbreviation(int month)
{
    return month >= 1 && month <= 12 ? QString::fromLatin1(kFullNames[month - 1], 3) : QString();
}

// 1–12 for a month's abbreviation or any longer start of its name, in any case ("Jun", "JUNE",
// "Sept", "September"); 0 for anything else.
inline int monthNumber(QStringView text)
{
    const QStringView name = text.trimmed();
    if (name.size() < 3)
        return 0;
    for (int month = 1; month <= 12; ++month) {
        if (QLatin1StringView(kFullNames[month - 1]).startsWith(name, Qt::CaseInsensitive))
            return month;
    }
    return 0;
}

// "2008Dec25", the form the lists show a meeting's date in.
inline QString compactDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QString::number(date.year()).rightJustified(4, u'0') + abbreviation(date.month()) +
           QString::number(date.day()).rightJustified(2, u'0');
}

} // namespace monthnames
