#include "app/keywords/KWKeys.h"

#include <QKeyEvent>

#include "app/keywords/ucKW.h"

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

bool KWKeys::IsPageKey(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = modifiersOf(event);
    const int key = event->key();
    if (mods == Qt::NoModifier)
        return key == Qt::Key_F5 || key == Qt::Key_F3;
    return mods == Qt::ControlModifier &&
           (key == Qt::Key_F || key == Qt::Key_A || isRankDigit(key));
}

bool KWKeys::IsGridKey(const QKeyEvent* event)
{
    if (IsPageKey(event) || event->key() == Qt::Key_Menu)
        return true;
    const Qt::KeyboardModifiers mods = modifiersOf(event);
    const int key = event->key();
    if (mods == Qt::NoModifier)
        return key == Qt::Key_Delete || key == Qt::Key_Insert || key == Qt::Key_F2;
    return mods == Qt::ControlModifier && key == Qt::Key_Insert;
}

bool KWKeys::RunPageKey(ucKW& page, const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = modifiersOf(event);
    const int key = event->key();
    if (mods == Qt::NoModifier && key == Qt::Key_F5)
        page.RefreshGrid();
    else if (mods == Qt::ControlModifier && key == Qt::Key_F)
        page.mnuFindKW_Click();
    else if (mods == Qt::NoModifier && key == Qt::Key_F3)
        page.mnuFindNextKW_Click();
    else if (mods == Qt::ControlModifier && key == Qt::Key_A)
        page.mnuSelectByWildCard_Click();
    else if (mods == Qt::ControlModifier && isRankDigit(key))
        page.cmdRank_Click(key - Qt::Key_0);
    else
        return false;
    return true;
}

bool KWKeys::RunGridKey(ucKW& page, const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = modifiersOf(event);
    const int key = event->key();
    if (mods == Qt::NoModifier && key == Qt::Key_Delete) {
        if (page.PageType() == 3)
            page.mnuDeleteKWs_Click();
        else
            page.cmdRank_Click(0);
    } else if (mods == Qt::NoModifier && key == Qt::Key_Insert) {
        page.cmdRank_Click(4); // the simple mode's "Take  <Ins>"
    } else if (mods == Qt::ControlModifier && key == Qt::Key_Insert) {
        page.mnuCopyKW_Click();
    } else if (mods == Qt::NoModifier && key == Qt::Key_F2) {
        page.ReorderWords();
    } else if (key == Qt::Key_Menu) {
        page.popupContextMenu();
    } else {
        return RunPageKey(page, event);
    }
    return true;
}
