#pragma once

#include <vector>

#include <zip.h>

#include <QByteArray>
#include <QFile>
#include <QString>

// Reads a zip archive back with libzip for the tests.
struct ZipEntry {
    QString name;
    QByteArray data;
    zip_uint16_t method = 0;
};

struct ZipContent {
    bool opened = false;
    std::vector<ZipEntry> entries;
    QByteArray comment;
};

inline ZipContent readZip(const QByteArray& bytes)
{
    ZipContent content;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(
        bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
    zip_t* archive =
        source ? zip_open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (archive == nullptr) {
        if (source)
            zip_source_free(source);
        return content;
    }
    content.opened = true;
    int length = 0;
    if (const char* comment = zip_get_archive_comment(archive, &length, 0))
        content.comment = QByteArray(comment, length);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        ZipEntry entry;
        entry.name = QString::fromUtf8(stat.name);
        entry.method = stat.comp_method;
        if (zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0)) {
            entry.data.resize(static_cast<qsizetype>(stat.size));
            zip_fread(file, entry.data.data(), stat.size);
            zip_fclose(file);
        }
        content.entries.push_back(entry);
    }
    zip_close(archive);
    return content;
}

inline ZipContent readZipFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readZip(file.readAll());
}
