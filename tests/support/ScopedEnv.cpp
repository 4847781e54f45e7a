#include "tests/support/ScopedEnv.h"

#include <QtGlobal>

namespace testsupport {

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : m_name(name)
    , m_previous(qgetenv(name))
    , m_had(qEnvironmentVariableIsSet(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_had)
        qputenv(m_name, m_previous);
    else
        qunsetenv(m_name);
}

} // namespace testsupport
