#pragma once

#include <QList>
#include <QString>
#include <vector>

// The text of the text area at one moment, held as its blocks as they were
// taken out of the document, so that taking them never copies the text twice.
struct SnapshotText {
    // Per block: a line's start, or a continuation of the line before it (no
    // line break between); while a snapshot is taken, not taken yet.
    enum Mark : unsigned char { NotTaken, LineStart, Continuation };
    QList<QString> blocks;
    std::vector<Mark> marks;

    bool isEmpty() const;
    // The text as TMemo::text() gives it, "\n" line breaks.
    QString joined() const;
};
