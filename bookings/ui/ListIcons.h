#pragma once

#include <QIcon>

// The lists' image list, drawn by the program itself: 4 placed, 5 winner, 6 comment,
// 7 confirmed; the pop-up menus' 2 registration, 3 trainer, 8 rating, 9 form, 10 video.
// Other indexes give a null icon.
class ListIcons
{
public:
    static QIcon icon(int index);
    static constexpr int kSize = 14;
};
