#pragma once

#include <functional>
#include <vector>

#include <QString>

#include "app/shell/Tab.h"

class IVXPage;
class QGridLayout;
class QWidget;

// The main window's six pages: their table (caption, tab key, collection key), the collection
// of the made pages in page order, and which one is on show. A new page is one row of the table
// and one case of the program's page factory.
class MainPages {
public:
    static constexpr int kPageCount = Tab::Downloading;

    // Makes the widget of one page; it must also be an IVXPage.
    using PageFactory = std::function<QWidget*(Tab::Number number, QWidget* parent)>;

    static QString caption(int number);
    static QString pageKey(int number);
    static QString tabKey(int number);
    // Makes the six pages into the layout's one cell; raises ZError when one cannot be made,
    // also without a factory.
    void build(const PageFactory& factory, QGridLayout* layout);
    void clear() { mcolPages.clear(); }
    bool empty() const { return mcolPages.empty(); }

    IVXPage* page(int number) const;
    // By collection key, compared without regard to case.
    IVXPage* page(const QString& key) const;
    QWidget* widget(int number) const;
    // Calls every page in page order.
    void forEach(const std::function<void(IVXPage&)>& call) const;
    // Shows the page (0: none) before hiding the others, then gives it the focus, so that no key
    // is left with a hidden page.
    void show(int number) const;

private:
    struct Page {
        QString key;
        QWidget* widget = nullptr;
        IVXPage* page = nullptr;
    };

    std::vector<Page> mcolPages;
};
