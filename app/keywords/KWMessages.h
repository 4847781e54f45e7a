#pragma once

#include <QString>
#include <QStringList>

// The string-table messages of the keyword pages, and "%1" ... "%n" filling.
class KWMessages {
public:
    static QString Text(int id);
    static QString Format(const QString& templ, const QStringList& args);
};
