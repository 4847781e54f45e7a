#include "app/shell/FSplash.h"

#include <QPainter>

#include "app/shell/MIcons.h"

namespace {

QPixmap splashPicture()
{
    QPixmap pixmap(360, 160);
    pixmap.fill(QColor(30, 90, 170));
    QPainter painter(&pixmap);
    painter.drawPixmap(24, 48, MIcons::productPicture(64));
    QFont font = painter.font();
    font.setPixelSize(26);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(104, 40, 240, 80), Qt::AlignVCenter,
                     QStringLiteral("Quintara Keywords"));
    return pixmap;
}

} // namespace

FSplash::FSplash()
    : QSplashScreen(splashPicture())
{
}
