#include "app/shell/LoggingGuard.h"

LoggingGuard::LoggingGuard(Writer writer, int level, QString source, std::int32_t otherNumber)
    : m_writer(std::move(writer))
    , m_level(level)
    , m_source(std::move(source))
    , m_otherNumber(otherNumber)
{
}

void LoggingGuard::write(const zentrel::ZError& error) const
{
    if (m_writer)
        m_writer(error.signedNumber(), error.description(), m_level, m_source);
}

void LoggingGuard::write(const std::exception& error) const
{
    if (const auto* zerror = dynamic_cast<const zentrel::ZError*>(&error))
        write(*zerror);
    else if (m_writer)
        m_writer(m_otherNumber, QString::fromLocal8Bit(error.what()), m_level, m_source);
}

void LoggingGuard::writeUnknown() const
{
    if (m_writer)
        m_writer(0, QStringLiteral("Unknown error"), m_level, m_source);
}
