#include "app/shell/MsgScript.h"

#include <QStringList>

MsgScript::MsgScript()
    : m_previous(MsgService::exchangeAnswerer(this))
{
}

MsgScript::~MsgScript()
{
    MsgService::exchangeAnswerer(m_previous);
}

QList<MsgService::Request> MsgScript::shown(MsgService::Kind kind) const
{
    QList<MsgService::Request> result;
    for (const MsgService::Request& request : m_shown) {
        if (request.kind == kind)
            result.append(request);
    }
    return result;
}

QStringList MsgScript::prompts() const
{
    QStringList result;
    for (const MsgService::Request& request : m_shown)
        result.append(request.prompt);
    return result;
}

int MsgScript::messageAnswer(const MsgService::Request& request)
{
    m_shown.append(request);
    if (m_onMessage)
        m_onMessage(request);
    if (m_buttons.isEmpty())
        return MsgService::escapeButton(request.style);
    return m_buttons.dequeue();
}

QString MsgScript::inputAnswer(const MsgService::Request& request)
{
    m_shown.append(request);
    return m_inputs.isEmpty() ? QString() : m_inputs.dequeue();
}

QString MsgScript::fileAnswer(const MsgService::Request& request)
{
    m_shown.append(request);
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

bool MsgScript::singleTimeAnswer(const MsgService::Request& request)
{
    m_shown.append(request);
    return m_checks.isEmpty() ? false : m_checks.dequeue();
}
