#include "app/feedback/mZip.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include <zip.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

struct Entry {
    QString path; // the file on disk; empty for a directory entry
    QString name; // the name inside the archive
};

bool hasWildcards(const QString& name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')) ||
           name.contains(QLatin1Char('['));
}

// Builds the list of entries from the specifications.
class EntryCollector {
public:
    EntryCollector(const ZpOptions& options, const QDir& base)
        : m_options(options)
        , m_base(base)
    {
    }

    // False when the pattern matched nothing.
    bool add(const QString& spec)
    {
        const QFileInfo info(m_base.absoluteFilePath(spec));
        if (hasWildcards(info.fileName()))
            return addMatches(info.absolutePath(), info.fileName()) > 0;
        if (info.isDir())
            return recurse() ? addMatches(info.absoluteFilePath(), QStringLiteral("*")) > 0
                             : addDirectory(info.absoluteFilePath());
        if (!info.isFile())
            return false;
        addFile(info.absoluteFilePath());
        return true;
    }

    std::vector<Entry> entries() const
    {
        std::vector<Entry> result;
        if (storeDirectories()) {
            for (const QString& folder : m_folders)
                result.push_back({QString(), folder});
        }
        result.insert(result.end(), m_files.begin(), m_files.end());
        return result;
    }

private:
    bool recurse() const { return m_options.fRecurse != 0; }
    bool junkFolders() const { return m_options.fJunkDir != 0; }
    bool storeDirectories() const { return m_options.fNoDirEntries == 0 && !junkFolders(); }

    // Returns the number of files found.
    int addMatches(const QString& folder, const QString& pattern)
    {
        QDir::Filters filters = QDir::Files | QDir::NoDotAndDotDot;
        if (m_options.fSystem != 0)
            filters |= QDir::Hidden | QDir::System;
        QDirIterator it(folder, {pattern}, filters,
                        recurse() ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
        QStringList found;
        while (it.hasNext())
            found << it.next();
        found.sort();
        for (const QString& path : found)
            addFile(path);
        return static_cast<int>(found.size());
    }

    // A lone directory is a match only when directories are stored.
    bool addDirectory(const QString& path)
    {
        if (!storeDirectories())
            return false;
        addFolder(nameOf(path) + QLatin1Char('/'));
        return true;
    }

    void addFolder(const QString& name)
    {
        if (!m_folderSet.contains(name)) {
            m_folderSet.insert(name);
            m_folders << name;
        }
    }

    void addFile(const QString& path)
    {
        const QString name = junkFolders() ? QFileInfo(path).fileName() : nameOf(path);
        if (m_names.contains(name))
            return;
        m_names.insert(name);
        for (qsizetype slash = name.indexOf(QLatin1Char('/')); slash > 0;
             slash = name.indexOf(QLatin1Char('/'), slash + 1))
            addFolder(name.left(slash + 1));
        m_files.push_back({path, name});
    }

    // The path below the base folder, or the absolute path without its leading "/".
    QString nameOf(const QString& path) const
    {
        const QString relative = m_base.relativeFilePath(path);
        if (relative != QLatin1String("..") && !relative.startsWith(QLatin1String("../")))
            return relative;
        QString name = QDir::cleanPath(path);
        while (name.startsWith(QLatin1Char('/')))
            name.remove(0, 1);
        return name;
    }

    const ZpOptions& m_options;
    QDir m_base;
    std::vector<Entry> m_files;
    QStringList m_folders;
    QSet<QString> m_folderSet;
    QSet<QString> m_names;
};

// An open archive, discarded unless closed.
class Archive {
public:
    Archive(const QString& path, int flags)
    {
        int code = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), flags, &code);
        if (m_zip == nullptr) {
            zip_error_t error;
            zip_error_init_with_code(&error, code);
            m_error = QString::fromLocal8Bit(zip_error_strerror(&error));
            zip_error_fini(&error);
        }
    }
    ~Archive()
    {
        if (m_zip != nullptr)
            zip_discard(m_zip);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    zip_t* get() const { return m_zip; }
    QString error() const { return m_zip ? QString::fromLocal8Bit(zip_strerror(m_zip)) : m_error; }

    bool close()
    {
        if (zip_close(m_zip) != 0)
            return false;
        m_zip = nullptr;
        return true;
    }

private:
    zip_t* m_zip = nullptr;
    QString m_error;
};

QByteArray convertLineEnds(QByteArray data, const ZpOptions& options)
{
    if (options.fCRLF_LF != 0)
        data.replace("\r\n", "\n");
    if (options.fLF_CRLF != 0) {
        data.replace("\r\n", "\n");
        data.replace("\n", "\r\n");
    }
    return data;
}

// Whether the file goes in, by the update and freshen switches and the entry already there.
bool wanted(zip_t* zip, const Entry& entry, const ZpOptions& options, zip_int64_t existing)
{
    if (existing < 0)
        return options.fFreshen == 0;
    if (options.fUpdate == 0 && options.fFreshen == 0)
        return true;
    zip_stat_t stat;
    if (zip_stat_index(zip, static_cast<zip_uint64_t>(existing), 0, &stat) != 0)
        return true;
    return QFileInfo(entry.path).lastModified().toSecsSinceEpoch() > stat.mtime;
}

class Packer {
public:
    Packer(const mZip::Callbacks& callbacks, const ZpOptions& options, QString& error)
        : m_callbacks(callbacks)
        , m_options(options)
        , m_error(error)
    {
    }

    bool add(const QString& archivePath, const std::vector<Entry>& entries)
    {
        // An existing archive is worked on only when appending, updating or freshening;
        // otherwise it is replaced.
        const bool keep =
            QFileInfo::exists(archivePath) &&
            (m_options.fGrow != 0 || m_options.fUpdate != 0 || m_options.fFreshen != 0);
        Archive archive(archivePath, keep ? 0 : ZIP_CREATE | ZIP_TRUNCATE);
        if (archive.get() == nullptr)
            return fail(archive.error());
        if (m_options.fEncrypt != 0 && !askPassword())
            return fail(QStringLiteral("No password was given."));
        std::vector<QString> moved;
        for (const Entry& entry : entries) {
            const QByteArray name = entry.name.toUtf8();
            const zip_int64_t existing = zip_name_locate(archive.get(), name.constData(), 0);
            if (entry.path.isEmpty()) {
                if (existing < 0 &&
                    zip_dir_add(archive.get(), name.constData(), ZIP_FL_ENC_UTF_8) < 0)
                    return fail(archive.error());
                continue;
            }
            if (!wanted(archive.get(), entry, m_options, existing))
                continue;
            if (!addFile(archive.get(), entry, existing))
                return false;
            moved.push_back(entry.path);
        }
        // No archive ever carries a comment.
        zip_set_archive_comment(archive.get(), nullptr, 0);
        if (!archive.close())
            return fail(archive.error());
        if (m_options.fMove != 0) {
            for (const QString& path : moved)
                QFile::remove(path);
        }
        return true;
    }

private:
    bool fail(const QString& reason)
    {
        m_error = reason;
        return false;
    }

    bool askPassword()
    {
        bool cancel = false;
        m_password.clear();
        if (m_callbacks.passwordRequest)
            m_callbacks.passwordRequest(m_password, cancel);
        m_password = m_password.trimmed();
        return !cancel && !m_password.isEmpty();
    }

    bool addFile(zip_t* archive, const Entry& entry, zip_int64_t existing)
    {
        QFile file(entry.path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("Cannot read '%1': %2").arg(entry.path, file.errorString()));
        const QByteArray data = convertLineEnds(file.readAll(), m_options);
        // libzip frees the copy when the archive is closed or discarded.
        void* copy = std::malloc(static_cast<std::size_t>(std::max<qsizetype>(data.size(), 1)));
        if (copy == nullptr)
            return fail(QStringLiteral("Out of memory."));
        std::memcpy(copy, data.constData(), static_cast<std::size_t>(data.size()));
        zip_source_t* source =
            zip_source_buffer(archive, copy, static_cast<zip_uint64_t>(data.size()), 1);
        if (source == nullptr) {
            std::free(copy);
            return fail(QString::fromLocal8Bit(zip_strerror(archive)));
        }
        const QByteArray name = entry.name.toUtf8();
        zip_int64_t index = existing;
        if (existing >= 0) {
            if (zip_file_replace(archive, static_cast<zip_uint64_t>(existing), source, 0) < 0)
                index = -1;
        } else {
            index = zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8);
        }
        if (index < 0) {
            zip_source_free(source);
            return fail(QString::fromLocal8Bit(zip_strerror(archive)));
        }
        const auto at = static_cast<zip_uint64_t>(index);
        const time_t modified = QFileInfo(entry.path).lastModified().toSecsSinceEpoch();
        if (zip_set_file_compression(archive, at, ZIP_CM_DEFLATE, m_options.fLevel) < 0 ||
            zip_file_set_mtime(archive, at, modified, 0) < 0)
            return fail(QString::fromLocal8Bit(zip_strerror(archive)));
        if (m_options.fEncrypt != 0 &&
            zip_file_set_encryption(archive, at, ZIP_EM_AES_256,
                                    m_password.toUtf8().left(254).constData()) < 0)
            return fail(QString::fromLocal8Bit(zip_strerror(archive)));
        report(QStringLiteral("  adding: ") + entry.name,
               QStringLiteral(" (%1 bytes)").arg(data.size()));
        return true;
    }

    void report(const QString& line, const QString& detail)
    {
        if (m_options.fQuiet != 0)
            return;
        if (m_callbacks.progress)
            m_callbacks.progress(1, m_options.fVerbose != 0 ? line + detail : line);
    }

    const mZip::Callbacks& m_callbacks;
    const ZpOptions& m_options;
    QString& m_error;
    QString m_password;
};

bool matchesAny(const QString& name, const QList<QRegularExpression>& patterns)
{
    for (const QRegularExpression& pattern : patterns) {
        if (pattern.match(name).hasMatch())
            return true;
    }
    return false;
}

bool deleteEntries(const QString& archivePath, const QStringList& specs, QString& error)
{
    Archive archive(archivePath, 0);
    if (archive.get() == nullptr) {
        error = archive.error();
        return false;
    }
    QList<QRegularExpression> patterns;
    for (const QString& spec : specs)
        patterns << QRegularExpression(QRegularExpression::wildcardToRegularExpression(
            spec, QRegularExpression::UnanchoredWildcardConversion));
    int deleted = 0;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
        if (name != nullptr && matchesAny(QString::fromUtf8(name), patterns) &&
            zip_delete(archive.get(), static_cast<zip_uint64_t>(i)) == 0)
            ++deleted;
    }
    if (deleted == 0) {
        error = QStringLiteral("Nothing to delete.");
        return false;
    }
    if (!archive.close()) {
        error = archive.error();
        return false;
    }
    return true;
}

} // namespace

bool mZip::VBZip(const Callbacks& callbacks, const ZpOptions& options, const QString& zipFile,
                 const QStringList& specs, QString& error)
{
    const QString baseFolder = options.rootDir.trimmed();
    const QDir base(baseFolder.isEmpty() ? QDir::currentPath() : baseFolder);
    const QString archivePath = base.absoluteFilePath(zipFile.trimmed());
    if (zipFile.trimmed().isEmpty()) {
        error = QStringLiteral("No archive name.");
        return false;
    }
    if (options.fDeleteEntries != 0)
        return deleteEntries(archivePath, specs, error);

    EntryCollector collector(options, base);
    bool matched = false;
    for (const QString& spec : specs) {
        if (collector.add(spec))
            matched = true;
        else if (callbacks.progress)
            callbacks.progress(1, QStringLiteral("  zip warning: name not matched: ") + spec);
    }
    const std::vector<Entry> entries = collector.entries();
    if (!matched || entries.empty()) {
        error = QStringLiteral("Nothing to do.");
        return false;
    }
    return Packer(callbacks, options, error).add(archivePath, entries);
}
