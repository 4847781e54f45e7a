#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QKeyEvent>

#include "app/collect/GroupTreeKeyboard.h"

using Command = GroupTreeKeyboard::Command;

TEST(GroupTreeKeyboard, TableByKeyAndModifiers)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        Command command;
    };
    const Case cases[] = {
        {Qt::Key_Delete, Qt::NoModifier, Command::Delete},
        {Qt::Key_Delete, Qt::ShiftModifier, Command::Delete},
        {Qt::Key_F2, Qt::ControlModifier, Command::Rename},
        {Qt::Key_Menu, Qt::NoModifier, Command::ContextMenu},
        {Qt::Key_Insert, Qt::ShiftModifier, Command::NewGroup},
        {Qt::Key_Insert, Qt::ControlModifier, Command::NewRootGroup},
        {Qt::Key_Insert, Qt::ControlModifier | Qt::KeypadModifier, Command::NewRootGroup},
        {Qt::Key_Insert, Qt::NoModifier, Command::None},
        {Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier, Command::None},
        {Qt::Key_Insert, Qt::AltModifier, Command::None},
        {Qt::Key_F3, Qt::NoModifier, Command::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GroupTreeKeyboard::CommandOf(c.key, c.modifiers), c.command)
            << c.key << ' ' << c.modifiers.toInt();
}

TEST(GroupTreeKeyboard, JudgedWhenDownRunWhenUp)
{
    GroupTreeKeyboard keys;
    Command command = Command::Delete;
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    EXPECT_FALSE(keys.filter(&other, command));
    EXPECT_EQ(command, Command::None);

    QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_Delete, Qt::NoModifier);
    shortcut.ignore();
    EXPECT_TRUE(keys.filter(&shortcut, command));
    EXPECT_TRUE(shortcut.isAccepted());

    // Ctrl let go before Insert still makes a top-level group.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_TRUE(keys.filter(&down, command));
    EXPECT_EQ(command, Command::None);
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Insert, Qt::NoModifier, QString(), true);
    EXPECT_TRUE(keys.filter(&repeat, command));
    EXPECT_EQ(command, Command::None);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Insert, Qt::NoModifier);
    EXPECT_TRUE(keys.filter(&up, command));
    EXPECT_EQ(command, Command::NewRootGroup);
    // A release without its press runs nothing.
    EXPECT_TRUE(keys.filter(&up, command));
    EXPECT_EQ(command, Command::None);
}

TEST(GroupTreeKeyboard, TheFocusGoneForgetsTheKeyThatIsDown)
{
    for (const QEvent::Type gone : {QEvent::FocusOut, QEvent::WindowDeactivate}) {
        GroupTreeKeyboard keys;
        Command command = Command::None;
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        EXPECT_TRUE(keys.filter(&down, command));
        QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QEvent deactivate(QEvent::WindowDeactivate);
        EXPECT_FALSE(keys.filter(gone == QEvent::FocusOut ? &focusOut : &deactivate, command));
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
        EXPECT_TRUE(keys.filter(&up, command));
        EXPECT_EQ(command, Command::None) << gone;
    }
}
