#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QTableView>

#include "app/keywords/KWRecord.h"

class KWGridModel;

// The keyword grid's view. It keeps the current row, the selection and the focus together: the
// current row is framed (a dotted outline, never a fill that could pass for a selection), a row
// the program makes current is selected too, and with nothing selected the commands take the
// current row. Its columns fit their captions in its font; refreshes keep the selected keywords.
class KWGridView final : public QTableView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KWGridView)

public:
    KWGridView(KWGridModel* model, QWidget* parent);

    // -1 when no row is current.
    int currentRow() const;
    // The selected rows in grid order.
    QList<int> selectedRowList() const;
    // What the commands act on: the selected rows, else the current row alone, else none.
    QList<int> pickedRows() const;

    // Each moves the frame to the row (the last one when it is past the end): keeping the
    // selection as it is; selecting the row too when nothing is selected; selecting it alone.
    void frameRow(int row);
    void placeRow(int row);
    void placeRowAlone(int row);

    // The keyword ids of the rows, and of the picked rows.
    QList<int> idsOf(const QList<int>& rows) const;
    QList<int> pickedIds() const;
    // Empty when no row is current.
    QString currentKeyword() const;
    // Selects the rows that exist, after clearing the selection when clearFirst.
    void selectRows(const QList<int>& rows, bool clearFirst = true);
    // A find's answer: none leaves the selection alone; otherwise the row found is selected alone
    // and shown, or nothing is selected.
    void showFound(std::optional<int> row);
    // After ranking the rows (their ids given): when the first of them left the grid, the row now
    // standing where it stood is framed and picked alone, as in a list box; otherwise the current
    // row is selected too.
    void settleAfterRank(const QList<int>& rows, const QList<int>& ids);

    // Brings the rows in line with the store's records (at most rowCap): the selected keywords stay
    // selected and the current keyword keeps the frame.
    void refreshKeepingSelection(const KWRecords& records, int rowCap);

protected:
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void sizeColumns();
    void placeCurrentAfterRefresh(int rowBefore, int idBefore);
    QModelIndex rowIndex(int row) const;
    QRect rowRect(int row) const;
    void updateRow(int row);

    KWGridModel* m_model;
};
