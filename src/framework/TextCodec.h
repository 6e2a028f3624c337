#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text files and the settings file are UTF-8; bytes that are not valid UTF-8
// come from the old single-byte code page, Windows-1252.
namespace TextCodec {

bool IsValidUtf8(const QByteArray& bytes);

// UTF-8 when valid (a leading byte-order mark dropped), else Windows-1252.
// usedWindows1252, when given, tells which of the two was used.
QString Decode(const QByteArray& bytes, bool* usedWindows1252 = nullptr);

// UTF-8 as it is, a leading U+FEFF included.
QString DecodeUtf8(QByteArrayView bytes);

QString DecodeWindows1252(const QByteArray& bytes);
// False (and bytes emptied) when a character has no Windows-1252 byte.
bool EncodeWindows1252(const QString& text, QByteArray& bytes);

}  // namespace TextCodec
