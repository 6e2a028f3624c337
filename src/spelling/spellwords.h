#pragma once

#include <QString>
#include <QStringList>
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

// The words of text to judge, in order: runs of letters, with a hyphen
// ("-", U+2010, U+2011), an apostrophe or format characters (a soft hyphen)
// between two letters kept inside (E-Mail, geht's, Konfigu\u00ADration) and
// a hyphen at the end kept (Ein- und Ausgang). Of a compound led by a number
// (10-Punkt-Plan) the part after the number. Left out: web and mail
// addresses (a stretch between blanks that holds "://" or "@", starts with
// "www.", is a host name with a known top-level domain such as vexlo.de, or
// a name of three small-letter labels or more such as de.comp.os),
// paths (/etc, ~/, ./, C:\), words with a digit, single letters and words
// longer than MaxWordLength. Where the text is a cut-out of a longer
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

// The key a word's verdict is kept under: the word, and its full stop if one
// follows; led by "-" where the word follows a number and a hyphen ("3-tägig").
QString WordKey(QStringView text, const TWordSpan& word);

// A word as the dictionary knows it, whatever the text it was pasted from
// holds: format characters (soft hyphens, joiners) dropped, ligatures such
// as U+FB01 unfolded, U+2010 and U+2011 as "-", then NFC (umlauts composed).
QString LookupKey(QStringView word);

// Whether a word (a WordKey) is spelled right, asking lookup for the forms
// of its LookupKey to try: the word itself; with its full stop (an
// abbreviation, "usw."); after a number in small letters, with a number word
// in front (3-tägig); with a typewriter apostrophe for a typographic one;
// its stem before "'s", "'n" or "'m" (geht's, für'n, auf'm).
bool SpelledRight(const QString& key, const std::function<bool(const QString&)>& lookup);

// The suggestions worth offering, at most count: none that begins or ends
// with a hyphen (a fragment such as "-standart").
QStringList UsefulSuggestions(const QStringList& suggestions, int count);

// The program's own words, never underlined: its name and the words of
// about (its "about" text), as they stand there.
QStringList OwnWords(QStringView about = {});
