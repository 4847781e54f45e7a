#include "app/collect/FImportFromCache.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/collect/CacheKWListModel.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/MMinMaxInfo.h"
#include "app/shell/MsgService.h"
#include "app/shell/StringTable.h"
#include "app/shell/WaitCursor.h"
#include "engine/database/CacheImportQuery.h"
#include "engine/platform/ZError.h"

namespace {

constexpr int kDescription = 133;
constexpr int kNothingFound = 177;
const QString kTypeName = QStringLiteral("FImportFromCache");

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The filter's words: trimmed, runs of blanks made single.
QString cleanFilter(const QString& text)
{
    QString filter = text.trimmed();
    while (filter.contains(QStringLiteral("  ")))
        filter.replace(QStringLiteral("  "), QStringLiteral(" "));
    return filter;
}

} // namespace

FImportFromCache::FImportFromCache(QWidget* parent)
    : QDialog(parent)
    , m_found(new CacheKWListModel(&m_icons, this))
    , m_picked(new CacheKWListModel(&m_icons, this))
    , m_lblDescr(new QLabel(StringTable::text(kDescription), this))
    , m_txtFilter(new QLineEdit(this))
    , m_cmdApplyFilter(new QPushButton(QStringLiteral("&Apply"), this))
    , m_chkIncludeBanned(new QCheckBox(QStringLiteral("Include &Banned Keywords"), this))
    , m_lvCache(makeList(m_found))
    , m_lvSelected(makeList(m_picked))
    , m_lblCacheTotal(new QLabel(this))
    , m_lblSelectedTotal(new QLabel(this))
    , m_cmdSelectAll(new QPushButton(QStringLiteral("S&elect All"), this))
    , m_cmdClearAll(new QPushButton(QStringLiteral("&Clear All"), this))
    , m_cmdSelect(new QPushButton(QStringLiteral("&Pick ->"), this))
    , m_cmdUndo(new QPushButton(QStringLiteral("<- &Undo"), this))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_statusBar(new QStatusBar(this))
{
    setWindowTitle(QStringLiteral("Import From Database"));
    m_lblDescr->setWordWrap(true);
    m_cmdOK->setDefault(true);
    m_statusBar->setSizeGripEnabled(true);
    m_statusBar->showMessage(
        QStringLiteral("Pick keywords you want to import then press OK button"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(9, 9, 9, 0);
    body->addWidget(m_lblDescr);
    body->addWidget(buildFilterRow());
    body->addWidget(buildLists(), 1);
    body->addLayout(buttons);
    layout->addLayout(body, 1);
    layout->addWidget(m_statusBar);
    // Tab in reading order: the found list with its buttons, the moves, then the picked list.
    QWidget::setTabOrder(m_cmdUndo, m_lvSelected);

    connect(m_cmdApplyFilter, &QPushButton::clicked, this, [this] {
        if (!m_txtFilter->text().trimmed().isEmpty())
            ApplyFilter();
    });
    connect(m_cmdSelect, &QPushButton::clicked, this, &FImportFromCache::cmdSelect_Click);
    connect(m_cmdUndo, &QPushButton::clicked, this, &FImportFromCache::cmdUndo_Click);
    connect(m_cmdSelectAll, &QPushButton::clicked, this, &FImportFromCache::cmdSelectAll_Click);
    connect(m_cmdClearAll, &QPushButton::clicked, this, &FImportFromCache::cmdClearAll_Click);
    connect(m_lvCache, &QTreeView::doubleClicked, this, &FImportFromCache::cmdSelect_Click);
    connect(m_lvSelected, &QTreeView::doubleClicked, this, &FImportFromCache::cmdUndo_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &FImportFromCache::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FImportFromCache::reject);
    m_txtFilter->installEventFilter(this);
    m_lvCache->installEventFilter(this);
    m_lvSelected->installEventFilter(this);

    MMinMaxInfo::HookFImportFromCache(this);
    resize(minimumSize().expandedTo(QSize(760, 480)));
    RefreshTotals();
}

FImportFromCache::~FImportFromCache()
{
    MMinMaxInfo::UnhookFImportFromCache(this);
}

QTreeView* FImportFromCache::makeList(CacheKWListModel* model)
{
    auto* list = new QTreeView(this);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(CacheKWListModel::Keyword, QHeaderView::Stretch);
    header->setSectionResizeMode(CacheKWListModel::SearchesPerDay, QHeaderView::ResizeToContents);
    connect(list, &QTreeView::customContextMenuRequested, this,
            [this, list](const QPoint& position) { showContextMenu(list, position); });
    return list;
}

QWidget* FImportFromCache::buildFilterRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("&Filter:"), row);
    label->setBuddy(m_txtFilter);
    layout->addWidget(label);
    layout->addWidget(m_txtFilter, 1);
    layout->addWidget(m_cmdApplyFilter);
    layout->addSpacing(12);
    layout->addWidget(m_chkIncludeBanned);
    return row;
}

QWidget* FImportFromCache::buildLists()
{
    auto* area = new QWidget(this);
    auto* layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* found = new QVBoxLayout;
    found->addWidget(m_lvCache, 1);
    auto* foundFoot = new QHBoxLayout;
    foundFoot->addWidget(m_lblCacheTotal, 1);
    foundFoot->addWidget(m_cmdSelectAll);
    foundFoot->addWidget(m_cmdClearAll);
    found->addLayout(foundFoot);

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(m_cmdSelect);
    moves->addWidget(m_cmdUndo);
    moves->addStretch();

    auto* picked = new QVBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Picked &Keywords:"), area);
    caption->setBuddy(m_lvSelected);
    picked->addWidget(caption);
    picked->addWidget(m_lvSelected, 1);
    picked->addWidget(m_lblSelectedTotal);

    layout->addLayout(found, 1);
    layout->addLayout(moves);
    layout->addLayout(picked, 1);
    return area;
}

void FImportFromCache::init(zentrel::CLogPtr Log, zentrel::SqlDatabasePtr ProjectDB,
                            const QString& Filter)
{
    m_log = std::move(Log);
    m_projectDB = std::move(ProjectDB);
    m_okPressed = false;
    m_txtFilter->setText(Filter);
    ApplyFilter();
}

QStringList FImportFromCache::PickedKWs() const
{
    return m_picked->keywords();
}

void FImportFromCache::ApplyFilter()
{
    const QString filter = cleanFilter(m_txtFilter->text());
    if (filter.isEmpty())
        return;
    guard(4, QStringLiteral(".ApplyFilter")).run([&] {
        const WaitCursor wait;
        if (!m_projectDB)
            throw zentrel::ZError(zentrel::kUnexpected,
                                  QStringLiteral("The project database is not open."));
        const auto rows = zentrel::CacheImportQuery::Run(
            *m_projectDB, filter.split(QLatin1Char(' ')), m_chkIncludeBanned->isChecked());
        if (rows.empty()) {
            MsgService::showMsg(this, StringTable::format(kNothingFound, {filter}),
                                MsgService::Information);
        } else {
            std::vector<CacheKWRow> found;
            found.reserve(rows.size());
            for (const auto& row : rows)
                found.push_back({row.KW, row.Count});
            m_found->setRows(std::move(found));
        }
    });
    RefreshTotals();
}

void FImportFromCache::RefreshTotals()
{
    m_lblCacheTotal->setText(QStringLiteral("Found: %1 keywords.").arg(m_found->rowCount()));
    m_lblSelectedTotal->setText(QStringLiteral("Selected: %1 keywords.").arg(m_picked->rowCount()));
}

void FImportFromCache::moveSelected(QTreeView* from, CacheKWListModel* source,
                                    CacheKWListModel* target, const QString& operation)
{
    guard(0, operation).run([&] {
        const WaitCursor wait;
        QList<int> positions;
        for (const QModelIndex& index : from->selectionModel()->selectedRows())
            positions << index.row();
        target->append(source->take(positions));
    });
    RefreshTotals();
}

void FImportFromCache::cmdSelect_Click()
{
    moveSelected(m_lvCache, m_found, m_picked, QStringLiteral(".cmdSelect_Click"));
}

void FImportFromCache::cmdUndo_Click()
{
    moveSelected(m_lvSelected, m_picked, m_found, QStringLiteral(".cmdUndo_Click"));
}

void FImportFromCache::cmdSelectAll_Click()
{
    m_lvCache->selectAll();
}

void FImportFromCache::cmdClearAll_Click()
{
    m_lvCache->clearSelection();
}

void FImportFromCache::showContextMenu(QTreeView* list, const QPoint& position)
{
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const QModelIndex current = list->currentIndex();
    const QModelIndex item =
        current.isValid() && list->selectionModel()->isRowSelected(current.row(), current.parent())
            ? current
            : selected.first();
    m_copyText = item.siblingAtColumn(CacheKWListModel::Keyword).data().toString();
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("&Copy"));
    connect(copy, &QAction::triggered, this, [this] {
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->clear();
        clipboard->setText(m_copyText);
    });
    menu.exec(list->viewport()->mapToGlobal(position));
}

bool FImportFromCache::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtFilter && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, m_txtFilter, &QLineEdit::selectAll);
    if (isEnter(event)) {
        // Enter acts in the filter box and the lists; elsewhere it presses OK.
        if (watched == m_txtFilter) {
            if (!m_txtFilter->text().trimmed().isEmpty())
                ApplyFilter();
            return true;
        }
        if (watched == m_lvCache) {
            cmdSelect_Click();
            return true;
        }
        if (watched == m_lvSelected) {
            cmdUndo_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FImportFromCache::accept()
{
    m_okPressed = true;
    QDialog::accept();
}

void FImportFromCache::reject()
{
    m_okPressed = false;
    QDialog::reject();
}

LoggingGuard FImportFromCache::guard(int level, const QString& operation) const
{
    return LoggingGuard(LoggingGuard::writerOf(m_log), level, kTypeName + operation,
                        LoggingGuard::kUnexpected);
}
