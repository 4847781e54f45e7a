#pragma once

#include <cstdint>

#include <QString>

// Where the keyword pages and their dialogs write their log entries.
class KWLog {
public:
    virtual ~KWLog() = default;
    virtual void Write(std::int32_t number, const QString& text, int level,
                       const QString& source) = 0;
};
