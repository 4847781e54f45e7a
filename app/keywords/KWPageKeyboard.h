#pragma once

#include <functional>

#include <QHash>
#include <QObject>

#include "app/keywords/KWCommandTable.h"

class KWGridView;
class QKeyEvent;
class QMenu;
class QWidget;

// The keyword page's keys and the grid's right click. A key's command is judged when the key goes
// down, with the modifiers held then, and runs when it comes up, so Ctrl let go before the digit
// still ranks. The page's keys win over the main window's menu shortcuts wherever the focus is on
// the page, the grid's where it is on the grid; a page its window hides takes no keys.
class KWPageKeyboard final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KWPageKeyboard)

public:
    using Run = std::function<void(KWCommandTable::Call)>;

    // Watches the page and its grid and hands their commands to `run`; a right click on the grid
    // with a current row pops `contextMenu` up.
    KWPageKeyboard(QWidget* page, KWGridView* grid, QMenu* contextMenu, Run run);

    // Keys the page runs wherever its focus is.
    static bool IsPageKey(const QKeyEvent* event);
    // Keys the grid runs (its own and the page's).
    static bool IsGridKey(const QKeyEvent* event);

    // A key went down on the grid (grid true) or elsewhere on the page; true when the key is the
    // page's, so that nothing else acts on it. A key that is not the page's drops what an earlier
    // press of it left.
    bool press(const QKeyEvent* event, bool grid);
    // A key came up: the command judged when it went down, None when it did not go down here.
    KWCommandTable::Call release(const QKeyEvent* event);
    // Forgets the keys that are down: the page was hidden, or the grid or the window lost the
    // focus, so their releases may never come.
    void clear() { m_down.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool pageEvent(QEvent* event);
    bool gridEvent(QEvent* event);
    bool released(QKeyEvent* event);
    bool onShow() const;

    QWidget* m_page;
    KWGridView* m_grid;
    QMenu* m_contextMenu;
    Run m_run;
    QHash<int, KWCommandTable::Call> m_down;
};
