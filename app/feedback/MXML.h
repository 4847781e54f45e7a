#pragma once

#include <QString>

// XML text helpers of the feedback record.
class MXML {
public:
    // "&" first, then the double quote, "<", ">" and "'" as entities; characters that XML 1.0
    // does not allow (control characters but tab, CR and LF, lone surrogates, U+FFFE, U+FFFF)
    // are dropped, so the record stays well-formed whatever the log holds.
    static QString XmlEscape(const QString& Text);
};
