#include "app/shell/DrawnIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {

void drawMark(QPainter& painter, const QRectF& area, const QColor& color)
{
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qMax(6, static_cast<int>(area.height() * 0.8)));
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("!"));
}

QPixmap transparent(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap DrawnIcons::warningPicture(int size)
{
    QPixmap pixmap = transparent(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath triangle;
    triangle.moveTo(s / 2, 1);
    triangle.lineTo(s - 1, s - 1);
    triangle.lineTo(1, s - 1);
    triangle.closeSubpath();
    painter.setPen(QPen(QColor(120, 90, 0), 1));
    painter.setBrush(QColor(255, 204, 0));
    painter.drawPath(triangle);
    drawMark(painter, QRectF(0, s * 0.25, s, s * 0.7), Qt::black);
    return pixmap;
}

QPixmap DrawnIcons::attentionPicture(int size)
{
    QPixmap pixmap = transparent(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(150, 60, 0), 1));
    painter.setBrush(QColor(255, 140, 0));
    painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    drawMark(painter, QRectF(0, 0, size, size), Qt::white);
    return pixmap;
}

QIcon DrawnIcons::attentionIcon()
{
    return QIcon(attentionPicture());
}

QPixmap DrawnIcons::productPicture(int size)
{
    QPixmap pixmap = transparent(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 90, 170));
    painter.drawRoundedRect(QRectF(0, 0, s, s), s / 6, s / 6);
    painter.setPen(QPen(Qt::white, s / 10, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(s * 0.2, s * 0.2, s * 0.45, s * 0.45));
    painter.drawLine(QPointF(s * 0.58, s * 0.58), QPointF(s * 0.8, s * 0.8));
    return pixmap;
}
