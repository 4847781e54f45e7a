#pragma once

#include <memory>

#include <QDialog>

#include "app/feedback/CL.h"

class QPlainTextEdit;
class QPushButton;

namespace zentrel {
class CAttributes;
class CLog;
} // namespace zentrel

// The uninstall survey: the user's reason, a few usage counts and the log, sent once the
// program is started with "/uninstall". Sending, Cancel and closing the form end the program
// (EndProgram); a failed send offers Retry with the same record.
class FSendInfo final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FSendInfo)

public:
    explicit FSendInfo(QWidget* parent = nullptr);

    void init(std::shared_ptr<zentrel::CLog> Log);

    QPlainTextEdit* txtReason() const { return m_txtReason; }
    QPushButton* cmdSend() const { return m_cmdSend; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }
    CL& transport() { return m_transport; }
    bool ended() const { return m_ended; }

    void cmdSend_Click();
    void cmdCancel_Click();

signals:
    // The survey is over; the program ends.
    void EndProgram();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    zentrel::CAttributes BuildParams() const;
    void setControlsEnabled(bool enabled);
    // Ends the program, or, while a record is on its way, cancels it and ends when it stops.
    void requestEnd();
    void end();

    std::shared_ptr<zentrel::CLog> m_log;
    QPlainTextEdit* m_txtReason;
    QPushButton* m_cmdSend;
    QPushButton* m_cmdCancel;
    CL m_transport;
    bool m_endAfterSend = false;
    bool m_ended = false;
};
