#include "app/collect/ucDLoad.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/collect/DLoadListModel.h"
#include "app/collect/DLoadTexts.h"
#include "app/shell/DesktopBrowser.h"
#include "app/shell/FMain.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/StatusPanel.h"
#include "app/shell/StringTable.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/ZError.h"
#include "engine/research/CDownloader.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/Scripting.h"

using zentrel::ZError;

namespace {

constexpr int kMsgTotalCurrent = 115;
constexpr int kMsgTotalComplete = 116;
constexpr int kMsgDownloadingNow = 140;

const QString kStartSource = QStringLiteral("ucDLoad.moDownloader_StartDownload");
const QString kCompleteSource = QStringLiteral("ucDLoad.moDownloader_Complete");
const QString kCrawlSource = QStringLiteral("ucDLoad.mnuCrawlFromSite_Click");

QString countText(int id, int count)
{
    return StringTable::format(id, {QString::number(count)});
}

QListView* makeList(QWidget* parent, DLoadListModel* model, const QString& name)
{
    auto* list = new QListView(parent);
    list->setObjectName(name);
    list->setModel(model);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    return list;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QString& name)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

ucDLoad::ucDLoad(QWidget* parent)
    : QWidget(parent)
    , m_current(new DLoadListModel(this))
    , m_complete(new DLoadListModel(this))
    , m_lstCurrent(makeList(this, m_current, QStringLiteral("lstCurrentDownloads")))
    , m_lstComplete(makeList(this, m_complete, QStringLiteral("lstCompleteDownloads")))
    , m_lblTotalCurrent(
          makeLabel(this, countText(kMsgTotalCurrent, 0), QStringLiteral("lblTotalCurrent")))
    , m_lblTotalComplete(
          makeLabel(this, countText(kMsgTotalComplete, 0), QStringLiteral("lblTotalComplete")))
    , m_mnuContext(new QMenu(this))
    , m_cancelledPicture(style()->standardIcon(QStyle::SP_DialogCancelButton).pixmap(16, 16))
{
    m_current->setCancelledPicture(m_cancelledPicture);
    const auto button = [this](const QString& caption, const QString& name, auto handler) {
        auto* made = new QPushButton(caption, this);
        made->setObjectName(name);
        connect(made, &QPushButton::clicked, this, handler);
        return made;
    };
    auto* layout = new QVBoxLayout(this);
    // The two lists share the page's height.
    layout->addWidget(
        buildHalf(makeLabel(this, QStringLiteral("Current Downloads:"),
                            QStringLiteral("lblCurrentDownLoads")),
                  m_lstCurrent, m_lblTotalCurrent,
                  {button(QStringLiteral("Ca&ncel"), QStringLiteral("cmdCancel"),
                          &ucDLoad::cmdCancel_Click),
                   button(QStringLiteral("&Browse"), QStringLiteral("cmdBrowseFromCurrent"),
                          &ucDLoad::cmdBrowseFromCurrent_Click),
                   button(QStringLiteral("Co&py"), QStringLiteral("cmdCopyFromCurrent"),
                          &ucDLoad::cmdCopyFromCurrent_Click)}),
        1);
    layout->addWidget(
        buildHalf(
            makeLabel(this, QStringLiteral("Complete Downloads:"),
                      QStringLiteral("lblCompleteDownloads")),
            m_lstComplete, m_lblTotalComplete,
            {button(QStringLiteral("Clea&r"), QStringLiteral("cmdClear"), &ucDLoad::cmdClear_Click),
             button(QStringLiteral("Bro&wse"), QStringLiteral("cmdBrowseFromComplete"),
                    &ucDLoad::cmdBrowseFromComplete_Click),
             button(QStringLiteral("Cop&y"), QStringLiteral("cmdCopyFromComplete"),
                    &ucDLoad::cmdCopyFromComplete_Click)}),
        1);

    connect(m_lstCurrent, &QListView::doubleClicked, this, &ucDLoad::cmdBrowseFromCurrent_Click);
    connect(m_lstComplete, &QListView::doubleClicked, this, &ucDLoad::cmdBrowseFromComplete_Click);
    for (QListView* list : {m_lstCurrent, m_lstComplete}) {
        connect(list, &QListView::customContextMenuRequested, this, [this, list](QPoint pos) {
            showContextMenu(list, list->viewport()->mapToGlobal(pos));
        });
    }
    buildMenu();
}

ucDLoad::~ucDLoad()
{
    detach();
}

QWidget* ucDLoad::buildHalf(QLabel* title, QListView* list, QLabel* total,
                            std::initializer_list<QPushButton*> buttons)
{
    auto* half = new QWidget(this);
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons)
        column->addWidget(button);
    column->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(list, 1);
    row->addLayout(column);
    auto* layout = new QVBoxLayout(half);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addLayout(row, 1);
    layout->addWidget(total);
    return half;
}

void ucDLoad::buildMenu()
{
    m_mnuContext->setObjectName(QStringLiteral("mnuContext"));
    const auto item = [this](const QString& caption, const QString& name, auto handler) {
        QAction* action = m_mnuContext->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    item(QStringLiteral("&Copy"), QStringLiteral("mnuCopy"), &ucDLoad::mnuCopy_Click);
    item(QStringLiteral("Open in &Browser"), QStringLiteral("mnuBrowse"),
         &ucDLoad::mnuBrowse_Click);
    item(QStringLiteral("&Collect Keywords from This Web Site"), QStringLiteral("mnuCrawlFromSite"),
         &ucDLoad::mnuCrawlFromSite_Click);
}

void ucDLoad::init(zentrel::Scripting* scripting, std::shared_ptr<zentrel::CLog> log,
                   FMain* ownerForm)
{
    Links links;
    links.log = std::move(log);
    if (scripting != nullptr) {
        links.downloader = scripting->Downloader();
        links.crawl = [engine = QPointer<zentrel::Scripting>(scripting)](const QString& site) {
            if (engine == nullptr || engine->SEContacter() == nullptr)
                throw ZError(zentrel::kUnexpected, QStringLiteral("The engine is gone. "),
                             kCrawlSource);
            engine->SEContacter()->CrawlKWFromSite(zentrel::seGoogle, site,
                                                   std::make_shared<zentrel::CKeyedCollection>());
        };
    }
    if (ownerForm != nullptr) {
        links.runningPanel = ownerForm->panel(2);
        links.errorPanel = ownerForm->panel(3);
        links.warningPicture = ownerForm->WarningPicture;
    }
    attach(std::move(links));
}

void ucDLoad::attach(Links links)
{
    detach();
    m_current->clear();
    m_complete->clear();
    moDownloader = links.downloader;
    m_runningPanel = links.runningPanel;
    m_errorPanel = links.errorPanel;
    m_links = std::move(links);
    if (moDownloader != nullptr) {
        m_startConnection = connect(moDownloader, &zentrel::CDownloader::StartDownload, this,
                                    &ucDLoad::moDownloader_StartDownload);
        m_completeConnection = connect(moDownloader, &zentrel::CDownloader::Complete, this,
                                       &ucDLoad::moDownloader_Complete);
    }
    showCurrentTotals();
    showCompleteTotal();
}

void ucDLoad::detach()
{
    disconnect(m_startConnection);
    disconnect(m_completeConnection);
    moDownloader = nullptr;
}

void ucDLoad::Finalize()
{
    detach();
    m_runningPanel = nullptr;
    m_errorPanel = nullptr;
    m_links = {};
    m_current->forgetCookies();
}

std::int32_t ucDLoad::runningNumber() const
{
    return m_current->runningNumber();
}

void ucDLoad::moDownloader_StartDownload(const QString& Cookie, const QString& Page)
{
    guard(kStartSource).run([&] {
        m_current->addStarted(Cookie, Page);
        showCurrentTotals();
    });
}

void ucDLoad::moDownloader_Complete(const QString& Cookie, const QString&, bool IsSuccess,
                                    std::int32_t ErrNumber, const QString& ErrDescription)
{
    guard(kCompleteSource).run([&] {
        const std::optional<std::int32_t> found = m_current->numberOfCookie(Cookie);
        if (!found) {
            writeLog(0, QStringLiteral("Did not find in collection '%1'. ").arg(Cookie), 5,
                     kCompleteSource);
            return;
        }
        const std::int32_t number = *found;
        const int row = m_current->rowOfNumber(number);
        if (row < 0) {
            writeLog(0, QStringLiteral("Cannot find cookie '%1'.").arg(Cookie), 5, kCompleteSource);
            return;
        }
        // A download the user cancelled that ends without its page ends as cancelled, whatever
        // its worker met meanwhile.
        const bool cancelled = !IsSuccess && (m_current->rowAt(row).cancelled ||
                                              static_cast<std::uint32_t>(ErrNumber) ==
                                                  zentrel::CDownloader::kCancelled);
        const QString address = m_current->takeRow(row);
        showCurrentTotals();
        if (IsSuccess) {
            m_complete->addFirst(address, number);
            showCompleteTotal();
        }
        if (cancelled) {
            showStatus(DLoadListModel::cancelledText(address), m_cancelledPicture);
            writeLog(0, QStringLiteral("The download of '%1' was cancelled.").arg(address), 5,
                     kCompleteSource);
        } else {
            showError(IsSuccess ? QString() : DLoadTexts::PanelErrorText(ErrDescription));
        }
    });
}

void ucDLoad::showCurrentTotals()
{
    const int count = m_current->count();
    m_lblTotalCurrent->setText(countText(kMsgTotalCurrent, count));
    if (m_runningPanel != nullptr)
        m_runningPanel->setText(countText(kMsgDownloadingNow, count));
}

void ucDLoad::showCompleteTotal()
{
    m_lblTotalComplete->setText(countText(kMsgTotalComplete, m_complete->count()));
}

void ucDLoad::showError(const QString& text)
{
    showStatus(text, text.isEmpty() ? QPixmap() : m_links.warningPicture);
}

void ucDLoad::showStatus(const QString& text, const QPixmap& picture)
{
    if (m_errorPanel == nullptr)
        return;
    if (m_errorPanel->picture().cacheKey() != picture.cacheKey())
        m_errorPanel->setPicture(picture);
    if (m_errorPanel->text() != text)
        m_errorPanel->setText(text);
}

void ucDLoad::cmdCancel_Click()
{
    const QModelIndexList selected = m_lstCurrent->selectionModel()->selectedRows();
    QList<int> rows;
    for (const QModelIndex& index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    for (int row : rows) {
        const QString cookie = m_current->rowAt(row).cookie;
        // The row stays until the downloader reports the download's end.
        if (!cookie.isEmpty() && moDownloader != nullptr) {
            m_current->markCancelled(row);
            moDownloader->Cancel(cookie);
        }
    }
}

void ucDLoad::cmdClear_Click()
{
    m_complete->clear();
    showCompleteTotal();
}

QString ucDLoad::GetSelectedItem(const QListView* list)
{
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return {};
    const QModelIndex top = *std::min_element(
        selected.begin(), selected.end(),
        [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return top.data(Qt::DisplayRole).toString();
}

void ucDLoad::cmdBrowseFromCurrent_Click()
{
    browse(GetSelectedItem(m_lstCurrent), QStringLiteral("ucDLoad.cmdBrowseFromCurrent_Click"));
}

void ucDLoad::cmdBrowseFromComplete_Click()
{
    browse(GetSelectedItem(m_lstComplete), QStringLiteral("ucDLoad.cmdBrowseFromComplete_Click"));
}

void ucDLoad::cmdCopyFromCurrent_Click()
{
    copyText(GetSelectedItem(m_lstCurrent));
}

void ucDLoad::cmdCopyFromComplete_Click()
{
    copyText(GetSelectedItem(m_lstComplete));
}

void ucDLoad::showContextMenu(QListView* list, const QPoint& globalPos)
{
    m_rememberedURL = GetSelectedItem(list);
    if (!m_rememberedURL.isEmpty())
        m_mnuContext->popup(globalPos);
}

void ucDLoad::mnuCopy_Click()
{
    copyText(m_rememberedURL);
}

void ucDLoad::mnuBrowse_Click()
{
    browse(m_rememberedURL, QStringLiteral("ucDLoad.mnuBrowse_Click"));
}

void ucDLoad::mnuCrawlFromSite_Click()
{
    guard(kCrawlSource).run([&] {
        const QString site = DLoadTexts::SiteToCrawl(m_rememberedURL);
        if (site.isEmpty() || !m_links.crawl)
            return;
        m_links.crawl(site);
    });
}

// Only web addresses reach the browser, as an argument: a scraped page may list anything.
void ucDLoad::browse(const QString& address, const QString& source)
{
    if (address.isEmpty())
        return;
    if (!DLoadTexts::IsWebAddress(address)) {
        writeLog(0, QStringLiteral("Not a web address, not opened: '%1'.").arg(address), 4, source);
        return;
    }
    if (!DesktopBrowser::open(address))
        writeLog(0, QStringLiteral("Cannot start the browser for '%1'.").arg(address), 4, source);
}

void ucDLoad::copyText(const QString& text)
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

// An error of a downloader event or a command ends it as one entry at level 4.
LoggingGuard ucDLoad::guard(const QString& source) const
{
    return LoggingGuard([this](std::int32_t number, const QString& text, int level,
                               const QString& where) { writeLog(number, text, level, where); },
                        4, source, LoggingGuard::kUnexpected);
}

void ucDLoad::writeLog(qint64 number, const QString& text, int level, const QString& source) const
{
    if (m_links.log)
        m_links.log->Write(number, text, level, source);
}
