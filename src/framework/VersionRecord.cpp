#include "framework/VersionRecord.h"

#include <elf.h>
#include <QByteArray>
#include <QFile>
#include <cstring>

namespace {

constexpr char Magic[8] = {'V', 'X', 'L', 'O', 'V', 'E', 'R', '1'};

// Reads exactly size bytes at offset, or fails; every offset and size comes
// from the file and is checked against its length first.
bool ReadAt(QFile& file, quint64 offset, quint64 size, void* target)
{
    const auto fileSize = static_cast<quint64>(file.size());
    if (offset > fileSize || size > fileSize - offset)
        return false;
    if (!file.seek(static_cast<qint64>(offset)))
        return false;
    return file.read(static_cast<char*>(target), static_cast<qint64>(size)) == static_cast<qint64>(size);
}

template <typename Ehdr, typename Shdr>
bool ReadSections(QFile& file, VersionRecord& record)
{
    Ehdr header;
    if (!ReadAt(file, 0, sizeof header, &header))
        return false;
    if (header.e_shoff == 0 || header.e_shentsize != sizeof(Shdr))
        return false;

    // With many sections the count and the name-table index move into the
    // first section header.
    Shdr first;
    if (!ReadAt(file, header.e_shoff, sizeof first, &first))
        return false;
    quint64 count = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
    quint64 namesIndex = header.e_shstrndx != SHN_XINDEX ? header.e_shstrndx : first.sh_link;
    const auto fileSize = static_cast<quint64>(file.size());
    if (count == 0 || namesIndex >= count || header.e_shoff > fileSize ||
        count > (fileSize - header.e_shoff) / sizeof(Shdr))
        return false;

    QByteArray table(static_cast<qsizetype>(count * sizeof(Shdr)), Qt::Uninitialized);
    if (!ReadAt(file, header.e_shoff, static_cast<quint64>(table.size()), table.data()))
        return false;
    auto section = [&table](quint64 index) {
        Shdr s;
        std::memcpy(&s, table.constData() + index * sizeof(Shdr), sizeof s);
        return s;
    };

    const Shdr names = section(namesIndex);
    if (names.sh_type == SHT_NOBITS)
        return false;
    QByteArray nameTable(static_cast<qsizetype>(qMin<quint64>(names.sh_size, fileSize)), Qt::Uninitialized);
    if (!ReadAt(file, names.sh_offset, static_cast<quint64>(nameTable.size()), nameTable.data()))
        return false;

    const QByteArray wanted(VEXLO_VERSION_SECTION);
    for (quint64 i = 0; i < count; ++i) {
        const Shdr s = section(i);
        const quint64 nameOffset = s.sh_name;
        if (nameOffset >= static_cast<quint64>(nameTable.size()))
            continue;
        const char* name = nameTable.constData() + nameOffset;
        const auto room = static_cast<std::size_t>(static_cast<quint64>(nameTable.size()) - nameOffset);
        // The name must end inside the table.
        if (room <= static_cast<std::size_t>(wanted.size()) || name[wanted.size()] != '\0' ||
            std::memcmp(name, wanted.constData(), static_cast<std::size_t>(wanted.size())) != 0)
            continue;
        if (s.sh_type == SHT_NOBITS || s.sh_size < sizeof(VersionRecord))
            return false;
        VersionRecord found;
        if (!ReadAt(file, s.sh_offset, sizeof found, &found))
            return false;
        if (std::memcmp(found.magic, Magic, sizeof Magic) != 0)
            return false;
        record = found;
        return true;
    }
    return false;
}

}  // namespace

bool ReadVersionRecord(const QString& fileName, VersionRecord& record)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    unsigned char ident[EI_NIDENT];
    if (!ReadAt(file, 0, sizeof ident, ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return false;
    // The record is written in the byte order of the machine that runs the
    // program; a file of the other byte order cannot be this program's.
    const unsigned char nativeData = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;
    if (ident[EI_DATA] != nativeData)
        return false;
    switch (ident[EI_CLASS]) {
        case ELFCLASS64:
            return ReadSections<Elf64_Ehdr, Elf64_Shdr>(file, record);
        case ELFCLASS32:
            return ReadSections<Elf32_Ehdr, Elf32_Shdr>(file, record);
        default:
            return false;
    }
}
