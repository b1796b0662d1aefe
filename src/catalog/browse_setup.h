#pragma once
// What a browse window is given when it is made, besides its connection and prompter.
#include <QString>

class PpMenu;

struct BrowseSetup {
    PpMenu *popupMenu = nullptr;   // the pop-up menu all grids share; none: the grid opens no menu
    bool showDetail = false;       // the detail pane at opening, where the window has that setting
    QString operatorCode;          // whose cart "放入购物车" fills
};
