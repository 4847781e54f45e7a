#include "app/keywords/KWPageKeyboard.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "app/keywords/KWGridView.h"

using Command = KWCommandTable::Command;

KWPageKeyboard::KWPageKeyboard(QWidget* page, KWGridView* grid, QMenu* contextMenu, Run run)
    : m_page(page)
    , m_grid(grid)
    , m_contextMenu(contextMenu)
    , m_run(std::move(run))
{
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    m_page->installEventFilter(this);
}

bool KWPageKeyboard::IsPageKey(const QKeyEvent* event)
{
    return KWCommandTable::ForKey(event, false).command != Command::None;
}

bool KWPageKeyboard::IsGridKey(const QKeyEvent* event)
{
    return KWCommandTable::ForKey(event, true).command != Command::None;
}

bool KWPageKeyboard::press(const QKeyEvent* event, bool grid)
{
    const KWCommandTable::Call call = KWCommandTable::ForKey(event, grid);
    if (call.command == Command::None) {
        m_down.remove(event->key());
        return false;
    }
    m_down.insert(event->key(), call);
    return true;
}

KWCommandTable::Call KWPageKeyboard::release(const QKeyEvent* event)
{
    // A held key repeats its press and release; the command runs once, when it is let go.
    if (event->isAutoRepeat())
        return {};
    return m_down.take(event->key());
}

bool KWPageKeyboard::onShow() const
{
    return m_page->isVisibleTo(m_page->window());
}

bool KWPageKeyboard::released(QKeyEvent* event)
{
    const KWCommandTable::Call call = release(event);
    if (call.command == Command::None)
        return false;
    m_run(call);
    return true;
}

bool KWPageKeyboard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid)
        return gridEvent(event);
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && m_grid->currentRow() >= 0) {
            m_contextMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (watched == m_page)
        return pageEvent(event);
    return false;
}

bool KWPageKeyboard::pageEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate: // a key let go while the window had lost the focus never comes
    case QEvent::Hide:
        clear();
        return false;
    case QEvent::ShortcutOverride:
        if (!onShow() || !IsPageKey(static_cast<QKeyEvent*>(event)))
            return false;
        event->accept();
        return true;
    case QEvent::KeyPress:
        if (!onShow() || !press(static_cast<QKeyEvent*>(event), false))
            return false;
        event->accept();
        return true;
    case QEvent::KeyRelease:
        return released(static_cast<QKeyEvent*>(event));
    default:
        return false;
    }
}

bool KWPageKeyboard::gridEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (!onShow() || !IsGridKey(static_cast<QKeyEvent*>(event)))
            return false;
        event->accept();
        return true;
    case QEvent::KeyPress:
        return onShow() && press(static_cast<QKeyEvent*>(event), true);
    case QEvent::KeyRelease:
        return released(static_cast<QKeyEvent*>(event));
    case QEvent::FocusOut:
        clear();
        return false;
    default:
        return false;
    }
}
