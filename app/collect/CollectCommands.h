#pragma once

#include <functional>

#include <QString>

#include "app/collect/CollectOwner.h"
#include "app/shell/Tab.h"
#include "engine/platform/CLog.h"

namespace zentrel {
class Scripting;
}

// The main window's collection menus (and the keyword pages' Add and Collect commands, which
// reach the window by the same menu names), each run as its MMisc command.
class CollectCommands final : public CollectOwner {
public:
    CollectCommands(QWidget* window, std::function<void(Tab::Number)> refreshTab);

    // Whether the menu is a collection command.
    static bool Handles(const QString& menu);
    // Runs the menu's command; false when the menu is not a collection command.
    bool Run(const QString& menu, const zentrel::CLogPtr& log, zentrel::Scripting* scripting);

    QWidget* Window() const override { return m_window; }
    void RefreshTab(int Tabb) override { m_refreshTab(static_cast<Tab::Number>(Tabb)); }

private:
    QWidget* m_window;
    std::function<void(Tab::Number)> m_refreshTab;
};
