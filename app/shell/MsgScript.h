#pragma once

#include <functional>

#include <QList>
#include <QQueue>
#include <QString>

#include "app/shell/MsgService.h"

// Answers the program's boxes and dialogs instead of the user while it lives, and records every
// one asked. With no answer queued a message box gives its Esc answer, an input box and a file
// dialog give Cancel (empty), and the one-time message is left unticked.
class MsgScript final : public MsgService::Answerer {
public:
    MsgScript();
    ~MsgScript() override;
    MsgScript(const MsgScript&) = delete;
    MsgScript& operator=(const MsgScript&) = delete;

    void answer(int button) { m_buttons.enqueue(button); }
    void input(const QString& text) { m_inputs.enqueue(text); }
    void file(const QString& path) { m_files.enqueue(path); }
    void singleTime(bool dontShowAgain) { m_checks.enqueue(dontShowAgain); }
    // Runs as each message box is asked for, before it is answered.
    void onMessage(std::function<void(const MsgService::Request&)> hook)
    {
        m_onMessage = std::move(hook);
    }

    const QList<MsgService::Request>& shown() const { return m_shown; }
    // The requests of one kind, in order.
    QList<MsgService::Request> shown(MsgService::Kind kind) const;
    QStringList prompts() const;
    void clear() { m_shown.clear(); }

    int messageAnswer(const MsgService::Request& request) override;
    QString inputAnswer(const MsgService::Request& request) override;
    QString fileAnswer(const MsgService::Request& request) override;
    bool singleTimeAnswer(const MsgService::Request& request) override;

private:
    MsgService::Answerer* m_previous;
    QQueue<int> m_buttons;
    QQueue<QString> m_inputs;
    QQueue<QString> m_files;
    QQueue<bool> m_checks;
    QList<MsgService::Request> m_shown;
    std::function<void(const MsgService::Request&)> m_onMessage;
};
