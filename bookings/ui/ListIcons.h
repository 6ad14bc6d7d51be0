#pragma once

#include <QIcon>

// The lists' image list, drawn by the program itself: 4 placed, 5 winner, 6 comment,
// 7 confirmed. Other indexes give a null icon.
class ListIcons
{
public:
    static QIcon icon(int index);
    static constexpr int kSize = 14;
};
