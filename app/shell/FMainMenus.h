#pragma once

#include <QHash>
#include <QKeySequence>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;

// The main window's menu bar. Every item is a QAction named as the menu ("mnuCopy"); the items
// of a menu array carry their index in the name ("mnuExportTop_2").
class FMainMenus {
public:
    // Builds the menus into the window's menu bar.
    void build(QMainWindow* window);

    QAction* action(const QString& name) const { return m_actions.value(name); }
    QMenu* menu(const QString& name) const { return m_menus.value(name); }
    const QHash<QString, QAction*>& actions() const { return m_actions; }

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
