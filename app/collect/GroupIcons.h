#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The two 16 x 16 folder images of the group trees: "kf", a closed folder, and "kfo", an open one.
class GroupIcons {
public:
    // A null pixmap for any other key.
    static QPixmap pixmap(const QString& key);
    // A tree node's icon: the closed folder, the open one while the node is selected.
    static QIcon nodeIcon();

private:
    static QPixmap drawClosed();
    static QPixmap drawOpen();
};
