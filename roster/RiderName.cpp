#include "RiderName.h"

#include "core/TextRules.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

QString plainRiderName(const QString &fieldRider)
{
    QString name = nameBeforeBracket(fieldRider).simplified();

    static const QStringList titles = {u"Ms"_s, u"Miss"_s, u"Mrs"_s, u"Mr"_s, u"Mx"_s, u"Dr"_s, u"Sir"_s, u"Master"_s};
    const qsizetype blank = name.indexOf(u' ');
    if (blank > 0) {
        QString first = name.left(blank);
        if (first.endsWith(u'.'))
            first.chop(1);
        // Only a title followed by a name: "Ms" alone could be somebody's initials.
        if (titles.contains(first, Qt::CaseInsensitive))
            name = name.mid(blank + 1);
    }
    return name;
}

bool sameRider(const QString &a, const QString &b)
{
    const QString plain = plainRiderName(a);
    return !plain.isEmpty() && plain.compare(plainRiderName(b), Qt::CaseInsensitive) == 0;
}
