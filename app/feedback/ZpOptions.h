#pragma once

#include <QString>

// The zip library's option record, field for field in its published order. Flags are 0 or 1
// unless said otherwise.
struct ZpOptions {
    QString date;
    QString rootDir; // the base folder
    QString tempDir;
    int fTemp = 0;
    int fSuffix = 0;
    int fEncrypt = 0;
    int fSystem = 0; // include system and hidden files
    int fVolume = 0; // store the volume label
    int fExtra = 0;  // exclude extra attributes
    int fNoDirEntries = 0;
    int fExcludeDate = 0;
    int fIncludeDate = 0;
    int fVerbose = 0;
    int fQuiet = 0;
    int fCRLF_LF = 0;
    int fLF_CRLF = 0;
    int fJunkDir = 0;
    int fGrow = 0;
    int fForce = 0; // force short names
    int fMove = 0;
    int fDeleteEntries = 0;
    int fUpdate = 0;
    int fFreshen = 0;
    int fJunkSFX = 0;
    int fLatestTime = 0;
    int fComment = 0;
    int fOffsets = 0;
    int fPrivilege = 0;
    int fEncryption = 0; // encryption supported; read only
    int fRecurse = 0;    // 0, or 2 for recursion into subfolders
    int fRepair = 0;
    char fLevel = 0; // compression level

    bool operator==(const ZpOptions&) const = default;
};
