#pragma once

#include <QtGlobal>

class TLimitMath;

// Numbers about a text beyond its count, worked out on demand: each reads the
// whole text.
struct TTextStats {
    qsizetype words = 0;
    qsizetype lines = 0;      // an empty text has none
    qsizetype utf8Bytes = 0;  // as sent, each line break CR LF
    qsizetype charsWithoutBreaks = 0;
};

TTextStats MeasureText(const TLimitMath& math);
