#include "app/collect/GroupIcons.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSize = 16;
const QColor kEdge(0x9a, 0x74, 0x10);
const QColor kBack(0xe8, 0xb8, 0x30);
const QColor kFront(0xf8, 0xd8, 0x68);

// The folder's back with its tab.
void drawBack(QPainter& painter)
{
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.0, 3.5);
    back.lineTo(7.5, 5.0);
    back.lineTo(14.5, 5.0);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    painter.setPen(QPen(kEdge, 1));
    painter.setBrush(kBack);
    painter.drawPath(back);
}

// The folder's back, then its front drawn by drawFront.
template <class F> QPixmap folder(F drawFront)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawBack(painter);
    drawFront(painter);
    return pixmap;
}

} // namespace

QPixmap GroupIcons::pixmap(const QString& key)
{
    if (key == u"kf")
        return drawClosed();
    if (key == u"kfo")
        return drawOpen();
    return {};
}

QIcon GroupIcons::nodeIcon()
{
    QIcon icon(drawClosed());
    icon.addPixmap(drawOpen(), QIcon::Selected);
    return icon;
}

QPixmap GroupIcons::drawClosed()
{
    return folder([](QPainter& painter) {
        painter.setPen(QPen(kEdge, 1));
        painter.setBrush(kFront);
        painter.drawRect(QRectF(1.5, 6.5, 13.0, 7.0));
    });
}

QPixmap GroupIcons::drawOpen()
{
    return folder([](QPainter& painter) {
        // A sheet of paper inside, then the front flap tilted open.
        painter.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(3.5, 4.5, 9.0, 6.0));
        QPainterPath front;
        front.moveTo(3.5, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13.0, 13.5);
        front.lineTo(1.5, 13.5);
        front.closeSubpath();
        painter.setPen(QPen(kEdge, 1));
        painter.setBrush(kFront);
        painter.drawPath(front);
    });
}
