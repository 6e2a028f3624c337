#pragma once

#include <QList>
#include <QStringView>

// Where the text area cuts a very long line into display pieces. Qt lays out
// and re-lays out a whole paragraph on every change in it, and wraps a line
// without break opportunities in quadratic time; short pieces keep both cheap.

// A line longer than this many UTF-16 units is held in pieces. Every paragraph
// a forum post of the usual 3000 characters can hold wraps as one; a key in it
// costs what a bare text area pays (about 1.5 ms, 2 without blanks), where a
// key in a piece costs 0.3 ms wherever the line ends. Higher, the cost of a
// line held whole climbs steeply (16,000 units: 5 ms, without blanks 18 ms).
constexpr qsizetype LongLineLength = 3000;
// The length a piece is cut at; a piece that grows past twice this is cut again.
constexpr qsizetype PieceLength = 128;

// The cut positions inside line (ascending, each inside the line, none at 0
// or at its end) that leave pieces of at most PieceLength units: after the
// last blank of a piece's second half where there is one, else at the length,
// never inside a grapheme cluster (a cluster longer than a piece ends its piece).
QList<qsizetype> PieceCuts(QStringView line);
