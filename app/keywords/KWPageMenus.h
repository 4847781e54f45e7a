#pragma once

#include <functional>

#include <QString>

#include "app/keywords/KWCommandTable.h"

class QAction;
class QMenu;

// The keyword page's menus: the grid's context menu and the "Collect" button's menu. Their items
// hand the page's commands to `run`, and the program's collection commands to `collect`.
class KWPageMenus {
public:
    using Run = std::function<void(KWCommandTable::Call)>;
    using Collect = std::function<void(const QString& command)>;

    struct GroupItems {
        QAction* moveToGroup = nullptr;
        QAction* removeFromGroup = nullptr;
    };

    static GroupItems BuildContextMenu(QMenu* menu, const Run& run);
    static void BuildCollectMenu(QMenu* menu, const Run& run, const Collect& collect);
};
