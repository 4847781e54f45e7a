#include "app/keywords/KWIcons.h"

#include <array>

#include <QColor>
#include <QFont>
#include <QPainter>

namespace {

constexpr int kSize = 16;

QColor relevancyColour(int relevancy)
{
    static const std::array<QColor, 6> colours{QColor(0x8a, 0x8a, 0x8a), QColor(0x5b, 0x7f, 0xc4),
                                               QColor(0x2e, 0x9c, 0xa6), QColor(0x3c, 0xa0, 0x3c),
                                               QColor(0xe0, 0x9a, 0x00), QColor(0xd8, 0x40, 0x20)};
    return colours[static_cast<std::size_t>(relevancy)];
}

} // namespace

KWIcons::KWIcons()
{
    for (const QString& key : Keys())
        m_icons.insert(key, QIcon(draw(key.at(0), key.at(1).digitValue())));
}

QStringList KWIcons::Keys()
{
    QStringList keys;
    for (int digit = 0; digit <= 5; ++digit)
        for (const char letter : {'A', 'B', 'C', 'D', 'E'})
            keys << QString(QLatin1Char(letter)) + QString::number(digit);
    for (int digit = 0; digit <= 5; ++digit)
        keys << QStringLiteral("Z") + QString::number(digit);
    return keys;
}

QIcon KWIcons::icon(const QString& key) const
{
    return m_icons.value(key);
}

QPixmap KWIcons::pixmap(const QString& key) const
{
    const auto it = m_icons.constFind(key);
    return it == m_icons.cend() ? QPixmap() : it->pixmap(kSize, kSize);
}

QPixmap KWIcons::draw(QChar searchesClass, int relevancy)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QColor colour = relevancyColour(relevancy);
    if (searchesClass == QLatin1Char('Z')) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(colour.darker(130), 1));
        painter.setBrush(colour.lighter(170));
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        QFont font = painter.font();
        font.setPixelSize(11);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(colour.darker(160));
        painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("?"));
        return pixmap;
    }
    const int filled = searchesClass.unicode() - u'A' + 1; // 1 for "A" ... 5 for "E"
    for (int bar = 0; bar < 5; ++bar) {
        const int height = 3 + bar * 3;
        const QRect rect(1 + bar * 3, kSize - 1 - height, 2, height);
        painter.fillRect(rect, bar < filled ? colour : QColor(0xd6, 0xd6, 0xd6));
    }
    return pixmap;
}
