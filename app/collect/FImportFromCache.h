#pragma once

#include <QDialog>
#include <QStringList>

#include "app/keywords/KWIcons.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlDatabase.h"

class CacheKWListModel;
class LoggingGuard;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTreeView;

// "Import From Database": the user filters the cache's keywords by words, picks the wanted ones
// into a second list and confirms. The dialog stores nothing; its caller imports PickedKWs().
class FImportFromCache final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FImportFromCache)

public:
    explicit FImportFromCache(QWidget* parent = nullptr);
    ~FImportFromCache() override;

    // Keeps the log and the project database (with the cache attached) and runs the first query.
    void init(zentrel::CLogPtr Log, zentrel::SqlDatabasePtr ProjectDB, const QString& Filter);

    bool OKPressed() const { return m_okPressed; }
    // The keywords of the picked list, in list order.
    QStringList PickedKWs() const;

    void ApplyFilter();
    void cmdSelect_Click();
    void cmdUndo_Click();
    void cmdSelectAll_Click();
    void cmdClearAll_Click();

    QLineEdit* txtFilter() const { return m_txtFilter; }
    QPushButton* cmdApplyFilter() const { return m_cmdApplyFilter; }
    QCheckBox* chkIncludeBanned() const { return m_chkIncludeBanned; }
    QTreeView* lvCache() const { return m_lvCache; }
    QTreeView* lvSelected() const { return m_lvSelected; }
    CacheKWListModel* foundModel() const { return m_found; }
    CacheKWListModel* pickedModel() const { return m_picked; }
    QPushButton* cmdSelect() const { return m_cmdSelect; }
    QPushButton* cmdUndo() const { return m_cmdUndo; }
    QPushButton* cmdSelectAll() const { return m_cmdSelectAll; }
    QPushButton* cmdClearAll() const { return m_cmdClearAll; }
    QPushButton* cmdOK() const { return m_cmdOK; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }
    QLabel* lblCacheTotal() const { return m_lblCacheTotal; }
    QLabel* lblSelectedTotal() const { return m_lblSelectedTotal; }
    QString copyText() const { return m_copyText; }

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeView* makeList(CacheKWListModel* model);
    QWidget* buildFilterRow();
    QWidget* buildLists();
    void RefreshTotals();
    // Moves the selected rows of one list to the end of the other.
    void moveSelected(QTreeView* from, CacheKWListModel* source, CacheKWListModel* target,
                      const QString& operation);
    void showContextMenu(QTreeView* list, const QPoint& position);
    LoggingGuard guard(int level, const QString& operation) const;

    zentrel::CLogPtr m_log;
    zentrel::SqlDatabasePtr m_projectDB;
    bool m_okPressed = false;
    QString m_copyText;
    KWIcons m_icons;

    CacheKWListModel* m_found;
    CacheKWListModel* m_picked;
    QLabel* m_lblDescr;
    QLineEdit* m_txtFilter;
    QPushButton* m_cmdApplyFilter;
    QCheckBox* m_chkIncludeBanned;
    QTreeView* m_lvCache;
    QTreeView* m_lvSelected;
    QLabel* m_lblCacheTotal;
    QLabel* m_lblSelectedTotal;
    QPushButton* m_cmdSelectAll;
    QPushButton* m_cmdClearAll;
    QPushButton* m_cmdSelect;
    QPushButton* m_cmdUndo;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
    QStatusBar* m_statusBar;
};
