#include "app/shell/WindowPlacement.h"

#include <QWidget>

#include "app/shell/MScreenSize.h"
#include "app/shell/ProgramSettings.h"

namespace {

const QString kPlacement[4] = {QStringLiteral("Top"), QStringLiteral("Left"),
                               QStringLiteral("Width"), QStringLiteral("Height")};

} // namespace

void WindowPlacement::save(const QWidget& window)
{
    const bool normal = !(window.isMinimized() || window.isMaximized() || window.isFullScreen());
    const QRect placement =
        normal || window.normalGeometry().isEmpty() ? window.geometry() : window.normalGeometry();
    ProgramSettings::setWindow(QStringLiteral("Top"), MScreenSize::pixelsToTwipsY(placement.top()));
    ProgramSettings::setWindow(QStringLiteral("Left"),
                               MScreenSize::pixelsToTwipsX(placement.left()));
    ProgramSettings::setWindow(QStringLiteral("Width"),
                               MScreenSize::pixelsToTwipsX(placement.width()));
    ProgramSettings::setWindow(QStringLiteral("Height"),
                               MScreenSize::pixelsToTwipsY(placement.height()));
}

void WindowPlacement::restore(QWidget& window)
{
    QRect placement = window.geometry();
    const auto value = [](int i) { return ProgramSettings::window(kPlacement[i]).value_or(0); };
    const int top = value(0);
    const int left = value(1);
    const int width = value(2);
    const int height = value(3);
    if (top > 0)
        placement.moveTop(top / MScreenSize::TwipsPerPixelY());
    if (left > 0)
        placement.moveLeft(left / MScreenSize::TwipsPerPixelX());
    if (width > 0)
        placement.setWidth(width / MScreenSize::TwipsPerPixelX());
    if (height > 0)
        placement.setHeight(height / MScreenSize::TwipsPerPixelY());
    window.setGeometry(placement);
}
