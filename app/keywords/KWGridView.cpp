#include "app/keywords/KWGridView.h"

#include <algorithm>

#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QSet>
#include <QStyle>
#include <QStyledItemDelegate>

#include "app/keywords/KWGridModel.h"
#include "app/keywords/MConst.h"
#include "app/keywords/PickedRow.h"

namespace {

// Cells without the style's focus mark: the view frames the whole current row itself.
class NoFocusMarkDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, plain, index);
    }
};

constexpr int kTwips = 15; // twips per pixel

int px(int twips)
{
    return twips / kTwips;
}

} // namespace

KWGridView::KWGridView(KWGridModel* model, QWidget* parent)
    : QTableView(parent)
    , m_model(model)
{
    setItemDelegate(new NoFocusMarkDelegate(this));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setIconSize(QSize(16, 16));
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    sizeColumns();
    // The keyword column takes the width the other columns leave.
    horizontalHeader()->setSectionResizeMode(KWGridModel::Keyword, QHeaderView::Stretch);
}

// Each column is as wide as its caption, and the Relevancy column as its longest name, in the
// grid's current font.
void KWGridView::sizeColumns()
{
    const int widths[] = {2800, 1250, 1200, 900};
    const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    for (int column = 0; column < KWGridModel::ColumnCount; ++column) {
        int text = horizontalHeader()->fontMetrics().horizontalAdvance(
            m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        if (column == KWGridModel::Relevancy) {
            for (int relevancy = 0; relevancy <= 5; ++relevancy)
                text = std::max(text,
                                fontMetrics().horizontalAdvance(MConst::RelevancyName(relevancy)));
        }
        setColumnWidth(column, std::max(px(widths[column]), text + padding));
    }
}

void KWGridView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        sizeColumns();
}

int KWGridView::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

QList<int> KWGridView::selectedRowList() const
{
    QList<int> rows;
    if (selectionModel() == nullptr)
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<int> KWGridView::pickedRows() const
{
    const QList<int> rows = selectedRowList();
    if (!rows.isEmpty() || currentRow() < 0)
        return rows;
    return {currentRow()};
}

QModelIndex KWGridView::rowIndex(int row) const
{
    if (model() == nullptr)
        return {};
    const int count = model()->rowCount(rootIndex());
    if (count == 0 || row < 0)
        return {};
    return model()->index(std::min(row, count - 1), 0, rootIndex());
}

void KWGridView::frameRow(int row)
{
    if (const QModelIndex index = rowIndex(row); index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void KWGridView::placeRow(int row)
{
    PickedRow::Place(*this, rowIndex(row));
}

void KWGridView::placeRowAlone(int row)
{
    if (const QModelIndex index = rowIndex(row); index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
}

QList<int> KWGridView::idsOf(const QList<int>& rows) const
{
    QList<int> ids;
    for (const int row : rows)
        ids << m_model->rowAt(row).id;
    return ids;
}

QList<int> KWGridView::pickedIds() const
{
    return idsOf(pickedRows());
}

QString KWGridView::currentKeyword() const
{
    const int row = currentRow();
    return row < 0 ? QString() : m_model->rowAt(row).keyword;
}

void KWGridView::selectRows(const QList<int>& rows, bool clearFirst)
{
    QList<int> sorted;
    for (const int row : rows)
        if (row >= 0 && row < m_model->rowCount())
            sorted << row;
    std::sort(sorted.begin(), sorted.end());
    QItemSelection selection;
    for (qsizetype i = 0; i < sorted.size();) {
        qsizetype j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] <= sorted[j] + 1)
            ++j;
        selection.select(m_model->index(sorted[i], 0),
                         m_model->index(sorted[j], KWGridModel::ColumnCount - 1));
        i = j + 1;
    }
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Select;
    if (clearFirst)
        flags |= QItemSelectionModel::Clear;
    selectionModel()->select(selection, flags);
}

void KWGridView::showFound(std::optional<int> row)
{
    if (!row.has_value())
        return;
    selectionModel()->clearSelection();
    if (*row < 0)
        return;
    const QModelIndex index = m_model->index(*row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

void KWGridView::settleAfterRank(const QList<int>& rows, const QList<int>& ids)
{
    if (m_model->rowOfId(ids.first()) < 0)
        placeRowAlone(rows.first());
    else if (const int row = currentRow(); row >= 0)
        selectionModel()->select(m_model->index(row, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void KWGridView::refreshKeepingSelection(const KWRecords& records, int rowCap)
{
    const int currentBefore = currentRow();
    const int idBefore = currentBefore >= 0 ? m_model->rowAt(currentBefore).id : 0;
    if (records.empty()) {
        m_model->clear();
    } else {
        QSet<int> selected;
        for (const int id : idsOf(selectedRowList()))
            selected.insert(id);
        const QList<int> again = m_model->refresh(records, rowCap, selected);
        QList<int> rows;
        for (const int id : again)
            rows << m_model->rowOfId(id);
        selectRows(rows, false);
    }
    placeCurrentAfterRefresh(currentBefore, idBefore);
}

// The current keyword keeps the frame; when it left the grid, the keyword now standing where it
// stood takes it, and the first fill frames the first row. A row framed so is selected too when
// nothing is.
void KWGridView::placeCurrentAfterRefresh(int rowBefore, int idBefore)
{
    if (m_model->rowCount() == 0)
        return;
    if (const int row = rowBefore >= 0 ? m_model->rowOfId(idBefore) : -1; row >= 0)
        frameRow(row);
    else
        placeRow(std::max(rowBefore, 0));
}

void KWGridView::focusInEvent(QFocusEvent* event)
{
    // Ahead of the view's own focus handling, which frames the first row and selects nothing.
    PickedRow::TakeFocus(*this, event->reason());
    QTableView::focusInEvent(event);
    updateRow(currentRow());
}

void KWGridView::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    updateRow(currentRow());
}

void KWGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (previous.isValid())
        updateRow(previous.row());
    if (current.isValid())
        updateRow(current.row());
}

QRect KWGridView::rowRect(int row) const
{
    if (model() == nullptr || row < 0 || row >= model()->rowCount(rootIndex()))
        return {};
    const int last = model()->columnCount(rootIndex()) - 1;
    if (last < 0)
        return {};
    const int left = columnViewportPosition(horizontalHeader()->logicalIndex(0));
    const int lastVisual = horizontalHeader()->logicalIndex(last);
    const int right = columnViewportPosition(lastVisual) + columnWidth(lastVisual);
    return QRect(left, rowViewportPosition(row), right - left, rowHeight(row));
}

void KWGridView::updateRow(int row)
{
    if (const QRect rect = rowRect(row); rect.isValid())
        viewport()->update(rect);
}

void KWGridView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (!hasFocus())
        return;
    const int row = currentRow();
    const QRect rect = rowRect(row).adjusted(0, 0, -1, -1);
    if (!rect.isValid())
        return;
    QPainter painter(viewport());
    const bool selected = selectionModel()->isRowSelected(row, rootIndex());
    QPen pen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
}
