#include "app/collect/GroupTreeKeyboard.h"

#include <QKeyEvent>

bool GroupTreeKeyboard::IsTreeKey(int key)
{
    return key == Qt::Key_Delete || key == Qt::Key_F2 || key == Qt::Key_Menu ||
           key == Qt::Key_Insert;
}

GroupTreeKeyboard::Command GroupTreeKeyboard::CommandOf(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    switch (key) {
    case Qt::Key_Delete:
        return Command::Delete;
    case Qt::Key_F2:
        return Command::Rename;
    case Qt::Key_Menu:
        return Command::ContextMenu;
    case Qt::Key_Insert:
        if (modifiers == Qt::ShiftModifier)
            return Command::NewGroup;
        if (modifiers == Qt::ControlModifier)
            return Command::NewRootGroup;
        return Command::None;
    default:
        return Command::None;
    }
}

bool GroupTreeKeyboard::filter(QEvent* event, Command& command)
{
    command = Command::None;
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusOut || type == QEvent::WindowDeactivate) {
        // The key's release may never come.
        m_down = 0;
        m_downCommand = Command::None;
        return false;
    }
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!IsTreeKey(key->key()))
        return false;
    if (type == QEvent::ShortcutOverride) {
        // The tree's keys win over the main window's menu shortcuts.
        event->accept();
    } else if (type == QEvent::KeyPress) {
        m_down = key->key();
        m_downCommand = CommandOf(key->key(), key->modifiers());
    } else if (!key->isAutoRepeat() && key->key() == m_down) {
        command = m_downCommand;
        m_down = 0;
        m_downCommand = Command::None;
    }
    return true;
}
