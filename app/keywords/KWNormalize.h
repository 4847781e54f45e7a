#pragma once

#include <QString>

// Free text to one keyword per line, as the clipboard paste of the add-keywords dialog needs it.
class KWNormalize {
public:
    static QString NormalizeKWList(const QString& text);
};
