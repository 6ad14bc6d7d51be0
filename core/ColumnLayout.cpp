#include "ColumnLayout.h"

#include <QStringList>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace layout {

QList<int> parseList(const QString &text, int columnCount)
{
    const QStringList parts = text.split(u',');
    QList<int> entries(qMax(columnCount, 0), 0);
    for (int i = 0; i < entries.size() && i < parts.size(); ++i) {
        bool ok = false;
        const double value = parts.at(i).trimmed().toDouble(&ok);
        if (ok && std::isfinite(value) && std::abs(value) < 1e6)
            entries[i] = int(std::lround(value));
    }
    return entries;
}

QString formatList(const QList<int> &entries)
{
    QStringList parts;
    for (int entry : entries)
        parts << QString::number(entry);
    return parts.join(u',');
}

std::optional<SortKey> parseSortKey(const QString &text)
{
    if (text.size() < 2)
        return std::nullopt;
    bool ok = false;
    const int column = text.left(text.size() - 1).trimmed().toInt(&ok);
    if (!ok || column < 1)
        return std::nullopt;
    return SortKey{column, text.endsWith(u'+')};
}

} // namespace layout
