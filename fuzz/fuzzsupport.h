#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// A property every input must keep; a broken one is a crash the fuzzer keeps.
#define FUZZ_CHECK(condition)                           \
    do {                                                \
        if (!(condition))                               \
            FuzzFailed(#condition, __FILE__, __LINE__); \
    } while (0)

[[noreturn]] void FuzzFailed(const char* condition, const char* file, int line);

// A file of the given name in a directory of this run's own, written anew.
QString ScratchFile(const QString& name, const QByteArray& bytes);

inline QByteArray Bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}
