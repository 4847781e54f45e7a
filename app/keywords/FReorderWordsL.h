#pragma once

#include <QDialog>

class KWIcons;
class KWLog;
class QLabel;
class QListWidget;
class QPushButton;

// "Reorder Words In Keyword" for four or more words: the words are moved by hand.
class FReorderWordsL final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FReorderWordsL)

public:
    explicit FReorderWordsL(QWidget* parent = nullptr);

    bool OKPressed() const { return m_okPressed; }
    QString SelectedOrder() const { return m_selectedOrder; }
    void init(KWLog* log, const QString& kw, const KWIcons* il, const QString& smallIcon);

    void MoveUp();
    void MoveDown();
    void MakeFirst();
    void MakeLast();
    QString ResultText() const;

    QListWidget* lv() const { return m_lv; }
    QLabel* lblResult() const { return m_lblResult; }

    void accept() override;

private:
    int selectedRow() const;
    QString joinedWords() const;
    void moveText(int from, int to);
    void showResult();

    KWLog* m_log = nullptr;
    bool m_okPressed = false;
    QString m_selectedOrder;
    QListWidget* m_lv;
    QLabel* m_lblResult;
};
