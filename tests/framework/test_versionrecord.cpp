#include <elf.h>
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstddef>
#include <cstring>

#include "framework/VersionRecord.h"
#include "testsupport.h"

namespace {

const VersionRecord SampleRecord = {{'V', 'X', 'L', 'O', 'V', 'E', 'R', '1'}, 3, 7, 1, 42};

struct ElfOptions {
    bool extendedNumbering = false;  // section count and name index in section 0
    quint32 recordType = SHT_PROGBITS;
    quint64 recordSize = sizeof(VersionRecord);
};

// A minimal ELF file: null section, name table, a filler section and the
// version section, with the section header table at the end.
template <typename Ehdr, typename Shdr>
QByteArray BuildElf(unsigned char elfClass, const ElfOptions& options = {})
{
    const QByteArray names = QByteArrayLiteral("\0.shstrtab\0.filler\0" VEXLO_VERSION_SECTION "\0");
    const int fillerName = 11;
    const int versionName = 19;

    QByteArray body(sizeof(Ehdr), '\0');
    const auto namesOffset = body.size();
    body += names;
    const auto recordOffset = body.size();
    body += QByteArray(reinterpret_cast<const char*>(&SampleRecord), sizeof SampleRecord);
    while (body.size() % 8)
        body += '\0';
    const auto tableOffset = body.size();

    Shdr sections[4];
    std::memset(sections, 0, sizeof sections);
    sections[1].sh_name = 1;
    sections[1].sh_type = SHT_STRTAB;
    sections[1].sh_offset = namesOffset;
    sections[1].sh_size = names.size();
    sections[2].sh_name = fillerName;
    sections[2].sh_type = SHT_PROGBITS;
    sections[3].sh_name = versionName;
    sections[3].sh_type = options.recordType;
    sections[3].sh_offset = recordOffset;
    sections[3].sh_size = options.recordSize;

    Ehdr header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = elfClass;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_EXEC;
    header.e_ehsize = sizeof(Ehdr);
    header.e_shoff = tableOffset;
    header.e_shentsize = sizeof(Shdr);
    if (options.extendedNumbering) {
        header.e_shnum = 0;
        header.e_shstrndx = SHN_XINDEX;
        sections[0].sh_size = 4;
        sections[0].sh_link = 1;
    } else {
        header.e_shnum = 4;
        header.e_shstrndx = 1;
    }
    std::memcpy(body.data(), &header, sizeof header);
    body += QByteArray(reinterpret_cast<const char*>(sections), sizeof sections);
    return body;
}

template <typename T>
void Poke(QByteArray& bytes, qsizetype offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

QString Fixture()
{
    return QStringLiteral(VERSIONED_FIXTURE);
}

}  // namespace

class TestVersionRecord : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QByteArray m_fixture;

    bool ReadBytes(const QByteArray& bytes, VersionRecord& record)
    {
        const QString name = m_dir.filePath("candidate");
        WriteFileBytes(name, bytes);
        return ReadVersionRecord(name, record);
    }
    bool ReadBytes(const QByteArray& bytes)
    {
        VersionRecord record{};
        return ReadBytes(bytes, record);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fixture = ReadFileBytes(Fixture());
        QVERIFY2(m_fixture.size() > 1000, qPrintable(Fixture()));
    }

    void fixtureCarries_1_20_0_25()
    {
        VersionRecord record{};
        QVERIFY(ReadVersionRecord(Fixture(), record));
        QCOMPARE(record.major, 1);
        QCOMPARE(record.minor, 20);
        QCOMPARE(record.release, 0);
        QCOMPARE(record.build, 25);
    }

    void fileWithoutRecord_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("this test program") << QCoreApplication::applicationFilePath();
        QTest::newRow("missing file") << m_dir.filePath("does-not-exist");
        QTest::newRow("directory") << m_dir.path();
        QTest::newRow("empty name") << QString();
    }
    void fileWithoutRecord()
    {
        QFETCH(QString, fileName);
        VersionRecord record{};
        QVERIFY(!ReadVersionRecord(fileName, record));
        QCOMPARE(record.major, 0);
        QCOMPARE(record.build, 0);
    }

    void handMadeFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("found");
        QTest::newRow("64-bit") << BuildElf<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64) << true;
        QTest::newRow("32-bit") << BuildElf<Elf32_Ehdr, Elf32_Shdr>(ELFCLASS32) << true;
        ElfOptions extended;
        extended.extendedNumbering = true;
        QTest::newRow("extended numbering") << BuildElf<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, extended) << true;
        ElfOptions noBits;
        noBits.recordType = SHT_NOBITS;
        QTest::newRow("section without data") << BuildElf<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, noBits) << false;
        ElfOptions small;
        small.recordSize = sizeof(VersionRecord) - 1;
        QTest::newRow("section too small") << BuildElf<Elf32_Ehdr, Elf32_Shdr>(ELFCLASS32, small) << false;
        ElfOptions huge;
        huge.recordSize = ~0ULL;
        QTest::newRow("section size huge") << BuildElf<Elf64_Ehdr, Elf64_Shdr>(ELFCLASS64, huge) << true;
        QTest::newRow("class mismatch") << BuildElf<Elf32_Ehdr, Elf32_Shdr>(ELFCLASS64) << false;
    }
    void handMadeFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, found);
        VersionRecord record{};
        QCOMPARE(ReadBytes(bytes, record), found);
        if (found) {
            QCOMPARE(record.major, 3);
            QCOMPARE(record.minor, 7);
            QCOMPARE(record.release, 1);
            QCOMPARE(record.build, 42);
        }
    }

    void damagedFixture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray& good = m_fixture;
        Elf64_Ehdr header;
        std::memcpy(&header, good.constData(), sizeof header);
        auto with = [&good](auto mutate) {
            QByteArray bytes = good;
            mutate(bytes);
            return bytes;
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("just some text, no program");
        QTest::newRow("only magic") << QByteArray(ELFMAG);
        QTest::newRow("header cut") << good.left(40);
        QTest::newRow("section table cut") << good.left(static_cast<qsizetype>(header.e_shoff) + 10);
        QTest::newRow("last byte missing") << good.left(good.size() - 1);
        QTest::newRow("bad magic") << with([](QByteArray& b) { b[1] = 'X'; });
        QTest::newRow("unknown class") << with([](QByteArray& b) { b[EI_CLASS] = 7; });
        QTest::newRow("read as 32-bit") << with([](QByteArray& b) { b[EI_CLASS] = ELFCLASS32; });
        QTest::newRow("foreign byte order") << with([](QByteArray& b) { b[EI_DATA] = ELFDATA2MSB; });
        QTest::newRow("no section table")
            << with([](QByteArray& b) { Poke<Elf64_Off>(b, offsetof(Elf64_Ehdr, e_shoff), 0); });
        QTest::newRow("table far outside")
            << with([](QByteArray& b) { Poke<Elf64_Off>(b, offsetof(Elf64_Ehdr, e_shoff), ~Elf64_Off(0) - 8); });
        QTest::newRow("table past end") << with([](QByteArray& b) {
            Poke<Elf64_Off>(b, offsetof(Elf64_Ehdr, e_shoff), static_cast<Elf64_Off>(b.size() - 10));
        });
        QTest::newRow("too many sections")
            << with([](QByteArray& b) { Poke<Elf64_Half>(b, offsetof(Elf64_Ehdr, e_shnum), 0xFF00); });
        QTest::newRow("wrong entry size")
            << with([](QByteArray& b) { Poke<Elf64_Half>(b, offsetof(Elf64_Ehdr, e_shentsize), 32); });
        QTest::newRow("name table index out of range") << with(
            [&header](QByteArray& b) { Poke<Elf64_Half>(b, offsetof(Elf64_Ehdr, e_shstrndx), header.e_shnum); });
        QTest::newRow("name table is the null section")
            << with([](QByteArray& b) { Poke<Elf64_Half>(b, offsetof(Elf64_Ehdr, e_shstrndx), 0); });
        QTest::newRow("extended index without count")
            << with([](QByteArray& b) { Poke<Elf64_Half>(b, offsetof(Elf64_Ehdr, e_shstrndx), SHN_XINDEX); });
        QTest::newRow("record magic damaged") << with([](QByteArray& b) {
            const auto at = b.indexOf("VXLOVER1");
            b[at + 7] = '2';
        });
    }
    void damagedFixture()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!ReadBytes(bytes));
    }

    // Random damage to the headers and the section table must never crash
    // the reader or make it read outside the file.
    void randomDamageIsSurvived()
    {
        Elf64_Ehdr header;
        std::memcpy(&header, m_fixture.constData(), sizeof header);
        const auto tableStart = static_cast<qsizetype>(header.e_shoff);
        QVERIFY(tableStart > 0 && tableStart < m_fixture.size());
        QRandomGenerator random(20240607);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = m_fixture;
            for (int hit = 0; hit < 4; ++hit) {
                const bool inHeader = random.bounded(2) == 0;
                const qsizetype at = inHeader
                                         ? random.bounded(static_cast<int>(sizeof header))
                                         : tableStart + random.bounded(static_cast<int>(m_fixture.size() - tableStart));
                bytes[at] = static_cast<char>(random.bounded(256));
            }
            ReadBytes(bytes);
        }
        QVERIFY(ReadBytes(m_fixture));
    }
};

VEXLO_TEST_MAIN(TestVersionRecord)
#include "test_versionrecord.moc"
