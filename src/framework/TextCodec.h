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

// UTF-8 when valid (one leading byte-order mark dropped), else Windows-1252.
// CR LF, lone CR, lone LF, U+2028 and U+2029 all become "\n". One pass over
// the bytes does the check, the decoding, the line breaks and their count;
// only bytes that turn out not to be UTF-8 are gone over a second time.
DecodedText DecodeText(QByteArrayView bytes);

QString DecodeWindows1252(const QByteArray& bytes);
// False (and bytes emptied) when a character has no Windows-1252 byte.
bool EncodeWindows1252(const QString& text, QByteArray& bytes);

}  // namespace TextCodec
