#pragma once

#include <array>

#include <QDialog>

#include "engine/platform/CKeyedCollection.h"

class KWLineCounter;
class KWLog;
class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTimer;

// "Add Keywords": the user types or pastes keywords, one per line, and may pick a relevancy for
// all of them. The rank choice carries over to the next dialog while the program runs
// (MMain::DefaultSetRank, MMain::DefaultRank).
class FAddKWs final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FAddKWs)

public:
    explicit FAddKWs(QWidget* parent = nullptr);
    ~FAddKWs() override;

    void init(KWLog* log, const QString& text);

    bool OKPressed() const { return m_okPressed; }
    bool SetRank() const;
    int SelectedRank() const; // -1 when none is selected
    zentrel::CKeyedCollection KWs() const;

    // The keywords' text with CR LF line ends; the caller may replace it between two showings.
    // A long text goes into the box a piece at a time while the dialog shows; Text() is the whole
    // text meanwhile.
    QString Text() const;
    void setText(const QString& text);
    // True while a long text is still going into the box: the box is read-only and OK disabled.
    bool isLoading() const { return !m_pending.isEmpty(); }

    static zentrel::CKeyedCollection SplitKWs(const QString& text);

    QPlainTextEdit* txtKWs() const { return m_txtKWs; }
    QCheckBox* chkSetRank() const { return m_chkSetRank; }
    QRadioButton* optRank(int index) const { return m_optRank[static_cast<std::size_t>(index)]; }
    QPushButton* cmdOK() const { return m_cmdOK; }
    QPushButton* cmdPaste() const { return m_cmdPaste; }
    QString statusText() const;

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fillSome();
    void endFill();
    void refreshLineCount();
    void paste();
    void enableRanks();

    KWLog* m_log = nullptr;
    bool m_okPressed = false;
    QPlainTextEdit* m_txtKWs;
    QCheckBox* m_chkSetRank;
    std::array<QRadioButton*, 6> m_optRank{}; // 1 to 5 used
    QPushButton* m_cmdPaste;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
    QStatusBar* m_sb;
    QProgressBar* m_fillProgress;
    QTimer* m_fill;
    QString m_pending;      // the whole text while it goes into the box
    qsizetype m_filled = 0; // how much of it is in
    KWLineCounter* m_lineCounter;
};
