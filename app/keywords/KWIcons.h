#pragma once

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The 36 row icons of 16 x 16 pixels, keyed "A0" ... "E5" and "Z0" ... "Z5": bars for the searches
// class (a question mark when unknown) in the colour of the relevancy.
class KWIcons {
public:
    KWIcons();

    static QStringList Keys();
    QIcon icon(const QString& key) const; // null icon for an unknown or empty key
    QPixmap pixmap(const QString& key) const;

private:
    static QPixmap draw(QChar searchesClass, int relevancy);

    QHash<QString, QIcon> m_icons;
};
