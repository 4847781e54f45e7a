#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// The main window as a keyword page sees it: tab refreshes, the rank mode, status-bar panel 1,
// and the commands that belong to other parts of the program (collecting, groups, browsing).
class KWOwner {
public:
    virtual ~KWOwner() = default;

    virtual void RefreshTab(int tab) = 0;
    virtual void SetRankMode(bool advanced) = 0;

    virtual QIcon Panel1Picture() const = 0;
    virtual QIcon Panel4Picture() const = 0;
    virtual void SetPanel1(const QString& text, const QIcon& picture) = 0;

    // The group picker; withRank also asks for a relevancy. False when cancelled.
    virtual bool PickGroup(QWidget* parent, const QString& caption, const QString& prompt,
                           bool withRank, int& groupId, int& relevancy) = 0;
    // "AddKeywords", "PasteKWs", "ImportFromLocalPage", "ImportFromURL", "ImportFromSite",
    // "ImportFromGoogle", "ImportFromCache".
    virtual void Collect(const QString& command) = 0;
    // Collects keywords from the search results of the keyword.
    virtual void CollectBySelectedKeyword(const QString& kw) = 0;
    // Opens search engine `engine` (1 to 7) on the keyword in the browser.
    virtual void OpenSERForKW(const QString& kw, int engine) = 0;
};
