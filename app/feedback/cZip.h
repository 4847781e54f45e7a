#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "app/feedback/ZpOptions.h"

// Packs files into a standard zip archive (and deletes entries from one): the zip library's
// option record, the archive's name and a list of file specifications (paths or wildcard
// patterns), run by mZip.
//
// Switches without effect on this platform, kept so that the option record stays whole: the
// volume label, system files (hidden files, those starting with ".", are taken by wildcards and
// recursion only with IncludeSystemAndHiddenFiles), short names, extra attributes, dates,
// suffixes, offsets, privileges and repair.
class cZip final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cZip)

public:
    explicit cZip(QObject* parent = nullptr);

    QString ZipFile() const { return m_zipFile; }
    void setZipFile(const QString& path) { m_zipFile = path; }
    QString BasePath() const { return m_options.rootDir; }
    void setBasePath(const QString& path) { m_options.rootDir = path; }

    bool Encrypt() const { return m_options.fEncrypt == 1; }
    void setEncrypt(bool on) { m_options.fEncrypt = on ? 1 : 0; }
    bool IncludeSystemAndHiddenFiles() const { return m_options.fSystem == 1; }
    void setIncludeSystemAndHiddenFiles(bool on) { m_options.fSystem = on ? 1 : 0; }
    bool StoreVolumeLabel() const { return m_options.fVolume == 1; }
    void setStoreVolumeLabel(bool on) { m_options.fVolume = on ? 1 : 0; }
    // Inverted: the record holds "no directory entries" and "junk folder names".
    bool StoreDirectories() const { return m_options.fNoDirEntries == 0; }
    void setStoreDirectories(bool on) { m_options.fNoDirEntries = on ? 0 : 1; }
    bool StoreFolderNames() const { return m_options.fJunkDir == 0; }
    void setStoreFolderNames(bool on) { m_options.fJunkDir = on ? 0 : 1; }
    bool RecurseSubDirs() const { return m_options.fRecurse == 2; }
    void setRecurseSubDirs(bool on) { m_options.fRecurse = on ? 2 : 0; }
    bool UpdateOnlyIfNewer() const { return m_options.fUpdate == 1; }
    void setUpdateOnlyIfNewer(bool on) { m_options.fUpdate = on ? 1 : 0; }
    bool FreshenFiles() const { return m_options.fFreshen == 1; }
    void setFreshenFiles(bool on) { m_options.fFreshen = on ? 1 : 0; }
    // 0 verbose, 1 quiet, 2 normal; other values change nothing.
    int MessageLevel() const;
    void setMessageLevel(int level);
    bool ConvertCRLFToLF() const { return m_options.fCRLF_LF == 1; }
    void setConvertCRLFToLF(bool on) { m_options.fCRLF_LF = on ? 1 : 0; }
    bool ConvertLFToCRLF() const { return m_options.fLF_CRLF == 1; }
    void setConvertLFToCRLF(bool on) { m_options.fLF_CRLF = on ? 1 : 0; }
    bool AllowAppend() const { return m_options.fGrow == 1; }
    void setAllowAppend(bool on) { m_options.fGrow = on ? 1 : 0; }

    void ClearFileSpecs() { m_specs.clear(); }
    // Appends a file pattern; returns the new count, which is its 1-based index.
    int AddFileSpec(const QString& sSpec);
    int FileSpecCount() const { return static_cast<int>(m_specs.size()); }
    // The file pattern at a 1-based index; empty outside the list.
    QString FileSpec(int nIndex) const;

    // Packs the files named by the specifications into ZipFile. False when the archive could not
    // be written or nothing matched; lastError() then says why.
    bool Zip();
    // Deletes the archive's entries named by the specifications.
    bool Delete();
    QString lastError() const { return m_lastError; }

    const ZpOptions& options() const { return m_options; }

signals:
    // Declared for the library's interface; never raised.
    void Cancel(const QString& sMsg, bool& bCancel);
    // Asks for the password of an encrypted archive; an empty answer or bCancel cancels.
    void PasswordRequest(QString& sPassword, bool& bCancel);
    // One line of the library's messages.
    void Progress(int lCount, const QString& sMsg);

private:
    bool run();

    ZpOptions m_options;
    QString m_zipFile;
    QStringList m_specs;
    QString m_lastError;
};
