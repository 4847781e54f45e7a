#pragma once

#include <functional>

#include <QHash>
#include <QKeySequence>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QObject;

// The main window's menu bar. Every item is a QAction named as the menu ("mnuCopy"); the items
// of a menu array carry their index in the name ("mnuExportTop_2").
class MainMenus {
public:
    // Builds the menus into the window's menu bar.
    void build(QMainWindow* window);

    QAction* action(const QString& name) const { return m_actions.value(name); }
    QMenu* menu(const QString& name) const { return m_menus.value(name); }
    const QHash<QString, QAction*>& actions() const { return m_actions; }

    // Every item that sends a command identifier to a page calls `dispatch` with the identifier
    // and the item's index; every item of the collection, import and feedback parts calls
    // `run` with its name.
    void connectPageCommands(QObject* context,
                             const std::function<void(const QString& id, int index)>& dispatch);
    void connectOtherCommands(QObject* context, const std::function<void(const QString&)>& run);
    // Enables the keyword-page and group-page items for the page on show (1 to 6, 0 none).
    void enableForPage(int page);
    // Names the items of the two search-engine arrays.
    void FillSearchEngineMenus();

    static QString arrayName(const QString& name, int index);
    static const QStringList& searchEngineNames();
    // The items enabled only on a keyword page, and only on the groups page.
    static QStringList keywordPageItems();
    static QStringList groupPageItems();

private:
    QAction* add(QMenu* menu, const QString& name, const QString& caption,
                 const QKeySequence& shortcut = {});
    QMenu* addMenu(QMenu* parent, const QString& name, const QString& caption);
    void buildFile(QMainWindow* window);
    void buildEdit(QMainWindow* window);
    void buildView(QMainWindow* window);
    void buildCollect(QMainWindow* window);
    void buildGroups(QMainWindow* window);
    void buildTools(QMainWindow* window);
    void buildHelp(QMainWindow* window);

    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
};
