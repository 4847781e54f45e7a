#pragma once

#include <cstdint>
#include <stdexcept>

#include <QString>

namespace zentrel {

// Base of the numbers of errors raised by an object (the engine's own errors add a message id).
inline constexpr std::uint32_t kObjectErrorBase = 0x80040000u;
inline constexpr std::uint32_t kInvalidArgument = 0x80070057u; // E_INVALIDARG
inline constexpr std::uint32_t kNotImplemented = 0x80004001u;  // E_NOTIMPL
inline constexpr std::uint32_t kUnexpected = 0x8000FFFFu;      // E_UNEXPECTED

constexpr std::uint32_t objectError(int messageId)
{
    return kObjectErrorBase + static_cast<std::uint32_t>(messageId);
}

// The one error type of the system: a 32-bit number, a description and the source that raised it.
class ZError : public std::runtime_error {
public:
    ZError(std::uint32_t number, const QString& description, const QString& source = {});

    std::uint32_t number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const QString& source() const noexcept { return m_source; }

    // The number as the signed 32-bit value the log and the user see.
    std::int32_t signedNumber() const noexcept { return static_cast<std::int32_t>(m_number); }

private:
    std::uint32_t m_number;
    QString m_description;
    QString m_source;
};

} // namespace zentrel
