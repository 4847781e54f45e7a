#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "app/shell/IVXPage.h"

class DLoadListModel;
class LoggingGuard;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class StatusPanel;

namespace zentrel {
class CDownloader;
class CLog;
} // namespace zentrel

// The downloads page: the engine's running downloads and the pages that finished, newest first,
// with commands to cancel, browse, copy and crawl a page's site. It keeps status-bar panels 2 (the
// running downloads) and 3 (the latest download error) up to date.
class ucDLoad final : public QWidget, public IVXPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ucDLoad)

public:
    // What the page reaches outside itself: the main window's parts in the program.
    struct Links {
        zentrel::CDownloader* downloader = nullptr;
        std::function<void(const QString& siteName)> crawl; // may throw ZError
        StatusPanel* runningPanel = nullptr;                // panel 2
        StatusPanel* errorPanel = nullptr;                  // panel 3
        QPixmap warningPicture;
        std::shared_ptr<zentrel::CLog> log;
    };

    explicit ucDLoad(QWidget* parent = nullptr);
    ~ucDLoad() override;

    void init(zentrel::Scripting* scripting, std::shared_ptr<zentrel::CLog> log,
              FMain* ownerForm) override;
    // Follows the links' downloader from now on; the lists start empty.
    void attach(Links links);
    void Finalize() override;

    // The downloader's events.
    void moDownloader_StartDownload(const QString& Cookie, const QString& Page);
    void moDownloader_Complete(const QString& Cookie, const QString& Page, bool IsSuccess,
                               std::int32_t ErrNumber, const QString& ErrDescription);

    void cmdCancel_Click();
    void cmdClear_Click();
    void cmdBrowseFromCurrent_Click();
    void cmdBrowseFromComplete_Click();
    void cmdCopyFromCurrent_Click();
    void cmdCopyFromComplete_Click();
    // Remembers the list's selected text and, when there is one, opens the context menu.
    void showContextMenu(QListView* list, const QPoint& globalPos);
    void mnuCopy_Click();
    void mnuBrowse_Click();
    void mnuCrawlFromSite_Click();

    QListView* lstCurrentDownloads() const { return m_lstCurrent; }
    QListView* lstCompleteDownloads() const { return m_lstComplete; }
    const DLoadListModel& currentModel() const { return *m_current; }
    const DLoadListModel& completeModel() const { return *m_complete; }
    QLabel* lblTotalCurrent() const { return m_lblTotalCurrent; }
    QLabel* lblTotalComplete() const { return m_lblTotalComplete; }
    QMenu* mnuContext() const { return m_mnuContext; }
    QString rememberedURL() const { return m_rememberedURL; }
    const QPixmap& cancelledPicture() const { return m_cancelledPicture; }
    std::int32_t runningNumber() const;

private:
    QWidget* buildHalf(QLabel* title, QListView* list, QLabel* total,
                       std::initializer_list<QPushButton*> buttons);
    void buildMenu();
    void detach();
    void showCurrentTotals();
    void showCompleteTotal();
    void showError(const QString& text);
    // Status-bar panel 3.
    void showStatus(const QString& text, const QPixmap& picture);
    static QString GetSelectedItem(const QListView* list);
    void browse(const QString& address, const QString& source);
    static void copyText(const QString& text);
    LoggingGuard guard(const QString& source) const;
    void writeLog(qint64 number, const QString& text, int level, const QString& source) const;

    DLoadListModel* m_current;
    DLoadListModel* m_complete;
    QListView* m_lstCurrent;
    QListView* m_lstComplete;
    QLabel* m_lblTotalCurrent;
    QLabel* m_lblTotalComplete;
    QMenu* m_mnuContext;
    QPixmap m_cancelledPicture;

    Links m_links;
    QPointer<zentrel::CDownloader> moDownloader;
    QPointer<StatusPanel> m_runningPanel;
    QPointer<StatusPanel> m_errorPanel;
    QMetaObject::Connection m_startConnection;
    QMetaObject::Connection m_completeConnection;
    QString m_rememberedURL;
};
