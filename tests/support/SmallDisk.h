#pragma once

#include <cstdint>
#include <mutex>

#include <sqlite3.h>

namespace testsupport {

// A nearly full disk for SQLite's files: while it exists it is SQLite's default file system, the
// default one underneath, and every write or truncation that would make the files take more
// room than is free fails as a full disk does (SQLITE_FULL). Deleting or shrinking a file gives
// its room back. Files made before count as already on the disk. Connections made while it
// exists must be closed before it goes.
class SmallDisk {
public:
    explicit SmallDisk(std::int64_t freeBytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    std::int64_t freeBytes() const;
    void setFreeBytes(std::int64_t bytes);

    // Takes the room for a file growing by the bytes, or says there is none.
    bool take(std::int64_t bytes);
    void giveBack(std::int64_t bytes);

    sqlite3_vfs* base() const { return m_base; }

private:
    sqlite3_vfs* m_base;
    sqlite3_vfs m_vfs{};
    mutable std::mutex m_mutex;
    std::int64_t m_free;
};

} // namespace testsupport
