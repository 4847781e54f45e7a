#pragma once

#include <optional>

#include <QString>

class QKeyEvent;

// The keyword page's commands, and the one table that maps the main menu's item identifiers and
// the page's keys to them.
class KWCommandTable {
public:
    enum class Command {
        None,
        Refresh,
        Find,
        FindNext,
        SelectByWords,
        Rank,         // the index is the relevancy
        SetRelevancy, // an item of the "Rank Keyword(s)" menu
        Delete,
        DeleteOrBan, // the Delete key: deletes on the banned page, bans elsewhere
        Copy,
        ReorderWords,
        ContextMenu,
        AddToGroup,
        MoveToGroup,
        RemoveFromGroup,
        CollectBySelectedKeyword,
        OpenSER,            // the index is the engine, 1 to 7
        OpenSERForCustomKW, // the same
        ExportAll,
        ExportSelected,
        ExportTop, // the index is 0 to 3
        ExportWords,
    };

    struct Call {
        Command command = Command::None;
        int index = 0;
    };

    // The command of a main-menu item with its index; none for an item that is not the page's.
    static std::optional<Call> ForMenu(const QString& menuItemId, int index);
    // The command of a key that went down on the grid (grid true) or elsewhere on the page, with
    // the modifiers held; None when the key is not the page's there. The page's keys run on the
    // grid too; Shift, Alt and Ctrl combinations other than the table's are no key of the page.
    static Call ForKey(const QKeyEvent* event, bool grid);
};
