#include "app/shell/CSplitter.h"

#include <cmath>

#include <QEvent>
#include <QMouseEvent>
#include <QSplitter>
#include <QWidget>

CSplitter::CSplitter(QObject* parent)
    : QObject(parent)
{
}

void CSplitter::init(QSplitter* ctlSplitter, int intSplitterType, QWidget* frmOwner, int intGap)
{
    moOwnerForm = frmOwner;
    mctlSplitter = ctlSplitter;
    menSplitterType = intSplitterType;
    miGap = intGap;
    miSensebility = 8;
    miSelColor = QPalette().color(QPalette::Dark);
    ctlSplitter->setOrientation(intSplitterType == kVertical ? Qt::Horizontal : Qt::Vertical);
    ctlSplitter->setChildrenCollapsible(false);
    if (QWidget* handle = bar()) {
        handle->setCursor(intSplitterType == kVertical ? Qt::SplitHCursor : Qt::SplitVCursor);
        handle->installEventFilter(this);
    }
}

QWidget* CSplitter::bar() const
{
    if (mctlSplitter == nullptr || mctlSplitter->count() < 2)
        return nullptr;
    return mctlSplitter->handle(1);
}

int CSplitter::barPosition() const
{
    const QWidget* handle = bar();
    if (handle == nullptr)
        return 0;
    return menSplitterType == kVertical ? handle->x() : handle->y();
}

int CSplitter::barSize() const
{
    const QWidget* handle = bar();
    if (handle == nullptr)
        return 0;
    return menSplitterType == kVertical ? handle->width() : handle->height();
}

void CSplitter::splitterDown()
{
    QWidget* handle = bar();
    if (handle == nullptr)
        return;
    m_moving = true;
    if (moOwnerForm != nullptr) {
        m_ownerHadCursor = moOwnerForm->testAttribute(Qt::WA_SetCursor);
        m_savedCursor = moOwnerForm->cursor();
        moOwnerForm->setCursor(handle->cursor());
    }
    handle->raise();
    m_savedPalette = handle->palette();
    m_savedAutoFill = handle->autoFillBackground();
    QPalette highlighted = m_savedPalette;
    highlighted.setColor(QPalette::Window, miSelColor);
    handle->setPalette(highlighted);
    handle->setAutoFillBackground(true);
}

void CSplitter::splitterMove(float intMousePos)
{
    if (menSplitterType == kVertical)
        MoveVertical(intMousePos);
    else
        MoveHorizontal(intMousePos);
}

void CSplitter::MoveVertical(float intMousePos)
{
    moveTo(intMousePos);
}

void CSplitter::MoveHorizontal(float intMousePos)
{
    moveTo(intMousePos);
}

void CSplitter::moveTo(float intMousePos)
{
    if (!m_moving || mctlSplitter == nullptr)
        return;
    const int current = barPosition();
    const int wanted = static_cast<int>(std::nearbyint(static_cast<float>(current) + intMousePos -
                                                       static_cast<float>(barSize()) / 2.0f));
    if (std::abs(wanted - current) <= miSensebility)
        return;
    QList<int> sizes = mctlSplitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int first = qBound(0, wanted, total);
    sizes[0] = first;
    sizes[1] = total - first;
    mctlSplitter->setSizes(sizes);
}

void CSplitter::splitterUp()
{
    if (!m_moving)
        return;
    m_moving = false;
    if (moOwnerForm != nullptr) {
        if (m_ownerHadCursor)
            moOwnerForm->setCursor(m_savedCursor);
        else
            moOwnerForm->unsetCursor();
    }
    if (QWidget* handle = bar()) {
        handle->setPalette(m_savedPalette);
        handle->setAutoFillBackground(m_savedAutoFill);
    }
}

void CSplitter::alignCtl(QWidget* ctl, bool blnLeftUp)
{
    if (ctl == nullptr)
        return;
    if (menSplitterType == kVertical)
        AlignCtlVertical(ctl, blnLeftUp);
    else
        AlignCtlHorizontal(ctl, blnLeftUp);
}

void CSplitter::AlignCtlVertical(QWidget* ctl, bool blnLeftUp)
{
    (void)blnLeftUp;
    ctl->setContentsMargins(miGap, 0, miGap, 0);
}

void CSplitter::AlignCtlHorizontal(QWidget* ctl, bool blnLeftUp)
{
    if (blnLeftUp)
        ctl->setContentsMargins(0, 0, 0, 2 * miGap);
    else
        ctl->setContentsMargins(0, miGap, 0, 0);
}

bool CSplitter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != bar())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            splitterDown();
        return true;
    case QEvent::MouseMove: {
        const QPointF pos = static_cast<QMouseEvent*>(event)->position();
        splitterMove(static_cast<float>(menSplitterType == kVertical ? pos.x() : pos.y()));
        return true;
    }
    case QEvent::MouseButtonRelease:
        splitterUp();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
