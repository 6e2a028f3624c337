// The version record reader: any file gives a record with the right magic or
// false, never a crash or a read outside the file.
#include <cstring>

#include "framework/VersionRecord.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = ScratchFile(QStringLiteral("program"), Bytes(data, size));
    VersionRecord record;
    std::memset(&record, 0, sizeof record);
    if (ReadVersionRecord(path, record)) {
        FUZZ_CHECK(std::memcmp(record.magic, "VXLOVER1", 8) == 0);
        // The record lies inside the file.
        FUZZ_CHECK(size >= sizeof record);
        bool found = false;
        for (std::size_t i = 0; i + sizeof record <= size && !found; ++i)
            found = std::memcmp(data + i, &record, sizeof record) == 0;
        FUZZ_CHECK(found);
    }
    return 0;
}
