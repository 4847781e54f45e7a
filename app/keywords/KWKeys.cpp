#include "app/keywords/KWKeys.h"

#include <QKeyEvent>

namespace {

Qt::KeyboardModifiers modifiersOf(const QKeyEvent* event)
{
    return event->modifiers() & ~Qt::KeypadModifier;
}

bool isRankDigit(int key)
{
    return key >= Qt::Key_0 && key <= Qt::Key_5;
}

} // namespace

KWKeys::Command KWKeys::PageCommand(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = modifiersOf(event);
    const int key = event->key();
    if (mods == Qt::NoModifier && key == Qt::Key_F5)
        return Command::Refresh;
    if (mods == Qt::NoModifier && key == Qt::Key_F3)
        return Command::FindNext;
    if (mods != Qt::ControlModifier)
        return Command::None;
    if (key == Qt::Key_F)
        return Command::Find;
    if (key == Qt::Key_A)
        return Command::SelectByWords;
    if (isRankDigit(key))
        return static_cast<Command>(static_cast<int>(Command::Rank0) + key - Qt::Key_0);
    return Command::None;
}

KWKeys::Command KWKeys::GridCommand(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = modifiersOf(event);
    const int key = event->key();
    if (key == Qt::Key_Menu)
        return Command::ContextMenu;
    if (mods == Qt::NoModifier && key == Qt::Key_Delete)
        return Command::Delete;
    if (mods == Qt::NoModifier && key == Qt::Key_Insert)
        return Command::Rank4; // the simple mode's "Take  <Ins>"
    if (mods == Qt::ControlModifier && key == Qt::Key_Insert)
        return Command::Copy;
    if (mods == Qt::NoModifier && key == Qt::Key_F2)
        return Command::ReorderWords;
    return PageCommand(event);
}

bool KWKeys::IsPageKey(const QKeyEvent* event)
{
    return PageCommand(event) != Command::None;
}

bool KWKeys::IsGridKey(const QKeyEvent* event)
{
    return GridCommand(event) != Command::None;
}

int KWKeys::RankOf(Command command)
{
    const int rank = static_cast<int>(command) - static_cast<int>(Command::Rank0);
    return rank >= 0 && rank <= 5 ? rank : -1;
}

bool KWKeys::press(const QKeyEvent* event, bool grid)
{
    const Command command = grid ? GridCommand(event) : PageCommand(event);
    if (command == Command::None) {
        m_down.remove(event->key());
        return false;
    }
    m_down.insert(event->key(), command);
    return true;
}

KWKeys::Command KWKeys::release(const QKeyEvent* event)
{
    // A held key repeats its press and release; the command runs once, when it is let go.
    if (event->isAutoRepeat())
        return Command::None;
    return m_down.take(event->key());
}
