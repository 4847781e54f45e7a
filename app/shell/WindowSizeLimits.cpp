#include "app/shell/WindowSizeLimits.h"

#include <QEvent>
#include <QWidget>

#include "app/shell/MScreenSize.h"

WindowSizeLimits::WindowSizeLimits(QWidget* window, int minWidth, int minHeight)
    : QObject(window)
    , m_window(window)
    , m_minWidth(minWidth)
    , m_minHeight(minHeight)
{
    setObjectName(QStringLiteral("MMinMaxInfo"));
    window->installEventFilter(this);
    apply();
}

void WindowSizeLimits::apply()
{
    int left = 0;
    int top = 0;
    int height = 0;
    int width = 0;
    MScreenSize::GetWorkArea(left, top, height, width, m_window);
    m_window->setMinimumSize(m_minWidth, m_minHeight);
    if (width > 0 && height > 0)
        m_window->setMaximumSize(qMax(width, m_minWidth), qMax(height, m_minHeight));
}

bool WindowSizeLimits::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window &&
        (event->type() == QEvent::Show || event->type() == QEvent::ScreenChangeInternal))
        apply();
    return QObject::eventFilter(watched, event);
}
