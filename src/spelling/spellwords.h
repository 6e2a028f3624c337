#pragma once

#include <QString>
#include <QStringView>
#include <QVector>
#include <functional>

// Which stretches of a German text the spell check judges, and how a word is
// looked up in the dictionary.

// Longer "words" are no words (hunspell gives up on them anyway).
constexpr qsizetype MaxWordLength = 60;

// A word of a text: where it lies, and whether a full stop follows it.
struct TWordSpan {
    qsizetype from = 0;
    qsizetype to = 0;
    bool beforeStop = false;
    bool operator==(const TWordSpan& other) const
    {
        return from == other.from && to == other.to && beforeStop == other.beforeStop;
    }
};

// The words of text to judge, in order: runs of letters, with a hyphen or an
// apostrophe between two letters kept inside (E-Mail, geht's) and a hyphen
// at the end kept (Ein- und Ausgang). Left out: web and mail addresses (a
// stretch between blanks that holds "://" or "@", starts with "www." or is
// a host name such as vexlo.de), words with a digit, single letters and
// words longer than MaxWordLength. Where the text is a cut-out of a longer
// line, openStart and openEnd say so: a stretch without a blank that touches
// such an edge may be longer than what is seen, and is left out.
QVector<TWordSpan> CheckableWords(QStringView text, bool openStart = false, bool openEnd = false);
// The same for the stretches between from and to alone, at positions in text:
// a word's verdict hangs on its stretch between blanks, so from and to are to
// lie at the edges of stretches (a blank, or an end of text). openStart and
// openEnd then speak of from and to.
QVector<TWordSpan> CheckableWordsBetween(QStringView text, qsizetype from, qsizetype to, bool openStart = false,
                                         bool openEnd = false);

// Where the stretch between blanks that holds position at, or ends there,
// begins: just after the last blank before at, or 0.
qsizetype StretchStart(QStringView text, qsizetype at);
// The first blank at or after at, or the end of text: where the stretch at lies in ends.
qsizetype StretchEnd(QStringView text, qsizetype at);

// The key a word's verdict is kept under: the word, and its full stop if one follows.
QString WordKey(QStringView text, const TWordSpan& word);

// Whether a word (a WordKey) is spelled right, asking lookup for the forms
// to try: the word itself; with its full stop (an abbreviation, "usw.");
// with a typewriter apostrophe for a typographic one; its stem before "'s"
// (geht's, wie's).
bool SpelledRight(const QString& key, const std::function<bool(const QString&)>& lookup);
