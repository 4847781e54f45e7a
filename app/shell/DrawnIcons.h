#pragma once

#include <QIcon>
#include <QPixmap>

// Pictures the program draws itself.
class DrawnIcons {
public:
    // The warning picture of status-bar panel 3: a yellow triangle with "!".
    static QPixmap warningPicture(int size = 16);
    // The attention icon the candidates page shows in panel 1: an orange disc with "!".
    static QPixmap attentionPicture(int size = 16);
    static QIcon attentionIcon();
    // The product picture of the About box and the splash form.
    static QPixmap productPicture(int size = 64);
};
