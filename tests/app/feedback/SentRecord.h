#pragma once

#include <string>

#include <QByteArray>
#include <QDir>
#include <QString>

#include "engine/platform/CUtilities.h"
#include "tests/app/feedback/ZipReader.h"

// A posted feedback body taken apart: the subject and the XML file inside the zipped value.
struct SentRecord {
    bool decoded = false;
    QString subject;
    QString fileName;
    QByteArray xml;
    zip_uint16_t method = 0;

    // The record id: the subject's text after its last backslash.
    QString id() const { return subject.section(QLatin1Char('\\'), -1); }
};

// Undoes the four escapes of the body's values.
inline QString unescapeURLPart(QString text)
{
    text.replace(QStringLiteral("%5C"), QStringLiteral("\\"));
    text.replace(QStringLiteral("%0A"), QStringLiteral("\n"));
    text.replace(QStringLiteral("%0D"), QStringLiteral("\r"));
    text.replace(QStringLiteral("%2B"), QStringLiteral("+"));
    return text;
}

inline SentRecord decodeBody(const std::string& body)
{
    SentRecord record;
    const QString text = QString::fromStdString(body);
    const qsizetype value = text.indexOf(QStringLiteral("&value="));
    if (!text.startsWith(QStringLiteral("subject=")) || value < 0)
        return record;
    record.subject = unescapeURLPart(text.mid(8, value - 8));
    const QByteArray archive = QByteArray::fromBase64(
        unescapeURLPart(text.mid(value + 7)).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const ZipContent content = readZip(archive);
    if (!content.opened || content.entries.size() != 1)
        return record;
    record.fileName = content.entries[0].name;
    record.xml = content.entries[0].data;
    record.method = content.entries[0].method;
    record.decoded = true;
    return record;
}

// The files left in the program's temporary folder.
inline QStringList tempFiles()
{
    return QDir(zentrel::CUtilities::TempFolder()).entryList(QDir::Files | QDir::Hidden);
}
