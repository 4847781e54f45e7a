#include "app/keywords/TextLinesView.h"

#include <algorithm>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int kMargin = 4;

} // namespace

TextLinesView::TextLinesView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
}

void TextLinesView::setText(const QString& text)
{
    m_text = text;
    m_anchor = m_current = -1;
    indexLines();
    m_contentWidth = longestLineWidth();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

void TextLinesView::indexLines()
{
    m_starts.clear();
    m_longest = -1;
    const QChar* const data = m_text.constData();
    const qsizetype size = m_text.size();
    qsizetype longestLength = -1;
    qsizetype start = 0;
    while (start < size) {
        const QChar* const found =
            std::find(data + start, data + size, QLatin1Char('\n')); // CR LF ends with LF
        const qsizetype next = found - data + 1;
        m_starts.push_back(start);
        const qsizetype length = std::min(next, size) - start;
        if (length > longestLength) {
            longestLength = length;
            m_longest = lineCount() - 1;
        }
        start = next;
    }
}

// Where the line's text ends, before its CR LF or LF.
qsizetype TextLinesView::lineEnd(qsizetype index) const
{
    qsizetype end =
        index + 1 < lineCount() ? m_starts[static_cast<std::size_t>(index + 1)] : m_text.size();
    const qsizetype start = m_starts[static_cast<std::size_t>(index)];
    if (end > start && m_text.at(end - 1) == QLatin1Char('\n'))
        --end;
    if (end > start && m_text.at(end - 1) == QLatin1Char('\r'))
        --end;
    return end;
}

QString TextLinesView::line(qsizetype index) const
{
    if (index < 0 || index >= lineCount())
        return {};
    const qsizetype start = m_starts[static_cast<std::size_t>(index)];
    return m_text.mid(start, lineEnd(index) - start);
}

int TextLinesView::longestLineWidth() const
{
    return m_longest < 0 ? 0 : fontMetrics().horizontalAdvance(line(m_longest)) + 2 * kMargin;
}

int TextLinesView::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int TextLinesView::visibleLines() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

qsizetype TextLinesView::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

qsizetype TextLinesView::lineAt(int y) const
{
    const qsizetype index = firstVisibleLine() + (y < 0 ? -1 : y / lineHeight());
    return std::clamp<qsizetype>(index, 0, std::max<qsizetype>(0, lineCount() - 1));
}

void TextLinesView::updateScrollBars()
{
    QScrollBar* const vertical = verticalScrollBar();
    const int pageLines = visibleLines();
    vertical->setRange(0, static_cast<int>(std::max<qsizetype>(0, lineCount() - pageLines)));
    vertical->setPageStep(pageLines);
    vertical->setSingleStep(1);
    QScrollBar* const horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, m_contentWidth - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(fontMetrics().averageCharWidth());
}

// The longest line by characters need not be the widest in a proportional font: a wider one
// seen while painting widens the scroll range.
void TextLinesView::widenTo(int width)
{
    if (width <= m_contentWidth)
        return;
    m_contentWidth = width;
    updateScrollBars();
}

void TextLinesView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    const int height = lineHeight();
    const int x = kMargin - horizontalScrollBar()->value();
    const int ascent = fontMetrics().ascent();
    const qsizetype first = firstVisibleLine();
    const qsizetype last = std::min(lineCount(), first + visibleLines() + 1);
    const qsizetype selectedFirst = selectionFirst();
    const qsizetype selectedLast = selectionLast();
    int widest = 0;
    for (qsizetype index = first; index < last; ++index) {
        const int y = static_cast<int>(index - first) * height;
        const bool selected = index >= selectedFirst && index <= selectedLast;
        if (selected)
            painter.fillRect(0, y, viewport()->width(), height, palette().highlight());
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QString text = line(index);
        painter.drawText(x, y + ascent, text);
        widest = std::max(widest, fontMetrics().horizontalAdvance(text));
    }
    widenTo(widest + 2 * kMargin);
}

void TextLinesView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TextLinesView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_contentWidth = longestLineWidth();
        updateScrollBars();
    }
}

void TextLinesView::scrollToLine(qsizetype index)
{
    const qsizetype first = firstVisibleLine();
    const int pageLines = visibleLines();
    if (index < first)
        verticalScrollBar()->setValue(static_cast<int>(index));
    else if (index >= first + pageLines)
        verticalScrollBar()->setValue(static_cast<int>(index - pageLines + 1));
}

qsizetype TextLinesView::selectionFirst() const
{
    return std::min(m_anchor, m_current);
}

qsizetype TextLinesView::selectionLast() const
{
    return std::max(m_anchor, m_current);
}

void TextLinesView::selectTo(qsizetype index)
{
    if (m_anchor < 0)
        m_anchor = index;
    m_current = index;
    scrollToLine(index);
    viewport()->update();
}

void TextLinesView::selectAll()
{
    if (lineCount() == 0)
        return;
    m_anchor = 0;
    m_current = lineCount() - 1;
    viewport()->update();
}

QString TextLinesView::selectedText() const
{
    if (!hasSelection())
        return {};
    const qsizetype start = m_starts[static_cast<std::size_t>(selectionFirst())];
    const qsizetype last = selectionLast();
    const qsizetype end =
        last + 1 < lineCount() ? m_starts[static_cast<std::size_t>(last + 1)] : m_text.size();
    return m_text.mid(start, end - start);
}

void TextLinesView::copy() const
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TextLinesView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    QScrollBar* const vertical = verticalScrollBar();
    QScrollBar* const horizontal = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return;
    case Qt::Key_Down:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return;
    case Qt::Key_PageUp:
        vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
        return;
    case Qt::Key_PageDown:
        vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return;
    case Qt::Key_Home:
        vertical->triggerAction(QAbstractSlider::SliderToMinimum);
        horizontal->triggerAction(QAbstractSlider::SliderToMinimum);
        return;
    case Qt::Key_End:
        vertical->triggerAction(QAbstractSlider::SliderToMaximum);
        return;
    case Qt::Key_Left:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return;
    case Qt::Key_Right:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TextLinesView::mousePressEvent(QMouseEvent* event)
{
    if (lineCount() == 0 || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = -1;
    selectTo(lineAt(event->position().toPoint().y()));
}

void TextLinesView::mouseMoveEvent(QMouseEvent* event)
{
    if (lineCount() == 0 || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    selectTo(lineAt(event->position().toPoint().y()));
}

void TextLinesView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* const copyAction = menu.addAction(QStringLiteral("&Copy"));
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    connect(copyAction, &QAction::triggered, this, &TextLinesView::copy);
    QAction* const selectAllAction = menu.addAction(QStringLiteral("Select &All"));
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    selectAllAction->setEnabled(lineCount() > 0);
    connect(selectAllAction, &QAction::triggered, this, &TextLinesView::selectAll);
    menu.exec(event->globalPos());
}
