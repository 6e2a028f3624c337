#pragma once

#include <QString>
#include <cstdint>

// The version record the build places into the executable, in a section of
// its own, and that the version label reads back from the file on disk.
#define VEXLO_VERSION_SECTION ".vexlo_version"

struct VersionRecord {
    char magic[8];  // "VXLOVER1"
    std::uint16_t major;
    std::uint16_t minor;
    std::uint16_t release;
    std::uint16_t build;
};

// Reads the record from an ELF file's version section. Returns false for a
// file that cannot be read, is no ELF file, or has no valid record.
bool ReadVersionRecord(const QString& fileName, VersionRecord& record);
