#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text files and the settings file are UTF-8; bytes that are not valid UTF-8
// come from the old single-byte code page, Windows-1252.
namespace TextCodec {

bool IsValidUtf8(const QByteArray& bytes);

// A text file's bytes as the text area holds them.
struct DecodedText {
    QString text;              // line breaks all "\n"
    qsizetype lineBreaks = 0;  // the number of "\n" in text
    bool windows1252 = false;  // the bytes were not valid UTF-8
    bool hasNul = false;       // a NUL byte was found; text is then incomplete
};

// Decodes a text file piece by piece as it is read, in one pass over the
// bytes that checks them, decodes them, turns CR LF, lone CR, lone LF, U+2028
// and U+2029 into "\n" and counts the line breaks. As UTF-8, one leading
// byte-order mark is dropped, and the first byte that is not UTF-8 fails the
// decoding: the file is then decoded afresh as Windows-1252.
class TextDecoder {
public:
    // expectedBytes: how many bytes will come, to size the text once.
    TextDecoder(bool windows1252, qsizetype expectedBytes);

    // False when the bytes are not UTF-8, or hold a NUL (hasNul).
    bool feed(QByteArrayView piece);
    // False when the bytes ended inside a UTF-8 sequence.
    bool finish();
    bool hasNul() const { return m_hasNul; }
    // UTF-16 units decoded so far, and line breaks among them.
    qsizetype size() const { return m_size; }
    qsizetype lineBreaks() const { return m_lineBreaks; }
    DecodedText take();

private:
    void makeRoom(qsizetype bytes);
    bool feedPending(const unsigned char*& in, const unsigned char* end);
    void hold(const unsigned char* in, const unsigned char* end);
    // Decodes from in on; true when it stopped at a sequence the end cuts off.
    bool run(const unsigned char*& in, const unsigned char* end);

    QString m_text;  // room for the text; its first m_size units are decoded
    qsizetype m_size = 0;
    qsizetype m_lineBreaks = 0;
    bool m_windows1252;
    bool m_atStart;          // the byte-order mark is yet to be looked for
    bool m_afterCr = false;  // the last piece ended in a CR
    bool m_failed = false;
    bool m_hasNul = false;
    unsigned char m_pending[4] = {};  // the start of a sequence the last piece cut off
    int m_pendingSize = 0;
};

// All the bytes at once: UTF-8 when valid, else Windows-1252.
DecodedText DecodeText(QByteArrayView bytes);

// UTF-8 as it is, a leading U+FEFF included.
QString DecodeUtf8(QByteArrayView bytes);

QString DecodeWindows1252(const QByteArray& bytes);
// False (and bytes emptied) when a character has no Windows-1252 byte.
bool EncodeWindows1252(const QString& text, QByteArray& bytes);

}  // namespace TextCodec
