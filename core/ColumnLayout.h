#pragma once

#include <QList>
#include <QString>

#include <optional>

// The rules of the saved column layouts and sort keys, shared by every window with a grid.
namespace layout {

// "120,,80" for four columns gives {120, 0, 80, 0}: one entry per column, missing or
// unreadable entries 0, extra entries dropped, decimals rounded.
QList<int> parseList(const QString &text, int columnCount);
QString formatList(const QList<int> &entries);

struct SortKey {
    int column = 0; // 1-based, as stored
    bool ascending = true;
};
// "3+" ascending by column 3; "3-" or "3X" descending; shorter than two characters: none.
std::optional<SortKey> parseSortKey(const QString &text);

// Window placement as stored: each value applies only when greater than 0.
struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximised = false;
};

} // namespace layout
