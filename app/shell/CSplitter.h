#pragma once

#include <QColor>
#include <QCursor>
#include <QObject>
#include <QPalette>
#include <QPointer>

class QSplitter;
class QWidget;

// Dragging the bar of a two-pane QSplitter: the bar centres on the mouse, moves only in steps
// of more than miSensebility pixels and is highlighted while dragged; the owner keeps the drag
// cursor while the mouse leaves the bar.
class CSplitter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSplitter)

public:
    static constexpr int kVertical = 1;

    explicit CSplitter(QObject* parent = nullptr);

    // Public fields, as the pages use them.
    int miGap = 0;
    QPointer<QWidget> moOwnerForm;
    QPointer<QSplitter> mctlSplitter;
    int menSplitterType = 0;
    int miSensebility = 8;
    QColor miSelColor;

    // type kVertical: a bar moving left and right; any other value: up and down.
    void init(QSplitter* ctlSplitter, int intSplitterType, QWidget* frmOwner, int intGap = 0);
    void splitterDown();
    // intMousePos: the mouse coordinate relative to the bar.
    void splitterMove(float intMousePos);
    void splitterUp();
    // Keeps miGap between the pane and the bar: blnLeftUp is the pane left of or above it.
    void alignCtl(QWidget* ctl, bool blnLeftUp);

    bool isMoving() const { return m_moving; }
    // The bar's position and size along the splitter's axis.
    int barPosition() const;
    int barSize() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* bar() const;
    void MoveVertical(float intMousePos);
    void MoveHorizontal(float intMousePos);
    void moveTo(float intMousePos);
    void AlignCtlVertical(QWidget* ctl, bool blnLeftUp);
    void AlignCtlHorizontal(QWidget* ctl, bool blnLeftUp);

    bool m_moving = false;
    QPalette m_savedPalette;
    bool m_savedAutoFill = false;
    bool m_ownerHadCursor = false;
    QCursor m_savedCursor;
};
