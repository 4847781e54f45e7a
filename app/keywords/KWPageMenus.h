#pragma once

class QAction;
class QMenu;
class ucKW;

// The keyword page's menus: the grid's context menu and the "Collect" button's menu.
class KWPageMenus {
public:
    struct GroupItems {
        QAction* moveToGroup = nullptr;
        QAction* removeFromGroup = nullptr;
    };

    static GroupItems BuildContextMenu(ucKW& page, QMenu* menu);
    static void BuildCollectMenu(ucKW& page, QMenu* menu);
};
