#pragma once

class QWidget;

// Gives a resizable window its minimum size and limits its maximum size to the usable screen
// area, kept up to date while the window is hooked.
class MMinMaxInfo {
public:
    // Minimum sizes in twips.
    static constexpr int kFMainWidth = 6540;
    static constexpr int kFMainHeight = 7065;
    static constexpr int kFImportFromCacheWidth = 9500;
    static constexpr int kFImportFromCacheHeight = 4500;
    static constexpr int kFAddKWsWidth = 5175;
    static constexpr int kFAddKWsHeight = 4605;
    static constexpr int kFMoveToGroupWidth = 4965;
    static constexpr int kFMoveToGroupHeight = 4605;

    static void HookFMain(QWidget* window);
    static void UnhookFMain(QWidget* window);
    static void HookFImportFromCache(QWidget* window);
    static void UnhookFImportFromCache(QWidget* window);
    static void HookFAddKWs(QWidget* window);
    static void UnhookFAddKWs(QWidget* window);
    static void HookFMoveToGroup(QWidget* window);
    static void UnhookFMoveToGroup(QWidget* window);

    // Minimum size from twips (both divided by the vertical twips per pixel), maximum size the
    // work area, following the window to other screens until Unhook.
    static void Hook(QWidget* window, int minWidthTwips, int minHeightTwips);
    static void Unhook(QWidget* window);
    static bool isHooked(const QWidget* window);
};
