#pragma once

#include <QtCore/qnamespace.h>

class QAbstractItemView;
class QModelIndex;

// Where the program itself puts an item view's current row (its frame), that row is selected
// too, unless other rows are: the row that looks picked is the row the commands take.
class PickedRow {
public:
    // Makes the index's row current; selects it when nothing is selected.
    static void Place(QAbstractItemView& view, const QModelIndex& index);
    // With nothing selected, selects the current row.
    static void SelectCurrent(QAbstractItemView& view);
    // Before the view takes the focus by the keyboard or the program: the current row, else the
    // first, is framed and selected as Place does. A click picks its row itself.
    static void TakeFocus(QAbstractItemView& view, Qt::FocusReason reason);
};
