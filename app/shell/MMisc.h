#pragma once

#include <memory>

#include <QString>

class QTreeWidget;
class QTreeWidgetItem;
class CollectOwner;

namespace zentrel {
class CDataNodes;
class CLog;
class Scripting;
} // namespace zentrel

// Helpers shared by the program's pages and dialogs.
class MMisc {
public:
    // A message box; an empty title gives the product name. Returns the button code.
    static int ShowMsg(const QString& prompt, int buttons = 0, const QString& title = {});
    // An input box; returns what was typed, empty on Cancel.
    static QString AskInput(const QString& prompt, const QString& title = {},
                            const QString& defaultText = {});
    // The clipboard's text as one keyword per line; empty when it holds no text.
    static QString GetClipboardKWs();
    // Free text as one keyword per line (CR LF between lines).
    static QString NormalizeKWList(const QString& text);
    // The page number of a tab key, 0 for a key that is not one.
    static int PageIndexFromKey(const QString& key);
    // The row icon key of a keyword: "Z" or "A" to "E" by searches, then the relevancy 1-5 or 0
    // (defined with the keyword page, app/keywords/ScoreCode.cpp).
    static QString ScoreCode(int searches, int relevancy);
    // "+", CR, LF and backslash escaped for a URL (defined in app/collect/MMiscSearch.cpp).
    static QString EscapeURLPart(const QString& text);
    // Opens search engine se's (1 to 7) result page for kw in the browser; errors go to the log.
    static void OpenSERForKW(const QString& kw, int se, const std::shared_ptr<zentrel::CLog>& log);
    // Adds the engine's group records under ParentNode (the top level when null), leaving out
    // the group HiddenGroupId with its subtree (defined in app/collect/MMiscGroups.cpp).
    static void FillGroupTree(QTreeWidgetItem* ParentNode, const zentrel::CDataNodes& Groups,
                              QTreeWidget& Tree, bool Expand, bool ShowCount, int HiddenGroupId);

    // The collection commands (app/collect/): each runs under one handler that logs any error.
    static void PasteKWs(CollectOwner& OwnerForm, const std::shared_ptr<zentrel::CLog>& Log,
                         zentrel::Scripting& Scripting);
    static void AddKeywords(const std::shared_ptr<zentrel::CLog>& Log,
                            zentrel::Scripting& Scripting, CollectOwner& OwnerForm);
    static void ImportKWs(const std::shared_ptr<zentrel::CLog>& Log, zentrel::Scripting& Scripting,
                          CollectOwner& OwnerForm);
    static void ImportFromLocalPage(CollectOwner& OwnerForm,
                                    const std::shared_ptr<zentrel::CLog>& Log,
                                    zentrel::Scripting& Scripting);
    static void ImportFromURL(const std::shared_ptr<zentrel::CLog>& Log,
                              zentrel::Scripting& Scripting);
    static void ImportFromSite(const std::shared_ptr<zentrel::CLog>& Log,
                               zentrel::Scripting& Scripting);
    static void ImportFromGoogle(const std::shared_ptr<zentrel::CLog>& Log,
                                 zentrel::Scripting& Scripting);
    static void ImportFromCache(const std::shared_ptr<zentrel::CLog>& Log,
                                zentrel::Scripting& Scripting, CollectOwner& OwnerForm);
};
