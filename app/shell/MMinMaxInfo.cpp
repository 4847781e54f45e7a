#include "app/shell/MMinMaxInfo.h"

#include <QWidget>

#include "app/shell/MScreenSize.h"
#include "app/shell/WindowSizeLimits.h"

namespace {

WindowSizeLimits* hookOf(const QWidget* window)
{
    return window->findChild<WindowSizeLimits*>(QStringLiteral("MMinMaxInfo"),
                                                Qt::FindDirectChildrenOnly);
}

} // namespace

void MMinMaxInfo::Hook(QWidget* window, int minWidthTwips, int minHeightTwips)
{
    if (window == nullptr)
        return;
    Unhook(window);
    // The window owns the hook.
    new WindowSizeLimits(window, MScreenSize::twipsToPixels(minWidthTwips),
                         MScreenSize::twipsToPixels(minHeightTwips));
}

void MMinMaxInfo::Unhook(QWidget* window)
{
    if (window == nullptr)
        return;
    if (WindowSizeLimits* hook = hookOf(window)) {
        window->removeEventFilter(hook);
        delete hook;
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

bool MMinMaxInfo::isHooked(const QWidget* window)
{
    return window != nullptr && hookOf(window) != nullptr;
}

void MMinMaxInfo::HookFMain(QWidget* window)
{
    Hook(window, kFMainWidth, kFMainHeight);
}

void MMinMaxInfo::UnhookFMain(QWidget* window)
{
    Unhook(window);
}

void MMinMaxInfo::HookFImportFromCache(QWidget* window)
{
    Hook(window, kFImportFromCacheWidth, kFImportFromCacheHeight);
}

void MMinMaxInfo::UnhookFImportFromCache(QWidget* window)
{
    Unhook(window);
}

void MMinMaxInfo::HookFAddKWs(QWidget* window)
{
    Hook(window, kFAddKWsWidth, kFAddKWsHeight);
}

void MMinMaxInfo::UnhookFAddKWs(QWidget* window)
{
    Unhook(window);
}

void MMinMaxInfo::HookFMoveToGroup(QWidget* window)
{
    Hook(window, kFMoveToGroupWidth, kFMoveToGroupHeight);
}

void MMinMaxInfo::UnhookFMoveToGroup(QWidget* window)
{
    Unhook(window);
}
