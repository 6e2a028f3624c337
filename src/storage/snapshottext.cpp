#include "storage/snapshottext.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

// The size of most pieces, in units; a longer block gets one of its own.
constexpr qsizetype PieceUnits = qsizetype(1) << 19;
constexpr int WholePiece = -2;

}  // namespace

// Mapped, not taken from the heap: unmapping it is all that letting it go costs.
struct SnapshotText::Piece {
    explicit Piece(qsizetype units) : bytes(size_t(units) * sizeof(char16_t))
    {
        void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        data = static_cast<char16_t*>(memory);
        capacity = units;
    }
    ~Piece() { munmap(data, bytes); }
    Piece(const Piece&) = delete;
    Piece& operator=(const Piece&) = delete;

    size_t bytes;
    char16_t* data = nullptr;
    qsizetype capacity = 0;
    qsizetype used = 0;
};

SnapshotText::SnapshotText() = default;
SnapshotText::~SnapshotText() = default;
SnapshotText::SnapshotText(SnapshotText&& other) noexcept = default;
SnapshotText& SnapshotText::operator=(SnapshotText&& other) noexcept = default;

SnapshotText SnapshotText::Whole(QString text)
{
    SnapshotText whole;
    whole.blocks.push_back({WholePiece, 0, int(text.size())});
    whole.marks.push_back(LineStart);
    whole.m_whole = std::move(text);
    return whole;
}

SnapshotText::Span SnapshotText::store(QStringView text)
{
    if (text.isEmpty())
        return {};
    if (m_pieces.empty() || m_pieces.back()->capacity - m_pieces.back()->used < text.size())
        m_pieces.push_back(std::make_unique<Piece>(std::max(PieceUnits, text.size())));
    Piece& piece = *m_pieces.back();
    std::memcpy(piece.data + piece.used, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    const Span span{int(m_pieces.size()) - 1, int(piece.used), int(text.size())};
    piece.used += text.size();
    return span;
}

QStringView SnapshotText::view(const Span& span) const
{
    if (span.piece == WholePiece)
        return m_whole;
    if (span.piece < 0)
        return {};
    return QStringView(m_pieces[size_t(span.piece)]->data + span.start, span.length);
}

bool SnapshotText::isEmpty() const
{
    return std::all_of(blocks.begin(), blocks.end(), [](const Span& block) { return block.length == 0; }) &&
           std::count(marks.begin(), marks.end(), LineStart) <= 1;
}

QString SnapshotText::joined() const
{
    if (blocks.size() == 1 && blocks[0].piece == WholePiece)
        return m_whole;  // shared, not copied
    qsizetype size = 0;
    for (const Span& block : blocks)
        size += block.length + 1;
    QString text;
    text.reserve(size);
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (i > 0 && marks[i] != Continuation)
            text.append(u'\n');
        text.append(view(blocks[i]));
    }
    return text;
}
