#include "tests/support/SmallDisk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {

// A file of the small disk: SQLite's handle, followed in the same block by the handle of the
// file system underneath.
struct DiskFile {
    sqlite3_file base;
    SmallDisk* disk;
    sqlite3_file* real;
};

constexpr int kRealOffset = static_cast<int>((sizeof(DiskFile) + 7) & ~std::size_t{7});

SmallDisk& diskOf(sqlite3_vfs* vfs)
{
    return *static_cast<SmallDisk*>(vfs->pAppData);
}

DiskFile& self(sqlite3_file* file)
{
    return *reinterpret_cast<DiskFile*>(file);
}

sqlite3_file* real(sqlite3_file* file)
{
    return self(file).real;
}

sqlite3_int64 sizeOf(sqlite3_file* file)
{
    sqlite3_int64 size = 0;
    return file->pMethods->xFileSize(file, &size) == SQLITE_OK ? size : 0;
}

int fileClose(sqlite3_file* file)
{
    return real(file)->pMethods->xClose(real(file));
}

int fileRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    return real(file)->pMethods->xRead(real(file), buffer, amount, offset);
}

int fileWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    DiskFile& disk = self(file);
    const sqlite3_int64 growth = std::max<sqlite3_int64>(0, offset + amount - sizeOf(disk.real));
    if (!disk.disk->take(growth))
        return SQLITE_FULL;
    const int rc = disk.real->pMethods->xWrite(disk.real, buffer, amount, offset);
    if (rc != SQLITE_OK)
        disk.disk->giveBack(growth);
    return rc;
}

int fileTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    DiskFile& disk = self(file);
    const sqlite3_int64 before = sizeOf(disk.real);
    if (size > before && !disk.disk->take(size - before))
        return SQLITE_FULL;
    const int rc = disk.real->pMethods->xTruncate(disk.real, size);
    if (rc == SQLITE_OK && size < before)
        disk.disk->giveBack(before - size);
    else if (rc != SQLITE_OK && size > before)
        disk.disk->giveBack(size - before);
    return rc;
}

int fileSync(sqlite3_file* file, int flags)
{
    return real(file)->pMethods->xSync(real(file), flags);
}

int fileSize(sqlite3_file* file, sqlite3_int64* size)
{
    return real(file)->pMethods->xFileSize(real(file), size);
}

int fileLock(sqlite3_file* file, int lock)
{
    return real(file)->pMethods->xLock(real(file), lock);
}

int fileUnlock(sqlite3_file* file, int lock)
{
    return real(file)->pMethods->xUnlock(real(file), lock);
}

int fileCheckReservedLock(sqlite3_file* file, int* result)
{
    return real(file)->pMethods->xCheckReservedLock(real(file), result);
}

int fileControl(sqlite3_file* file, int op, void* arg)
{
    return real(file)->pMethods->xFileControl(real(file), op, arg);
}

int fileSectorSize(sqlite3_file* file)
{
    return real(file)->pMethods->xSectorSize(real(file));
}

int fileDeviceCharacteristics(sqlite3_file* file)
{
    return real(file)->pMethods->xDeviceCharacteristics(real(file));
}

int fileShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory)
{
    return real(file)->pMethods->xShmMap(real(file), region, size, extend, memory);
}

int fileShmLock(sqlite3_file* file, int offset, int n, int flags)
{
    return real(file)->pMethods->xShmLock(real(file), offset, n, flags);
}

void fileShmBarrier(sqlite3_file* file)
{
    real(file)->pMethods->xShmBarrier(real(file));
}

int fileShmUnmap(sqlite3_file* file, int deleteFlag)
{
    return real(file)->pMethods->xShmUnmap(real(file), deleteFlag);
}

int fileFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** pointer)
{
    // Pages read through a memory map could be written the same way, past the disk's count.
    (void)file;
    (void)offset;
    (void)amount;
    *pointer = nullptr;
    return SQLITE_OK;
}

int fileUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* pointer)
{
    (void)file;
    (void)offset;
    (void)pointer;
    return SQLITE_OK;
}

const sqlite3_io_methods kMethods = {
    3,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileUnlock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileDeviceCharacteristics,
    fileShmMap,
    fileShmLock,
    fileShmBarrier,
    fileShmUnmap,
    fileFetch,
    fileUnfetch,
};

int vfsOpen(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    SmallDisk& disk = diskOf(vfs);
    std::memset(file, 0, static_cast<std::size_t>(vfs->szOsFile));
    DiskFile& own = self(file);
    own.disk = &disk;
    own.real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kRealOffset);
    const int rc = disk.base()->xOpen(disk.base(), name, own.real, flags, outFlags);
    // SQLite closes a file whose methods are set, even after a failed open.
    own.base.pMethods = own.real->pMethods ? &kMethods : nullptr;
    return rc;
}

int vfsDelete(sqlite3_vfs* vfs, const char* name, int syncDir)
{
    struct stat file {};
    const bool known = ::stat(name, &file) == 0;
    const int rc = diskOf(vfs).base()->xDelete(diskOf(vfs).base(), name, syncDir);
    if (rc == SQLITE_OK && known)
        diskOf(vfs).giveBack(file.st_size);
    return rc;
}

int vfsAccess(sqlite3_vfs* vfs, const char* name, int flags, int* result)
{
    return diskOf(vfs).base()->xAccess(diskOf(vfs).base(), name, flags, result);
}

int vfsFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out)
{
    return diskOf(vfs).base()->xFullPathname(diskOf(vfs).base(), name, size, out);
}

void* vfsDlOpen(sqlite3_vfs* vfs, const char* name)
{
    return diskOf(vfs).base()->xDlOpen(diskOf(vfs).base(), name);
}

void vfsDlError(sqlite3_vfs* vfs, int size, char* message)
{
    diskOf(vfs).base()->xDlError(diskOf(vfs).base(), size, message);
}

void (*vfsDlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void)
{
    return diskOf(vfs).base()->xDlSym(diskOf(vfs).base(), handle, symbol);
}

void vfsDlClose(sqlite3_vfs* vfs, void* handle)
{
    diskOf(vfs).base()->xDlClose(diskOf(vfs).base(), handle);
}

int vfsRandomness(sqlite3_vfs* vfs, int size, char* out)
{
    return diskOf(vfs).base()->xRandomness(diskOf(vfs).base(), size, out);
}

int vfsSleep(sqlite3_vfs* vfs, int microseconds)
{
    return diskOf(vfs).base()->xSleep(diskOf(vfs).base(), microseconds);
}

int vfsCurrentTime(sqlite3_vfs* vfs, double* now)
{
    return diskOf(vfs).base()->xCurrentTime(diskOf(vfs).base(), now);
}

int vfsGetLastError(sqlite3_vfs* vfs, int size, char* out)
{
    return diskOf(vfs).base()->xGetLastError(diskOf(vfs).base(), size, out);
}

int vfsCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now)
{
    return diskOf(vfs).base()->xCurrentTimeInt64(diskOf(vfs).base(), now);
}

} // namespace

SmallDisk::SmallDisk(std::int64_t freeBytes)
    : m_base(sqlite3_vfs_find(nullptr))
    , m_free(freeBytes)
{
    m_vfs.iVersion = 2;
    m_vfs.szOsFile = kRealOffset + m_base->szOsFile;
    m_vfs.mxPathname = m_base->mxPathname;
    m_vfs.zName = "quintara-small-disk";
    m_vfs.pAppData = this;
    m_vfs.xOpen = vfsOpen;
    m_vfs.xDelete = vfsDelete;
    m_vfs.xAccess = vfsAccess;
    m_vfs.xFullPathname = vfsFullPathname;
    m_vfs.xDlOpen = vfsDlOpen;
    m_vfs.xDlError = vfsDlError;
    m_vfs.xDlSym = vfsDlSym;
    m_vfs.xDlClose = vfsDlClose;
    m_vfs.xRandomness = vfsRandomness;
    m_vfs.xSleep = vfsSleep;
    m_vfs.xCurrentTime = vfsCurrentTime;
    m_vfs.xGetLastError = vfsGetLastError;
    m_vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    sqlite3_vfs_register(&m_vfs, 1);
}

SmallDisk::~SmallDisk()
{
    sqlite3_vfs_unregister(&m_vfs);
}

std::int64_t SmallDisk::freeBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_free;
}

void SmallDisk::setFreeBytes(std::int64_t bytes)
{
    const std::lock_guard lock(m_mutex);
    m_free = bytes;
}

bool SmallDisk::take(std::int64_t bytes)
{
    const std::lock_guard lock(m_mutex);
    if (bytes > m_free)
        return false;
    m_free -= bytes;
    return true;
}

void SmallDisk::giveBack(std::int64_t bytes)
{
    const std::lock_guard lock(m_mutex);
    m_free += bytes;
}

} // namespace testsupport
