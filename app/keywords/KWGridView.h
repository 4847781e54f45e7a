#pragma once

#include <QList>
#include <QTableView>

// The keyword grid's view. It keeps the current row, the selection and the focus together: the
// current row is framed (a dotted outline, never a fill that could pass for a selection), a row
// the program makes current is selected too, and with nothing selected the commands take the
// current row.
class KWGridView final : public QTableView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KWGridView)

public:
    explicit KWGridView(QWidget* parent = nullptr);

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

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QModelIndex rowIndex(int row) const;
    QRect rowRect(int row) const;
    void updateRow(int row);
};
