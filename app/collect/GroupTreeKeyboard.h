#pragma once

#include <QtCore/qnamespace.h>

class QEvent;

// The group tree's key table: Delete, F2, the context-menu key, Shift+Insert and Ctrl+Insert. A
// key's command is judged when it goes down, with the modifiers held then, and runs when it
// comes up.
class GroupTreeKeyboard {
public:
    enum class Command { None, Delete, Rename, ContextMenu, NewGroup, NewRootGroup };

    // Whether the key is the table's with any modifiers (it then goes no further).
    static bool IsTreeKey(int key);
    static Command CommandOf(int key, Qt::KeyboardModifiers modifiers);

    // Takes an event of the tree: true when it is a key of the table; command is the command to
    // run now (on the release of a key that went down here), else None. The tree or its window
    // losing the focus forgets the key that is down.
    bool filter(QEvent* event, Command& command);

private:
    int m_down = 0;
    Command m_downCommand = Command::None;
};
