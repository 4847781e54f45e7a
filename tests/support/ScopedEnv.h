#pragma once

#include <QByteArray>

namespace testsupport {

// Sets an environment variable for the lifetime of the object (a null value unsets it), then
// restores what was there before.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    QByteArray m_previous;
    bool m_had;
};

} // namespace testsupport
