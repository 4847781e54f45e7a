#include "app/shell/MainMenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"

namespace {

// The items that send a command identifier to a page.
struct DispatchItem {
    const char* menu;
    const char* id;
    int count; // items of a menu array, 0 for a single item
};

constexpr DispatchItem kDispatch[] = {
    {"mnuExportAll", "CS_MENU_EXPORT_ALL", 0},
    {"mnuExportSelected", "CS_MENU_EXPORT_SELECTED", 0},
    {"mnuExportTop", "CS_MENU_EXPORT_TOP", 4},
    {"mnuFind", "CS_MENU_FIND", 0},
    {"mnuFindNext", "CS_MENU_FIND_NEXT", 0},
    {"mnuCopy", "CS_MENU_COPY", 0},
    {"mnuSelect", "CS_MENU_SELECT", 0},
    {"mnuDelete", "CS_MENU_DELETE", 0},
    {"mnuCollectBySelectedKeyword", "CS_MENU_COLLECT_BY_SELECTED_KEYWORD", 0},
    {"mnuOpenSEforKW", "CS_MENU_OPEN_SER_FOR_KW", 7},
    {"mnuOpenSEforCustomKW", "CS_MENU_OPEN_SER_FOR_CUSTOM_KW", 7},
    {"mnuNewGroup", "CS_MENU_NEW_GROUP", 0},
    {"mnuNewGroupToRoot", "CS_MENU_NEW_GROUP_TO_ROOT", 0},
    {"mnuMoveGroup", "CS_MENU_MOVE_GROUP", 0},
    {"mnuMoveGroupToRoot", "CS_MENU_MOVE_GROUP_TO_ROOT", 0},
    {"mnuRenameGroup", "CS_MENU_RENAME_GROUP", 0},
    {"mnuAddKeywordsToGroup", "CS_MENU_ADD_KWS_TO_GROUP", 0},
    {"mnuMoveKeywordsToGroup", "CS_MENU_MOVE_KWS_TO_GROUP", 0},
};

// Commands that belong to the collection, import and feedback parts of the program.
constexpr const char* kOtherCommands[] = {
    "mnuImportKeywords",       "mnuPaste",           "mnuAddKeywords",
    "mnuPickFromLocalPage",    "mnuPickFromURL",     "mnuCollectFromWebsite",
    "mnuCollectFromPagesByKW", "mnuImportFromCache", "mnuAskQuestion",
    "mnuMakeSuggestion",       "mnuReportBug",       "mnuSendTestimonial",
};

} // namespace

void MainMenus::connectPageCommands(
    QObject* context, const std::function<void(const QString& id, int index)>& dispatch)
{
    const auto connectItem = [&](const QString& name, const QString& id, int index) {
        if (QAction* item = action(name))
            QObject::connect(item, &QAction::triggered, context,
                             [dispatch, id, index] { dispatch(id, index); });
    };
    for (const DispatchItem& item : kDispatch) {
        const QString menu = QString::fromLatin1(item.menu);
        const QString id = QString::fromLatin1(item.id);
        if (item.count == 0)
            connectItem(menu, id, 0);
        for (int i = 0; i < item.count; ++i)
            connectItem(arrayName(menu, i), id, i);
    }
}

void MainMenus::connectOtherCommands(QObject* context,
                                     const std::function<void(const QString&)>& run)
{
    for (const char* name : kOtherCommands) {
        const QString menu = QString::fromLatin1(name);
        if (QAction* item = action(menu))
            QObject::connect(item, &QAction::triggered, context, [run, menu] { run(menu); });
    }
}

void MainMenus::enableForPage(int page)
{
    const bool keywordPage = page >= Tab::Raw && page <= Tab::Banned;
    const bool groupPage = page == Tab::Groups;
    for (const QString& name : keywordPageItems())
        action(name)->setEnabled(keywordPage);
    for (const QString& name : groupPageItems())
        action(name)->setEnabled(groupPage);
}

void MainMenus::FillSearchEngineMenus()
{
    const QStringList& names = searchEngineNames();
    for (int i = 0; i < names.size(); ++i) {
        action(arrayName(QStringLiteral("mnuOpenSEforKW"), i))->setText(names.at(i));
        action(arrayName(QStringLiteral("mnuOpenSEforCustomKW"), i))->setText(names.at(i));
    }
}

QString MainMenus::arrayName(const QString& name, int index)
{
    return name + u'_' + QString::number(index);
}

const QStringList& MainMenus::searchEngineNames()
{
    static const QStringList names = {QStringLiteral("&Google"),    QStringLiteral("&All The Web"),
                                      QStringLiteral("A&ltavista"), QStringLiteral("&Yahoo"),
                                      QStringLiteral("&Overture"),  QStringLiteral("&Teoma"),
                                      QStringLiteral("&MSN Search")};
    return names;
}

QStringList MainMenus::keywordPageItems()
{
    QStringList items = {QStringLiteral("mnuExportAll"),
                         QStringLiteral("mnuExportSelected"),
                         QStringLiteral("mnuCopy"),
                         QStringLiteral("mnuDelete"),
                         QStringLiteral("mnuFind"),
                         QStringLiteral("mnuFindNext"),
                         QStringLiteral("mnuSelect"),
                         QStringLiteral("mnuCollectBySelectedKeyword"),
                         QStringLiteral("mnuAddKeywordsToGroup")};
    for (int i = 0; i < 4; ++i)
        items.append(arrayName(QStringLiteral("mnuExportTop"), i));
    for (int i = 0; i < 7; ++i)
        items.append(arrayName(QStringLiteral("mnuOpenSEforKW"), i));
    return items;
}

QStringList MainMenus::groupPageItems()
{
    return {QStringLiteral("mnuRenameGroup"), QStringLiteral("mnuMoveGroup"),
            QStringLiteral("mnuMoveGroupToRoot"), QStringLiteral("mnuMoveKeywordsToGroup")};
}

QAction* MainMenus::add(QMenu* menu, const QString& name, const QString& caption,
                        const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    m_actions.insert(name, action);
    return action;
}

QMenu* MainMenus::addMenu(QMenu* parent, const QString& name, const QString& caption)
{
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(name);
    m_menus.insert(name, menu);
    return menu;
}

void MainMenus::build(QMainWindow* window)
{
    buildFile(window);
    buildEdit(window);
    buildView(window);
    buildCollect(window);
    buildGroups(window);
    buildTools(window);
    buildHelp(window);
}

void MainMenus::buildFile(QMainWindow* window)
{
    QMenu* file = window->menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_menus.insert(file->objectName(), file);
    add(file, QStringLiteral("mnuNewProject"), QStringLiteral("&New Project..."),
        QKeySequence(Qt::CTRL | Qt::Key_N));
    add(file, QStringLiteral("mnuOpenProject"), QStringLiteral("&Open Project..."),
        QKeySequence(Qt::CTRL | Qt::Key_O));
    file->addSeparator();
    add(file, QStringLiteral("mnuConnecttoCache"), QStringLiteral("&Connect To Database..."));
    file->addSeparator();
    add(file, QStringLiteral("mnuImportKeywords"), QStringLiteral("&Import Keywords..."));
    QMenu* exportMenu =
        addMenu(file, QStringLiteral("mnuExportKeywords"), QStringLiteral("E&xport Keywords"));
    add(exportMenu, QStringLiteral("mnuExportAll"), QStringLiteral("&All..."));
    exportMenu->addSeparator();
    add(exportMenu, QStringLiteral("mnuExportSelected"), QStringLiteral("&Selected..."));
    exportMenu->addSeparator();
    const QStringList tops = {QStringLiteral("Top &10..."), QStringLiteral("Top &20..."),
                              QStringLiteral("Top &50..."), QStringLiteral("Top 1&00...")};
    for (int i = 0; i < tops.size(); ++i)
        add(exportMenu, arrayName(QStringLiteral("mnuExportTop"), i), tops.at(i));
    file->addSeparator();
    add(file, QStringLiteral("mnuExit"), QStringLiteral("&Exit"));
}

void MainMenus::buildEdit(QMainWindow* window)
{
    QMenu* edit = window->menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    m_menus.insert(edit->objectName(), edit);
    add(edit, QStringLiteral("mnuCopy"), QStringLiteral("&Copy"),
        QKeySequence(Qt::CTRL | Qt::Key_Insert));
    add(edit, QStringLiteral("mnuPaste"), QStringLiteral("&Paste..."));
    edit->addSeparator();
    add(edit, QStringLiteral("mnuDelete"), QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete));
    edit->addSeparator();
    add(edit, QStringLiteral("mnuFind"), QStringLiteral("&Find..."),
        QKeySequence(Qt::CTRL | Qt::Key_F));
    add(edit, QStringLiteral("mnuFindNext"), QStringLiteral("Find &Next"),
        QKeySequence(Qt::Key_F3));
    edit->addSeparator();
    add(edit, QStringLiteral("mnuSelect"), QStringLiteral("&Select..."),
        QKeySequence(Qt::CTRL | Qt::Key_A));
}

void MainMenus::buildView(QMainWindow* window)
{
    QMenu* view = window->menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    m_menus.insert(view->objectName(), view);
    QMenu* custom =
        addMenu(view, QStringLiteral("mnuSearchTheWeb"), QStringLiteral("Search the Web"));
    QMenu* forKW = addMenu(view, QStringLiteral("mnuSearchTheWebForKW"),
                           QStringLiteral("Search the Web for &Selected Keyword"));
    const QStringList& names = searchEngineNames();
    for (int i = 0; i < names.size(); ++i) {
        add(custom, arrayName(QStringLiteral("mnuOpenSEforCustomKW"), i), names.at(i));
        add(forKW, arrayName(QStringLiteral("mnuOpenSEforKW"), i), names.at(i));
    }
}

void MainMenus::buildCollect(QMainWindow* window)
{
    QMenu* collect = window->menuBar()->addMenu(QStringLiteral("&Collect"));
    collect->setObjectName(QStringLiteral("mnuCollect"));
    m_menus.insert(collect->objectName(), collect);
    add(collect, QStringLiteral("mnuAddKeywords"), QStringLiteral("&Add Keywords..."));
    collect->addSeparator();
    add(collect, QStringLiteral("mnuPickFromLocalPage"),
        QStringLiteral("Pick From &Local Page..."));
    add(collect, QStringLiteral("mnuPickFromURL"), QStringLiteral("Pick From &URL..."));
    collect->addSeparator();
    add(collect, QStringLiteral("mnuCollectFromWebsite"),
        QStringLiteral("Collect From &Website..."));
    add(collect, QStringLiteral("mnuCollectFromPagesByKW"),
        QStringLiteral("Collect From Pages Found By &Keyword..."));
    add(collect, QStringLiteral("mnuCollectBySelectedKeyword"),
        QStringLiteral("Collect From Pages Found By &Selected Keyword"));
    collect->addSeparator();
    add(collect, QStringLiteral("mnuImportFromCache"), QStringLiteral("Import From &Database..."));
    collect->addSeparator();
    add(collect, QStringLiteral("mnuPauseAutoResearch"), StringTable::text(188));
}

void MainMenus::buildGroups(QMainWindow* window)
{
    QMenu* groups = window->menuBar()->addMenu(QStringLiteral("&Groups"));
    groups->setObjectName(QStringLiteral("mnuGroups"));
    m_menus.insert(groups->objectName(), groups);
    add(groups, QStringLiteral("mnuNewGroupToRoot"), QStringLiteral("New &Group..."));
    add(groups, QStringLiteral("mnuNewGroup"), QStringLiteral("New &Subgroup..."));
    groups->addSeparator();
    add(groups, QStringLiteral("mnuRenameGroup"), QStringLiteral("&Rename Group..."));
    groups->addSeparator();
    add(groups, QStringLiteral("mnuMoveGroup"), QStringLiteral("&Move Group..."));
    add(groups, QStringLiteral("mnuMoveGroupToRoot"), QStringLiteral("Move Group To R&oot"));
    groups->addSeparator();
    add(groups, QStringLiteral("mnuAddKeywordsToGroup"),
        QStringLiteral("&Add Keywords To Group..."));
    add(groups, QStringLiteral("mnuMoveKeywordsToGroup"),
        QStringLiteral("Move &Keywords To Group..."));
}

void MainMenus::buildTools(QMainWindow* window)
{
    QMenu* tools = window->menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    m_menus.insert(tools->objectName(), tools);
    add(tools, QStringLiteral("mnuRefreshSearchesCounts"),
        QStringLiteral("&Refresh Searches Counts"));
}

void MainMenus::buildHelp(QMainWindow* window)
{
    QMenu* help = window->menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    m_menus.insert(help->objectName(), help);
    add(help, QStringLiteral("mnuReadUsersManual"), QStringLiteral("Read User's Guide..."));
    help->addSeparator();
    QMenu* contact = addMenu(help, QStringLiteral("mnuContact"), QStringLiteral("&Contact"));
    add(contact, QStringLiteral("mnuAskQuestion"), QStringLiteral("&Ask a Question..."));
    contact->addSeparator();
    add(contact, QStringLiteral("mnuMakeSuggestion"), QStringLiteral("&Make a Suggestion..."));
    add(contact, QStringLiteral("mnuReportBug"), QStringLiteral("&Report a Bug..."));
    contact->addSeparator();
    add(contact, QStringLiteral("mnuSendTestimonial"), QStringLiteral("&Send Testimonial..."));
    help->addSeparator();
    add(help, QStringLiteral("mnuVisitWebSite"), QStringLiteral("&Quintara Keywords Home Page"));
    add(help, QStringLiteral("mnuAbout"), QStringLiteral("&About Quintara Keywords..."));
}
