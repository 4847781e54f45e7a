#include "app/shell/MScreenSize.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

const QScreen* screenOf(const QWidget* widget)
{
    if (widget != nullptr && widget->screen() != nullptr)
        return widget->screen();
    return QGuiApplication::primaryScreen();
}

int twipsPerPixel(qreal dotsPerInch)
{
    if (dotsPerInch <= 0)
        return 15;
    return static_cast<int>(std::nearbyint(1440.0 / dotsPerInch));
}

} // namespace

void MScreenSize::GetWorkArea(int& left, int& top, int& height, int& width, const QWidget* widget)
{
    const QScreen* screen = screenOf(widget);
    if (screen == nullptr) {
        left = top = height = width = 0;
        return;
    }
    const QRect area = screen->availableGeometry();
    left = area.left();
    top = area.top();
    height = area.height();
    width = area.width();
}

int MScreenSize::TwipsPerPixelX()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return twipsPerPixel(screen != nullptr ? screen->logicalDotsPerInchX() : 96.0);
}

int MScreenSize::TwipsPerPixelY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return twipsPerPixel(screen != nullptr ? screen->logicalDotsPerInchY() : 96.0);
}

int MScreenSize::twipsToPixels(int twips)
{
    return twips / TwipsPerPixelY();
}
