#pragma once

#include <QByteArray>
#include <QString>

// A keyword text file's text: UTF-8 (with or without a byte-order mark) when its bytes are
// valid UTF-8, else Windows-1252, so that accented keywords keep their accents either way.
class KWTextFile {
public:
    static QString Read(const QString& path);
    static QString Decode(const QByteArray& bytes);
};
