#include "app/keywords/KWCommandTable.h"

#include <QKeyEvent>

namespace {

using Command = KWCommandTable::Command;

enum class Where { Nowhere, Page, Grid };

struct Entry {
    Command command;
    int index;          // a key's index; added to a menu item's
    const char* menuId; // nullptr: no main-menu item
    Where where;        // where the key runs
    int key;
    Qt::KeyboardModifiers modifiers;
    bool anyModifiers;
};

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

const Entry kTable[] = {
    {Command::Refresh, 0, nullptr, Where::Page, Qt::Key_F5, kNone, false},
    {Command::Find, 0, "CS_MENU_FIND", Where::Page, Qt::Key_F, kCtrl, false},
    {Command::FindNext, 0, "CS_MENU_FIND_NEXT", Where::Page, Qt::Key_F3, kNone, false},
    {Command::SelectByWords, 0, "CS_MENU_SELECT", Where::Page, Qt::Key_A, kCtrl, false},
    {Command::Rank, 0, nullptr, Where::Page, Qt::Key_0, kCtrl, false},
    {Command::Rank, 1, nullptr, Where::Page, Qt::Key_1, kCtrl, false},
    {Command::Rank, 2, nullptr, Where::Page, Qt::Key_2, kCtrl, false},
    {Command::Rank, 3, nullptr, Where::Page, Qt::Key_3, kCtrl, false},
    {Command::Rank, 4, nullptr, Where::Page, Qt::Key_4, kCtrl, false},
    {Command::Rank, 5, nullptr, Where::Page, Qt::Key_5, kCtrl, false},
    {Command::Rank, 4, nullptr, Where::Grid, Qt::Key_Insert, kNone, false}, // "Take  <Ins>"
    {Command::DeleteOrBan, 0, nullptr, Where::Grid, Qt::Key_Delete, kNone, false},
    {Command::Copy, 0, "CS_MENU_COPY", Where::Grid, Qt::Key_Insert, kCtrl, false},
    {Command::ReorderWords, 0, nullptr, Where::Grid, Qt::Key_F2, kNone, false},
    {Command::ContextMenu, 0, nullptr, Where::Grid, Qt::Key_Menu, kNone, true},
    {Command::Delete, 0, "CS_MENU_DELETE", Where::Nowhere, 0, kNone, false},
    {Command::ExportAll, 0, "CS_MENU_EXPORT_ALL", Where::Nowhere, 0, kNone, false},
    {Command::ExportSelected, 0, "CS_MENU_EXPORT_SELECTED", Where::Nowhere, 0, kNone, false},
    {Command::ExportTop, 0, "CS_MENU_EXPORT_TOP", Where::Nowhere, 0, kNone, false},
    {Command::CollectBySelectedKeyword, 0, "CS_MENU_COLLECT_BY_SELECTED_KEYWORD", Where::Nowhere, 0,
     kNone, false},
    // The main menu counts its engines from 0.
    {Command::OpenSER, 1, "CS_MENU_OPEN_SER_FOR_KW", Where::Nowhere, 0, kNone, false},
    {Command::OpenSERForCustomKW, 1, "CS_MENU_OPEN_SER_FOR_CUSTOM_KW", Where::Nowhere, 0, kNone,
     false},
    {Command::AddToGroup, 0, "CS_MENU_ADD_KWS_TO_GROUP", Where::Nowhere, 0, kNone, false},
    {Command::MoveToGroup, 0, "CS_MENU_MOVE_KWS_TO_GROUP", Where::Nowhere, 0, kNone, false},
};

bool runsThere(const Entry& entry, bool grid)
{
    return entry.where == Where::Page || (grid && entry.where == Where::Grid);
}

} // namespace

std::optional<KWCommandTable::Call> KWCommandTable::ForMenu(const QString& menuItemId, int index)
{
    for (const Entry& entry : kTable)
        if (entry.menuId && menuItemId == QLatin1String(entry.menuId))
            return Call{entry.command, index + entry.index};
    return std::nullopt;
}

KWCommandTable::Call KWCommandTable::ForKey(const QKeyEvent* event, bool grid)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    for (const Entry& entry : kTable)
        if (runsThere(entry, grid) && entry.key == event->key() &&
            (entry.anyModifiers || entry.modifiers == modifiers))
            return Call{entry.command, entry.index};
    return {};
}
