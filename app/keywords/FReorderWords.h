#pragma once

#include <QDialog>

class KWIcons;
class KWLog;
class QTreeWidget;
class QPushButton;

// "Reorder Words In Keyword" for three to five words: every order of the words to pick from.
class FReorderWords final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FReorderWords)

public:
    explicit FReorderWords(QWidget* parent = nullptr);

    bool OKPressed() const { return m_okPressed; }
    QString SelectedOrder() const { return m_selectedOrder; }
    // Raises ZError E_INVALIDARG unless kw has three, four or five words.
    void init(KWLog* log, const QString& kw, const KWIcons* il, const QString& smallIcon);

    QTreeWidget* lv() const { return m_lv; }
    QPushButton* cmdOK() const { return m_cmdOK; }

    void accept() override;
    void reject() override;

private:
    KWLog* m_log = nullptr;
    bool m_okPressed = false;
    QString m_selectedOrder;
    QTreeWidget* m_lv;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
};
