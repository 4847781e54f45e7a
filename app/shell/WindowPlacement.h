#pragma once

class QWidget;

// The main window's place and size in the settings: the client geometry of the normal window,
// in twips, one measure both ways.
class WindowPlacement {
public:
    static void save(const QWidget& window);
    // Applies each stored value above zero; the others stay as the desktop put them.
    static void restore(QWidget& window);
};
