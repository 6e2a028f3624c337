#pragma once

#include <QList>
#include <QStringView>

// Where the text area cuts a very long line into display pieces. Qt lays out
// and re-lays out a whole paragraph on every change in it; short pieces keep
// that cheap.

// A line longer than this many UTF-16 units is held in pieces. Every paragraph
// a forum post of the usual 3000 characters can hold wraps as one, at the
// area's edge; a key in it costs up to 7 times a key in a short line (0.5 ms
// against 0.07 offscreen, with or without blanks; a bare text area pays 0.9
// and 1.4), where a key in a piece costs 0.2 ms wherever the line ends.
// Higher, the cost of a line held whole climbs with it (16,000 units: 2.4 ms).
constexpr qsizetype LongLineLength = 3000;
// The length a piece is cut at; a piece that grows past twice this is cut again.
constexpr qsizetype PieceLength = 128;

// The cut positions inside line (ascending, each inside the line, none at 0
// or at its end) that leave pieces of at most PieceLength units: after the
// last blank of a piece's second half where there is one, else at the length,
// never inside a grapheme cluster; a cluster longer than a piece is cut
// between two of its code points, never inside a surrogate pair.
QList<qsizetype> PieceCuts(QStringView line);
