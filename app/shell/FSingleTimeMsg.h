#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// A message with a "do not show again" box. OK and the close box hide it; the caller reads the
// box and then drops the form.
class FSingleTimeMsg final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FSingleTimeMsg)

public:
    explicit FSingleTimeMsg(QWidget* parent = nullptr);

    QLabel* Picture1() const { return m_picture1; }
    QLabel* lblMessage() const { return m_lblMessage; }
    QCheckBox* chkDontShowAgain() const { return m_chkDontShowAgain; }
    QPushButton* cmdOK() const { return m_cmdOK; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QLabel* m_picture1;
    QLabel* m_lblMessage;
    QCheckBox* m_chkDontShowAgain;
    QPushButton* m_cmdOK;
};
