#pragma once

class QWidget;

// The main window as the collection commands see it: the owner of their dialogs and the pages
// they refresh after storing keywords.
class CollectOwner {
public:
    virtual ~CollectOwner() = default;

    virtual QWidget* Window() const = 0;
    virtual void RefreshTab(int Tabb) = 0;
};
