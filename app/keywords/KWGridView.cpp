#include "app/keywords/KWGridView.h"

#include <algorithm>

#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QStyledItemDelegate>

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

} // namespace

KWGridView::KWGridView(QWidget* parent)
    : QTableView(parent)
{
    setItemDelegate(new NoFocusMarkDelegate(this));
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
