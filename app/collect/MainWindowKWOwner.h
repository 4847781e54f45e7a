#pragma once

#include "app/collect/GroupPickMemory.h"
#include "app/keywords/KWOwner.h"

class FMain;

// The main window as the keyword pages see it, with the group picking and the search-result
// commands the collection part gives them.
class MainWindowKWOwner final : public KWOwner {
public:
    explicit MainWindowKWOwner(FMain* window)
        : m_window(window)
    {
    }

    void RefreshTab(int tab) override;
    void SetRankMode(bool advanced) override;
    QIcon Panel1Picture() const override;
    QIcon Panel4Picture() const override;
    void SetPanel1(const QString& text, const QIcon& picture) override;
    bool PickGroup(QWidget* parent, const QString& caption, const QString& prompt, bool withRank,
                   int& groupId, int& relevancy) override;
    void Collect(const QString& command) override;
    void CollectBySelectedKeyword(const QString& kw) override;
    void OpenSERForKW(const QString& kw, int engine) override;

    // The group and rank the group pickers remember while the program runs.
    GroupPickMemory& groupPicks() { return m_groupPicks; }

    // The menu that runs a collection command of the pages.
    static QString menuOf(const QString& command);

private:
    FMain* m_window;
    GroupPickMemory m_groupPicks;
};
