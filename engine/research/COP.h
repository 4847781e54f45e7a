#pragma once

#include <QObject>
#include <QString>

#include "engine/platform/CDataNode.h"
#include "engine/platform/CLog.h"

namespace zentrel {

class CAttributes;

// The suggestion-service page parser.
class COP final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(COP)

public:
    explicit COP(QObject* parent = nullptr);
    ~COP() override;

    void Init(CLogPtr Log) { m_log = std::move(Log); }

    // The count list: one attribute per phrase, named by the normalised phrase, valued by its
    // monthly searches. A page that cannot be read is logged and gives what was read before.
    CDataNode Parse(const QString& HTML) const;

    // Adds the page's phrases with their counts to `counts`, in page order, each phrase once (the
    // first row wins). Raises when the page has no form or no table, or on a count beyond 32 bits;
    // the rows read before a failure stay.
    static void ReadCounts(const QString& html, CAttributes& counts);

    // The number at the start of a text (sign, digits, decimal point), rounded half to even;
    // 0 when there is none. Raises on a number beyond 32 bits.
    static int LeadingNumber(const QString& text);

private:
    CLogPtr m_log;
};

} // namespace zentrel
