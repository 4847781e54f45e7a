#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QList>
#include <QPointer>
#include <QString>

#include "app/keywords/KWPageType.h"
#include "app/keywords/KWStore.h"
#include "app/shell/Tab.h"

class KWGridModel;
class KWIcons;
class KWPattern;
class KWOwner;
class KWServices;
class QWidget;

// The keyword page's commands over the store, the grid's rows and the selected keyword ids,
// without the page's widgets: ranking, deleting, respelling, the group commands (each with the
// refreshes of the main window's tabs that follow it), find and select, and the exports. `parent`
// is only handed on to the boxes and dialogs they show.
class KWPageCommands {
public:
    explicit KWPageCommands(const KWGridModel* rows)
        : m_rows(rows)
    {
    }

    void init(KWStore* store, KWServices* services, KWOwner* owner);
    void setPageType(KWPageType type) { m_pageType = type; }
    void setGroupId(int groupId) { m_groupId = groupId; }
    // How the page's own grid is refreshed where a command does it itself.
    void setRefreshPage(std::function<void()> refresh) { m_refreshPage = std::move(refresh); }
    bool ready() const { return m_store != nullptr; }

    // The page's keywords from the store, at most rowCap (on the kept-keywords page without the
    // grouped ones when excludeGrouped); none for a number that is no page type.
    KWRecords Fetch(int rowCap, bool excludeGrouped) const;

    // Gives the keywords the relevancy (0 bans) and refreshes the tabs it touches; the first
    // move out of the candidates shows the one-time message. No keyword: nothing at all.
    void Rank(const QList<int>& ids, int relevancy, QWidget* parent);
    // Asks, then deletes; false when nothing was deleted.
    bool Delete(const QList<int>& ids);
    // The new order of a keyword's words: two words are swapped at once, three or more are
    // ordered in a dialog. None for one word or a cancelled dialog.
    std::optional<QString> AskNewOrder(const QString& kw, const KWIcons* icons,
                                       const QString& iconKey, QWidget* parent);
    // Stores the new spelling of a keyword (found by its words in any order).
    bool Respell(const QString& newText);
    // The two words of a two-word keyword the other way round; empty for other keywords.
    static QString SwappedWords(const QString& kw);
    // The group commands; false when the user cancelled. On the candidates and banned pages
    // Put To Group needs a rank with the group.
    bool AddToGroup(const QList<int>& ids, QWidget* parent);
    bool MoveToGroup(const QList<int>& ids, QWidget* parent);
    bool RemoveFromGroup(const QList<int>& ids);

    // Find, Find Next (from the first selected row) and Select by words ask for what to look for
    // and give the rows to select: none (nullopt) leaves the selection alone; -1 or an empty
    // list only clears it.
    std::optional<int> Find();
    std::optional<int> FindNext(const QList<int>& selectedRows);
    std::optional<QList<int>> SelectByWords();

    // The exports: every keyword of the page from the store, the given grid rows, the first 10,
    // 20, 50 or 100 rows (index 0 to 3), and the words of the rows weighted by score.
    void ExportAll(QWidget* parent);
    void ExportRows(const QList<int>& rows, QWidget* parent);
    void ExportTop(int index, QWidget* parent);
    void ExportWords();

private:
    template <class Dialog>
    std::optional<QString> askOrder(const QString& kw, const KWIcons* icons, const QString& iconKey,
                                    QWidget* parent);
    void refreshTab(Tab::Number tab) const;
    void showMovedMessage(QWidget* parent);
    bool compilePattern(const QString& pattern, std::vector<KWPattern>& out, const QString& source);

    const KWGridModel* m_rows;
    QPointer<KWStore> m_store;
    KWServices* m_services = nullptr;
    KWOwner* m_owner = nullptr;
    KWPageType m_pageType = KWPageType::Banned;
    int m_groupId = 0;
    QString m_findPattern;
    std::function<void()> m_refreshPage;
    bool m_noMovedMessage = false; // the one-time message is not shown again this run
};
