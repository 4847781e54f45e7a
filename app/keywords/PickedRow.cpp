#include "app/keywords/PickedRow.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

void PickedRow::Place(QAbstractItemView& view, const QModelIndex& index)
{
    QItemSelectionModel* selection = view.selectionModel();
    if (selection == nullptr || !index.isValid())
        return;
    selection->setCurrentIndex(index, selection->hasSelection()
                                          ? QItemSelectionModel::NoUpdate
                                          : QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
}

void PickedRow::SelectCurrent(QAbstractItemView& view)
{
    Place(view, view.currentIndex());
}

void PickedRow::TakeFocus(QAbstractItemView& view, Qt::FocusReason reason)
{
    if (reason == Qt::MouseFocusReason || view.model() == nullptr)
        return;
    const QModelIndex current = view.currentIndex();
    Place(view, current.isValid() ? current : view.model()->index(0, 0, view.rootIndex()));
}
