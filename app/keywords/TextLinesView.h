#pragma once

#include <vector>

#include <QAbstractScrollArea>
#include <QString>

// A read-only, unwrapped view of a plain text of any length. It keeps the text and the start of
// each line and paints only the lines in sight, so a text of a million lines shows at once where
// a text document would lay out every line first. Whole lines are selected with the mouse or
// Ctrl+A and copied with Ctrl+C or the context menu.
class TextLinesView final : public QAbstractScrollArea {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextLinesView)

public:
    explicit TextLinesView(QWidget* parent = nullptr);

    void setText(const QString& text);
    void clear() { setText(QString()); }
    const QString& text() const { return m_text; }

    // A line break ends a line; a text ending with one has no empty line after it.
    qsizetype lineCount() const { return static_cast<qsizetype>(m_starts.size()); }
    QString line(qsizetype index) const;
    qsizetype firstVisibleLine() const;

    // The selected lines as they stand in the text, their line breaks included.
    bool hasSelection() const { return m_anchor >= 0; }
    QString selectedText() const;
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void indexLines();
    qsizetype lineEnd(qsizetype index) const;
    qsizetype lineAt(int y) const;
    int longestLineWidth() const;
    int lineHeight() const;
    int visibleLines() const;
    void updateScrollBars();
    void widenTo(int width);
    void scrollToLine(qsizetype index);
    void selectTo(qsizetype index);
    qsizetype selectionFirst() const;
    qsizetype selectionLast() const;

    QString m_text;
    std::vector<qsizetype> m_starts;
    qsizetype m_longest = -1; // the line with the most characters
    int m_contentWidth = 0;
    qsizetype m_anchor = -1;
    qsizetype m_current = -1;
};
