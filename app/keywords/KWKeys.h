#pragma once

#include <QHash>

class QKeyEvent;

// The keyword page's key table: keys of the page (anywhere on it) and of its grid. A key's
// command is judged when the key goes down, with the modifiers held then, and runs when it comes
// up, so Ctrl let go before the digit still ranks. Shift, Alt and Ctrl combinations other than the
// table's do nothing.
class KWKeys {
public:
    enum class Command {
        None,
        Refresh,
        Find,
        FindNext,
        SelectByWords,
        Rank0,
        Rank1,
        Rank2,
        Rank3,
        Rank4,
        Rank5,
        Delete, // deletes on the banned page, bans elsewhere
        Copy,
        ReorderWords,
        ContextMenu,
    };

    // Keys the page runs wherever its focus is.
    static bool IsPageKey(const QKeyEvent* event);
    // Keys the grid runs (its own and the page's).
    static bool IsGridKey(const QKeyEvent* event);
    static Command PageCommand(const QKeyEvent* event);
    static Command GridCommand(const QKeyEvent* event);
    // The relevancy of a rank command; -1 for other commands.
    static int RankOf(Command command);

    // A key went down on the grid (grid true) or elsewhere on the page; true when the key is the
    // page's, so that nothing else acts on it. A key that is not the page's drops what an earlier
    // press of it left.
    bool press(const QKeyEvent* event, bool grid);
    // A key came up: the command judged when it went down, None when it did not go down here.
    Command release(const QKeyEvent* event);
    // Forgets the keys that are down: the page was hidden, or the grid or the window lost the
    // focus, so their releases may never come.
    void clear() { m_down.clear(); }

private:
    QHash<int, Command> m_down;
};
