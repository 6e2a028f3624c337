#pragma once

#include <QTextCursor>

class TPieceModel;

// Qt selects by block on a double and a triple click; in a line held in
// pieces, these widen its selection to what it is in a line held whole.

// The word Qt selected at `clicked` on a double click, widened over the piece
// breaks the word runs across.
QTextCursor WholeWordAcrossPieces(const TPieceModel& pieces, const QTextCursor& selection, int clicked);
// The piece (and the line break after it) Qt selected on a triple click,
// widened to the whole line (and the line break after it).
QTextCursor WholeLineOfPieces(const TPieceModel& pieces, const QTextCursor& selection);
