#pragma once

#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

// The value elements of a record (after "cat" and "id"), in order; empty pairs on a parse error.
inline std::vector<std::pair<QString, QString>> recordValues(const QByteArray& xml,
                                                             bool* wellFormed = nullptr)
{
    std::vector<std::pair<QString, QString>> values;
    QXmlStreamReader reader(xml);
    reader.readNextStartElement(); // <xml>
    while (reader.readNextStartElement()) {
        const QString name = reader.name().toString();
        const QString text = reader.readElementText();
        if (name != u"cat" && name != u"id")
            values.emplace_back(name, text);
    }
    if (wellFormed)
        *wellFormed = !reader.hasError();
    return values;
}

inline QStringList namesOf(const std::vector<std::pair<QString, QString>>& values)
{
    QStringList names;
    for (const auto& value : values)
        names << value.first;
    return names;
}

inline QString valueOf(const std::vector<std::pair<QString, QString>>& values, const QString& name)
{
    for (const auto& value : values) {
        if (value.first == name)
            return value.second;
    }
    return {};
}
