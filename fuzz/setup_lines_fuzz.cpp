#include <cstddef>
#include <cstdint>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "fuzz/AppFuzzEntries.h"
#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QTemporaryDir folder;
    return FuzzEntries::require(
        AppFuzzEntries::setupLines(folder.path(), FuzzEntries::bytes(data, size)));
}
