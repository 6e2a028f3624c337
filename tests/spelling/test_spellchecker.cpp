#include <sys/stat.h>

#include <QFileInfo>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QThread>
#include <set>

#include "framework/SpellDictionary.h"
#include "spelling/personalwordlist.h"
#include "spelling/personalwords.h"
#include "spelling/spellchecker.h"
#include "spelling/spellwords.h"
#include "testsupport.h"
#include "text/linesplit.h"
#include "text/memo.h"

namespace {

const QString Dictionary = QStringLiteral("/usr/share/hunspell/de_DE");

// The underlined words, each once, whole also where a piece break cuts it.
// An underline that lies under no misspelled word, and a word not
// underlined exactly in each of its pieces (a letter short, a piece left
// out), come out as "?" and the text: never taken for no underline.
QStringList Underlined(TMemo& memo, TSpellChecker& checker)
{
    std::vector<std::pair<int, int>> ranges;  // in the document, in order
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next())
        for (const TSpellRange& miss : checker.misses(block))
            ranges.emplace_back(block.position() + miss.from, block.position() + miss.to);
    const std::set<std::pair<int, int>> shown(ranges.begin(), ranges.end());
    QStringList words;
    int lastFrom = -1;
    for (const auto& [from, to] : ranges) {
        const TMisspelling word = checker.misspellingAt(from);
        if (!word.isValid()) {
            words << u'?' + memo.textBetween(from, to);
            continue;
        }
        if (word.from == lastFrom)
            continue;
        lastFrom = word.from;
        bool whole = true;
        for (QTextBlock block = memo.document()->findBlock(word.from); block.isValid() && block.position() < word.to;
             block = block.next()) {
            const int pieceFrom = std::max(word.from, block.position());
            const int pieceTo = std::min(word.to, block.position() + block.length() - 1);
            whole = whole && (pieceFrom >= pieceTo || shown.count({pieceFrom, pieceTo}));
        }
        words << (whole ? word.word : u'?' + word.word);
    }
    return words;
}

}  // namespace

class TestSpellChecker : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TMemo> m_memo;
    TSpellChecker* m_checker = nullptr;

    // A shown text area with a loaded checker; personal list in the test's folder.
    void createChecker(const QString& dictionary = Dictionary, const QString& list = QString())
    {
        m_memo = std::make_unique<TMemo>();
        m_memo->resize(320, 200);
        m_memo->show();
        m_checker = new TSpellChecker(m_memo.get(), dictionary,
                                      list.isEmpty() ? m_dir.filePath(QStringLiteral("words.txt")) : list);
        m_checker->startLoading();
        QTRY_VERIFY_WITH_TIMEOUT(m_checker->state() != TSpellChecker::State::Loading, 20000);
    }
    void setTextAndWait(const QString& text)
    {
        m_memo->setText(text);
        QTRY_VERIFY_WITH_TIMEOUT(!m_checker->isBusy(), 20000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(SpellDictionary::Exists(Dictionary), "hunspell-de-de is not installed");
        QVERIFY(m_dir.isValid());
        createChecker();
    }

    void sentences_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("underlined");
        QTest::newRow("compounds") << "Der Gästebucheintrag über die Donaudampfschifffahrt" << QStringList{};
        QTest::newRow("misspelling inside a compound")
            << "Ein Gästebucheintarg und Dampfschif" << QStringList{"Gästebucheintarg", "Dampfschif"};
        QTest::newRow("sharp s and umlauts") << "Die Straße ist schön, Füße heißen so." << QStringList{};
        QTest::newRow("misspelled sharp s") << "Die Staßenbahn fährt." << QStringList{"Staßenbahn"};
        QTest::newRow("noun in small letters") << "Das haus ist groß." << QStringList{"haus"};
        QTest::newRow("hyphenated") << "Eine E-Mail zum Gästebuch-Eintrag über Vexlo-Ed" << QStringList{};
        QTest::newRow("hyphenated, judged whole") << "Die Mond-Landugn war." << QStringList{"Mond-Landugn"};
        QTest::newRow("trailing hyphen") << "Ein- und Ausgang" << QStringList{};
        QTest::newRow("apostrophe") << "So geht's, wie’s kommt." << QStringList{};
        QTest::newRow("apostrophe, misspelled stem") << "So gehtt's nicht." << QStringList{"gehtt's"};
        QTest::newRow("abbreviations") << "Äpfel usw. und z.B. Nüsse" << QStringList{};
        QTest::newRow("addresses")
            << "Siehe https://fehlr.example/Fehlr und www.fehlr.de, (name@fehlr.de) oder fehlr.de/Seite."
            << QStringList{};
        QTest::newRow("digits") << "Fehlr2 und 3Fehlr, aber Fehlr" << QStringList{"Fehlr"};
        QTest::newRow("several lines") << "Fehlr\nrichtig\n\nAufgabn" << QStringList{"Fehlr", "Aufgabn"};
        QTest::newRow("first word of a paragraph") << "Straße und Weg" << QStringList{};
        QTest::newRow("abbreviation ending a paragraph") << "Obst, Gemüse usw." << QStringList{};
        QTest::newRow("hyphen before a comma") << "Arbeits-, Wirtschafts- und Sozialpolitik" << QStringList{};
        QTest::newRow("U+2011 and U+2010 at the end")
            << "Arbeits\u2011, Wirtschafts\u2010 und Sozialpolitik" << QStringList{};
        QTest::newRow("U+2010 and U+2011 in compounds") << "Die E\u2010Mail\u2010Adresse, E\u2011Mail" << QStringList{};
        QTest::newRow("U+2010, misspelled part")
            << "Die E\u2010Mail\u2010Adrese" << QStringList{"E\u2010Mail\u2010Adrese"};
        QTest::newRow("decomposed umlauts") << "Viele Gru\u0308ße und Fu\u0308ße" << QStringList{};
        QTest::newRow("decomposed, misspelled")
            << "Ein Ga\u0308stebucheintarg" << QStringList{"Ga\u0308stebucheintarg"};
        QTest::newRow("soft hyphen") << "Die Konfigu\u00ADrationsdatei" << QStringList{};
        QTest::newRow("soft hyphen, misspelled")
            << "Die Konfigu\u00ADratiosdatei" << QStringList{"Konfigu\u00ADratiosdatei"};
        QTest::newRow("joiners") << "Das Gäste\u200D\u2060buch" << QStringList{};
        QTest::newRow("ligatures") << "Wir \uFB01nden den Ein\uFB02uss" << QStringList{};
        QTest::newRow("elisions") << "So'n Ding für'n Euro auf’m Tisch war’n zwei" << QStringList{};
        QTest::newRow("elision, misspelled stem") << "Das ist fürr'n Euro" << QStringList{"fürr'n"};
        QTest::newRow("other endings after an apostrophe") << "Das geht'x nicht" << QStringList{"geht'x"};
        QTest::newRow("paths") << "Siehe /etc/Fehlr, ~/.Fehlr, ./Fehlr.sh, ../Fehlr und C:\\Fehlr\\Fehlr"
                               << QStringList{};
        QTest::newRow("paths in quotes and brackets")
            << "„/usr/Fehlr“ und (C:/Fehlr) oder \\\\Fehlr\\Fehlr" << QStringList{};
        QTest::newRow("slashes between words") << "und/oder Fehlr/Haus" << QStringList{"Fehlr"};
        QTest::newRow("compounds led by a number") << "Ein 10-Punkt-Plan für 3-tägige Reisen" << QStringList{};
        QTest::newRow("compound led by a number, misspelled") << "Ein 10-Punnkt-Plan." << QStringList{"Punnkt-Plan"};
        QTest::newRow("host names need a known domain") << "Das war gutt.aber nicht gutt.de" << QStringList{"gutt"};
        QTest::newRow("dotted names") << "Frag in de.comp.os.fehlr nach" << QStringList{};
    }
    void sentences()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, underlined);
        setTextAndWait(text);
        QCOMPARE(Underlined(*m_memo, *m_checker), underlined);
    }

    // A misspelling pasted from elsewhere gets the suggestions of the word
    // the writer sees.
    void suggestionsForPastedWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("suggested");
        QTest::newRow("soft hyphen") << "Konfigu\u00ADratiosdatei"
                                     << "Konfigurationsdatei";
        QTest::newRow("decomposed") << "Gru\u0308sse"
                                    << "Grüße";
        QTest::newRow("ligature") << "Ein\uFB02usss"
                                  << "Einfluss";
    }
    void suggestionsForPastedWords()
    {
        QFETCH(QString, word);
        QFETCH(QString, suggested);
        QSignalSpy found(m_checker, &TSpellChecker::suggestionsFound);
        const quint64 request = m_checker->requestSuggestions(word, 6);
        QTRY_VERIFY_WITH_TIMEOUT(!found.isEmpty(), 20000);
        QCOMPARE(found.first().at(0).value<quint64>(), request);
        const QStringList suggestions = found.first().at(1).toStringList();
        QVERIFY2(suggestions.contains(suggested), qPrintable(suggestions.join(u',')));
    }

    // The key a word is looked up by: as the writer sees it; what needs no
    // folding stays as it is.
    void lookupKey_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("key");
        QTest::newRow("decomposed umlaut") << "Gru\u0308ße"
                                           << "Grüße";
        QTest::newRow("soft hyphen and joiners") << "Konfigu\u00ADra\u200Dtion\u2060s"
                                                 << "Konfigurations";
        QTest::newRow("ligatures") << "\uFB01nden, Ein\uFB02uss, \uFB00"
                                   << "finden, Einfluss, ff";
        QTest::newRow("hyphens") << "E\u2010Mail\u2011Adresse"
                                 << "E-Mail-Adresse";
        QTest::newRow("other compatibility forms kept") << "m\u00B2 \u00BD \u2126"
                                                        << "m\u00B2 \u00BD \u03A9";
        QTest::newRow("surrogate pair kept") << "Gr\U0001D504\u00DF"
                                             << "Gr\U0001D504\u00DF";
        QTest::newRow("format character of another plane dropped") << "Haus\U000E0001"
                                                                   << "Haus";
    }
    void lookupKey()
    {
        QFETCH(QString, word);
        QFETCH(QString, key);
        QCOMPARE(LookupKey(word), key);
    }

    // The menu offers no fragments, and no more than asked for.
    void usefulSuggestions_data()
    {
        QTest::addColumn<QStringList>("suggestions");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("fragments dropped") << QStringList{"-standart", "Standard", "Standart-", "Stand-Art"} << 6
                                           << QStringList{"Standard", "Stand-Art"};
        QTest::newRow("U+2010 fragment") << QStringList{"\u2010standart", "Standard"} << 6 << QStringList{"Standard"};
        QTest::newRow("count after dropping")
            << QStringList{"-a", "Ab", "-b", "Bc", "Cd"} << 2 << QStringList{"Ab", "Bc"};
        QTest::newRow("none left") << QStringList{"-", "x-"} << 6 << QStringList{};
    }
    void usefulSuggestions()
    {
        QFETCH(QStringList, suggestions);
        QFETCH(int, count);
        QFETCH(QStringList, offered);
        QCOMPARE(UsefulSuggestions(suggestions, count), offered);
    }

    void wordCutByPieceBreak_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("underlined");
        QTest::newRow("correct") << "Gästebucheintrag" << QStringList{};
        QTest::newRow("misspelled") << "Gästebucheintarg" << QStringList{"Gästebucheintarg"};
    }
    void wordCutByPieceBreak()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, underlined);
        // Slashes join words without a blank, so the cut falls inside the word.
        QString line = QStringLiteral("Hier steht ein Satz aus lauter Wörtern, und dann: ");
        while (line.size() < 120)
            line += QStringLiteral("Haus/");
        line += word + QStringLiteral("/Haus und noch mehr Sätze hinterher.");
        const QList<qsizetype> cuts = PieceCuts(line);
        QVERIFY(!cuts.isEmpty() && cuts[0] > 120 && cuts[0] < 120 + word.size());
        m_memo->setLongLineLengthForTesting(100);
        setTextAndWait(line);
        m_memo->setLongLineLengthForTesting(LongLineLength);
        QVERIFY(m_memo->isContinuation(m_memo->document()->begin().next()));
        QCOMPARE(Underlined(*m_memo, *m_checker), underlined);
    }

    // After each edit the results come right: the changed blocks are checked
    // again, the others keep theirs and stay with their blocks.
    void editsKeepResultsWithTheirBlocks()
    {
        setTextAndWait(QStringLiteral("Fehlr eins\nHaus\nAufgabn drei"));
        QTextCursor cursor(m_memo->document());
        const auto expect = [&](const QStringList& words) { QTRY_COMPARE(Underlined(*m_memo, *m_checker), words); };
        cursor.insertText(QStringLiteral("Neu\nZeile Tippfelher\n"));  // lines before
        expect({"Tippfelher", "Fehlr", "Aufgabn"});
        cursor.setPosition(m_memo->document()->findBlockByNumber(3).position());
        cursor.deletePreviousChar();  // joins "Fehlr eins" and "Haus"
        expect({"Tippfelher", "Fehlr", "einsHaus", "Aufgabn"});
        cursor.insertText(QStringLiteral(" "));
        expect({"Tippfelher", "Fehlr", "Aufgabn"});
        m_memo->undo();
        expect({"Tippfelher", "Fehlr", "einsHaus", "Aufgabn"});
        cursor.setPosition(0);
        cursor.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
        cursor.removeSelectedText();
        expect({"Fehlr", "einsHaus", "Aufgabn"});
        // Typing into a word: the word alone changes its verdict.
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("x"));
        expect({"Fehlr", "einsHaus", "Aufgabn", "dreix"});
    }

    // An edit inside a long paragraph keeps the misses away from it, moved
    // along with the text, until its verdict comes.
    void editsInALongParagraph_data()
    {
        QTest::addColumn<QString>("before");  // the edit starts before the first of it
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("underlined");
        QTest::newRow("a letter typed into a word")
            << "Satz" << 0 << "x" << QStringList{"Fehlr", "xSatz", "Tippfelher"};
        QTest::newRow("a word put right") << "r " << 0 << "e" << QStringList{"Tippfelher"};
        QTest::newRow("a blank taken out") << " Satz" << 1 << "" << QStringList{"Fehlr", "EinSatz", "Tippfelher"};
        QTest::newRow("a wrong word taken out") << "Tippfelher" << 11 << "" << QStringList{"Fehlr"};
        QTest::newRow("words put in front") << "Fehlr" << 0 << "Neue Wörter " << QStringList{"Fehlr", "Tippfelher"};
        QTest::newRow("two letters pasted into the word before a misspelling")
            << "tern. Tipp" << 0 << "ab" << QStringList{"Fehlr", "Wörabtern", "Tippfelher"};
    }
    void editsInALongParagraph()
    {
        QFETCH(QString, before);
        QFETCH(int, removed);
        QFETCH(QString, added);
        QFETCH(QStringList, underlined);
        const QString text = QStringLiteral("Fehlr ") + QStringLiteral("Ein Satz mit Wörtern. ").repeated(60) +
                             QStringLiteral("Tippfelher am Ende");
        setTextAndWait(text);
        QTextCursor cursor(m_memo->document());
        cursor.setPosition(int(text.indexOf(before)));
        cursor.setPosition(cursor.position() + removed, QTextCursor::KeepAnchor);
        cursor.insertText(added);
        QTRY_VERIFY(!m_checker->isBusy());
        QCOMPARE(Underlined(*m_memo, *m_checker), underlined);
    }

    // A paragraph read whole by the worker, to its end.
    void paragraphLongerThanASlice()
    {
        m_memo->setLongLineLengthForTesting(1000000);
        setTextAndWait(QStringLiteral("Ein Satz mit Wörtern. ").repeated(4000) + QStringLiteral("Fehlr"));
        QCOMPARE(m_memo->document()->blockCount(), 1);
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{"Fehlr"});
        m_memo->setLongLineLengthForTesting(LongLineLength);
    }

    // Every word of a paragraph checked over many slices is judged, also
    // the one each slice stopped at: all of them misspelled, all underlined.
    void everyWordAcrossSlices()
    {
        QStringList wrong;
        QString text;
        for (char a = 'a'; a <= 'z'; ++a) {
            for (char b = 'a'; b <= 'z'; b += 2) {
                wrong << QStringLiteral("Xqv") + QLatin1Char(a) + QLatin1Char(b) + QStringLiteral("zt");
                text += wrong.back() + QStringLiteral(" und ");
            }
        }
        m_memo->setLongLineLengthForTesting(1000000);
        setTextAndWait(text);
        m_memo->setLongLineLengthForTesting(LongLineLength);
        QCOMPARE(m_memo->document()->blockCount(), 1);
        QCOMPARE(Underlined(*m_memo, *m_checker), wrong);
    }

    // More than a check at once takes, pasted into a word cut by a piece
    // break: the word is judged again in both pieces.
    void pasteIntoWordCutByPieceBreak()
    {
        QString line = QStringLiteral("Hier steht ein Satz aus lauter Wörtern, und dann: ");
        while (line.size() < 120)
            line += QStringLiteral("Haus/");
        const qsizetype at = line.size();
        line += QStringLiteral("Gästebucheintrag/Haus und noch mehr Sätze hinterher.");
        m_memo->setLongLineLengthForTesting(100);
        setTextAndWait(line);
        QVERIFY(m_memo->document()->findBlock(int(at)) != m_memo->document()->findBlock(int(at) + 15));
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{});
        const QString pasted = QStringLiteral("Ein Satz mit Wörtern. ").repeated(50) + QStringLiteral("Fehl");
        QVERIFY(pasted.size() > 1024);
        QTextCursor cursor(m_memo->document());
        cursor.setPosition(int(at));
        m_memo->setTextCursor(cursor);
        m_memo->insertPlainText(pasted);
        QTRY_VERIFY_WITH_TIMEOUT(!m_checker->isBusy(), 20000);
        m_memo->setLongLineLengthForTesting(LongLineLength);
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{"FehlGästebucheintrag"});
    }

    // A list written on another system, with CR LF line ends.
    void personalListWithCrLf()
    {
        const QString list = m_dir.filePath(QStringLiteral("crlf.txt"));
        WriteFileBytes(list, "Karstwort\r\nTippfelher\r\n");
        createChecker(Dictionary, list);
        setTextAndWait(QStringLiteral("Karstwort und Tippfelher, Fehlr"));
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{"Fehlr"});
        createChecker();
        QFile::remove(list);
    }

    // Only what is seen is checked, with a screen above and below: text
    // that comes into view is checked and underlined then.
    void scrolledIntoView_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("scroll bar to the end") << 0;
        QTest::newRow("caret to the end") << 1;
        QTest::newRow("lines above taken out") << 2;
    }
    void scrolledIntoView()
    {
        QFETCH(int, how);
        QString text;
        for (int i = 0; i < 2000; ++i)
            text += QStringLiteral("Ein Satz mit Wörtern und Zeile %1\n").arg(i);
        setTextAndWait(text + QStringLiteral("Am Ende ein Fehlr"));
        const QTextDocument* doc = m_memo->document();
        QVERIFY(!m_checker->misses(doc->lastBlock()));
        switch (how) {
            case 0:
                m_memo->verticalScrollBar()->setValue(m_memo->verticalScrollBar()->maximum());
                break;
            case 1:
                m_memo->moveCursor(QTextCursor::End);
                break;
            case 2: {
                // The text under the last screen moves up into view.
                QTextCursor cursor(m_memo->document());
                cursor.movePosition(QTextCursor::End);
                cursor.movePosition(QTextCursor::Up, QTextCursor::MoveAnchor, 5);
                cursor.movePosition(QTextCursor::StartOfBlock);
                cursor.movePosition(QTextCursor::Start, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                break;
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(!m_checker->isBusy(), 20000);
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{"Fehlr"});
    }

    // Results are held for the blocks seen alone, one each however often
    // a block is judged, and none while checking is off.
    void resultsGrowWithWhatWasSeen()
    {
        QString text;
        for (int i = 0; i < 20000; ++i)
            text += QStringLiteral("Ein Satz mit Fehlr und Zeile %1\n").arg(i);
        setTextAndWait(text);
        const qsizetype screen = m_memo->viewport()->height() / m_memo->fontMetrics().lineSpacing() + 1;
        const qsizetype opened = m_checker->checkedBlocks();
        QVERIFY2(opened > 0 && opened <= 2 * screen, qPrintable(QString::number(opened)));
        QTextCursor cursor(m_memo->document());
        for (int key = 0; key < 3; ++key) {
            cursor.insertText(QStringLiteral("x"));
            QTRY_VERIFY_WITH_TIMEOUT(!m_checker->isBusy(), 20000);
        }
        QCOMPARE(m_checker->checkedBlocks(), opened);
        m_memo->verticalScrollBar()->setValue(m_memo->verticalScrollBar()->maximum());
        QTRY_VERIFY_WITH_TIMEOUT(!m_checker->isBusy(), 20000);
        QVERIFY(m_checker->checkedBlocks() > opened && m_checker->checkedBlocks() <= opened + 3 * screen);
        m_checker->setEnabled(false);
        QCOMPARE(m_checker->checkedBlocks(), 0);
        m_checker->setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(m_checker->state() == TSpellChecker::State::Ready && !m_checker->isBusy(), 20000);
        QVERIFY(m_checker->checkedBlocks() > 0 && m_checker->checkedBlocks() <= 3 * screen);
    }

    // The lines in view are checked, also far down a large text.
    void visibleLinesChecked_data()
    {
        QTest::addColumn<int>("line");
        QTest::newRow("top") << 0;
        QTest::newRow("middle") << 10000;
    }
    void visibleLinesChecked()
    {
        QFETCH(int, line);
        QString text;
        for (int i = 0; i < 20000; ++i)
            text += i == line ? QStringLiteral("Hier steht ein Fehlr\n")
                              : QStringLiteral("Ein Satz mit Wörtern und Zeile %1\n").arg(i);
        m_memo->setText(text);
        m_memo->setTextCursor(QTextCursor(m_memo->document()->findBlockByNumber(line)));
        m_memo->centerCursor();
        QTRY_VERIFY_WITH_TIMEOUT(!m_checker->isBusy(), 20000);
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{"Fehlr"});
    }

    // A verdict handed back after its block changed is never shown on it,
    // whatever happens in between: the worker is held while the edits are
    // made, and every state shown on the way holds misspelled words alone.
    void verdictsAfterAnEdit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("edits");  // at|removed|added, one after another
        QTest::addColumn<QStringList>("underlined");
        const QString text = QStringLiteral("Fehlr eins\nHaus\nAufgabn drei");
        QTest::newRow("typed into, typed again")
            << text << QStringList{"5|0|x", "6|0|y"} << QStringList{"Fehlrxy", "Aufgabn"};
        QTest::newRow("typed into, lines put above it")
            << text << QStringList{"3|0|x", "0|0|Gut\nGut\nGut\nGut\n"} << QStringList{"Fehxlr", "Aufgabn"};
        QTest::newRow("typed into, lines put further up")
            << text << QStringList{"22|0|x", "0|0|Gut\nGut\nGut\nGut\n"} << QStringList{"Fehlr", "Aufgabxn"};
        QTest::newRow("typed into, lines taken out further up")
            << text << QStringList{"22|0|x", "0|11|"} << QStringList{"Aufgabxn"};
        QTest::newRow("typed into, lines taken out above")
            << text << QStringList{"22|0|x", "0|16|"} << QStringList{"Aufgabxn"};
        QTest::newRow("typed into, then replaced by lines")
            << text << QStringList{"5|0|x", "0|11|Gut\nGut\nGut\nGut\nHaus"} << QStringList{"Aufgabn"};
        QTest::newRow("typed into, then its line joined")
            << text << QStringList{"15|0|s", "16|1|"} << QStringList{"Fehlr", "HaussAufgabn"};
        QTest::newRow("word put right, then wrong again")
            << text << QStringList{"4|0|e", "4|1|"} << QStringList{"Fehlr", "Aufgabn"};
    }
    void verdictsAfterAnEdit()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, underlined);
        setTextAndWait(text);
        const QStringList allowed{"Fehlr", "Fehlrx", "Fehlrxy", "Fehxlr", "Aufgabn", "Aufgabxn", "HaussAufgabn"};
        QStringList shown;
        const auto record = [&] {
            for (const QString& word : Underlined(*m_memo, *m_checker))
                if (!allowed.contains(word))
                    shown << word;
        };
        const QMetaObject::Connection repainted = connect(m_checker, &TSpellChecker::resultsChanged, this, record);
        const QMetaObject::Connection changed = connect(m_checker, &TSpellChecker::stretchChanged, this, record);
        for (const QString& edit : edits) {
            m_checker->holdLookupsForTesting(true);
            const QStringList parts = edit.split(u'|');
            QTextCursor cursor(m_memo->document());
            cursor.setPosition(parts[0].toInt());
            cursor.setPosition(parts[0].toInt() + parts[1].toInt(), QTextCursor::KeepAnchor);
            cursor.insertText(parts[2]);
            QCoreApplication::processEvents();
        }
        m_checker->holdLookupsForTesting(false);
        QTRY_VERIFY_WITH_TIMEOUT(!m_checker->isBusy(), 20000);
        disconnect(repainted);
        disconnect(changed);
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(u',')));
        QCOMPARE(Underlined(*m_memo, *m_checker), underlined);
    }

    // A verdict judged before a word was accepted, and taken in after, is
    // not shown: the word counts at once.
    void acceptedWhileAVerdictIsOnItsWay()
    {
        setTextAndWait(QStringLiteral("Hallo Welt"));
        QTextCursor cursor(m_memo->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral(" Karstwurt"));
        QThread::msleep(500);  // the worker judges and sends; the window has not taken it in
        m_checker->ignore(QStringLiteral("Karstwurt"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_checker->isBusy(), 20000);
        QCoreApplication::processEvents();
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{});
    }

    void ignoreLastsUntilTheEnd()
    {
        setTextAndWait(QStringLiteral("Fehlr und Aufgabn, Fehlr"));
        m_checker->ignore(QStringLiteral("Fehlr"));
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{"Aufgabn"});
        QVERIFY(!ReadFileBytes(m_dir.filePath(QStringLiteral("words.txt"))).contains("Fehlr"));
        createChecker();  // a new start forgets it
        setTextAndWait(QStringLiteral("Fehlr"));
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{"Fehlr"});
    }

    // An ignored word pasted from elsewhere is ignored as the writer sees it,
    // however it is typed.
    void ignoredAsTheWriterSeesIt()
    {
        setTextAndWait(QStringLiteral("Konfigu\u00ADratiosdatei, Konfiguratiosdatei und Fehlr"));
        m_checker->ignore(QStringLiteral("Konfigu\u00ADratiosdatei"));
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{"Fehlr"});
        createChecker();
    }

    // The program's own words, also when told after the dictionary is there,
    // and with a typographic apostrophe.
    void ownWords()
    {
        setTextAndWait(QStringLiteral("Hallo Vexlo'ler, Vexlo’ler und Vexlo-Ed"));
        QCOMPARE(Underlined(*m_memo, *m_checker), (QStringList{"Vexlo'ler", "Vexlo’ler"}));
        m_checker->setOwnWords(OwnWords(u"Hallo Vexlo'ler!"));
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{});
        createChecker();
    }

    void personalListSurvivesRestart()
    {
        const QString list = m_dir.filePath(QStringLiteral("words.txt"));
        setTextAndWait(QStringLiteral("Karstwort und Tippfelher"));
        m_checker->addToPersonalList(QStringLiteral("Karstwort"));
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{"Tippfelher"});
        QTRY_COMPARE(ReadFileBytes(list), QByteArray("Karstwort\n"));
        createChecker();
        setTextAndWait(QStringLiteral("Karstwort und Tippfelher"));
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{"Tippfelher"});
        QCOMPARE(m_checker->personalWords(), QStringList{"Karstwort"});

        // A refused write leaves the old list; the word counts until the
        // program ends, and the message says why and so.
        {
            ErrorBoxRecorder errors;
            FileSizeLimit limit(4);
            QVERIFY(limit.active());
            m_checker->addToPersonalList(QStringLiteral("Tippfelher"));
            QTRY_VERIFY(!m_checker->personalList()->isBusy());
            QCOMPARE(errors.shown, QStringList{QStringLiteral("In %1 kann nicht geschrieben werden: Die Datei wäre zu "
                                                              "groß.\nDas Wort „Tippfelher“ gilt nur, bis das "
                                                              "Programm endet.")
                                                   .arg(list)});
        }
        QCOMPARE(ReadFileBytes(list), QByteArray("Karstwort\n"));
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{});
        createChecker();
        setTextAndWait(QStringLiteral("Karstwort und Tippfelher"));
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{"Tippfelher"});
        QFile::remove(list);
    }

    // A list that cannot be read (here a named pipe) is reported and never written over.
    void unreadableListKept()
    {
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        ErrorBoxRecorder errors;
        createChecker(Dictionary, pipe);
        const QString refused =
            QStringLiteral("Datei %1 kann nicht geöffnet werden: Es ist keine gewöhnliche Datei").arg(pipe);
        QTRY_COMPARE(errors.shown, QStringList{refused + u'.'});
        m_checker->addToPersonalList(QStringLiteral("Karstwort"));
        QTRY_COMPARE(errors.shown.size(), 2);
        QCOMPARE(errors.shown[1],
                 refused + QStringLiteral(".\nDas Wort „Karstwort“ gilt nur, bis das Programm endet."));
        QVERIFY(QFileInfo(pipe).isSymLink() || !QFileInfo(pipe).isFile());
        createChecker();
        QFile::remove(pipe);
    }

    // Off releases the dictionary and drops the results; on loads it again
    // in the worker. A checker off from the start never loads one.
    void checkingOffReleasesTheDictionary()
    {
        setTextAndWait(QStringLiteral("Fehlr"));
        m_checker->setEnabled(false);
        QCOMPARE(m_checker->state(), TSpellChecker::State::Unloaded);
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{});
        m_memo->setText(QStringLiteral("Fehlr und Aufgabn"));
        QVERIFY(!m_checker->isBusy());
        m_checker->setEnabled(true);
        QCOMPARE(m_checker->state(), TSpellChecker::State::Loading);
        QTRY_COMPARE_WITH_TIMEOUT(m_checker->state(), TSpellChecker::State::Ready, 20000);
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), (QStringList{"Fehlr", "Aufgabn"}));
        m_checker->ignore(QStringLiteral("Aufgabn"));  // lasts beyond a new dictionary
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{"Fehlr"});
        // Off and on again while it loads: the last word counts.
        m_checker->setEnabled(false);
        m_checker->setEnabled(true);
        m_checker->setEnabled(false);
        QTest::qWait(300);
        QCOMPARE(m_checker->state(), TSpellChecker::State::Unloaded);
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{});
        m_checker->setEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_checker->state(), TSpellChecker::State::Ready, 20000);
        QTRY_COMPARE(Underlined(*m_memo, *m_checker), QStringList{"Fehlr"});

        m_memo = std::make_unique<TMemo>();
        m_memo->show();
        m_checker = new TSpellChecker(m_memo.get(), Dictionary, m_dir.filePath(QStringLiteral("words.txt")));
        m_checker->setEnabled(false);
        m_checker->startLoading();
        QTest::qWait(300);
        QCOMPARE(m_checker->state(), TSpellChecker::State::Unloaded);
        QVERIFY(!m_checker->isBusy());
        m_checker->setEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_checker->state(), TSpellChecker::State::Ready, 20000);
        createChecker();
    }

    // The checker may go (the program quits) while its worker loads the
    // dictionary or looks words up: nothing waits for the worker, and
    // nothing it finds afterwards reaches the checker that is gone.
    void destroyedWhileTheWorkerIsBusy_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::newRow("while loading") << false;
        QTest::newRow("while judging and searching") << true;
    }
    void destroyedWhileTheWorkerIsBusy()
    {
        QFETCH(bool, loaded);
        m_memo = std::make_unique<TMemo>();
        m_memo->show();
        m_checker = new TSpellChecker(m_memo.get(), Dictionary, m_dir.filePath(QStringLiteral("words.txt")));
        QSignalSpy states(m_checker, &TSpellChecker::stateChanged);
        m_checker->startLoading();
        if (loaded) {
            QTRY_COMPARE_WITH_TIMEOUT(m_checker->state(), TSpellChecker::State::Ready, 20000);
            QString text;
            for (int i = 0; i < 200; ++i)
                text += QStringLiteral("Fehlr Aufgabn Tippfelher Gästebucheintarg\n");
            m_memo->setText(text);
            QCoreApplication::processEvents();
            m_checker->requestSuggestions(QStringLiteral("Gästebucheintarg"), 6);
        }
        m_memo.reset();  // the checker with it
        QTest::qWait(500);
        createChecker();
        QCOMPARE(states.size(), loaded ? 2 : 1);  // what came after the end was not delivered
    }

    void noDictionaryInstalled()
    {
        QVERIFY(FindGermanDictionary(QStringLiteral("de_DE"), {m_dir.path()}).isEmpty());
        createChecker(m_dir.filePath(QStringLiteral("de_DE")));
        QCOMPARE(m_checker->state(), TSpellChecker::State::Missing);
        setTextAndWait(QStringLiteral("Fehlr"));
        QCOMPARE(Underlined(*m_memo, *m_checker), QStringList{});
        QCOMPARE(ErrorOf([&] { SpellDictionary dictionary(m_dir.filePath(QStringLiteral("de_DE"))); }),
                 QStringLiteral("Wörterbuch %1 nicht gefunden").arg(m_dir.filePath(QStringLiteral("de_DE"))));
        createChecker();
    }

    void dictionaryForLocale()
    {
        for (const char* name : {"de_DE", "de_AT"}) {
            WriteFileBytes(m_dir.filePath(QStringLiteral("%1.aff").arg(name)), "SET UTF-8\n");
            WriteFileBytes(m_dir.filePath(QStringLiteral("%1.dic").arg(name)), "1\nWort\n");
        }
        const QString dir = m_dir.path();
        QCOMPARE(FindGermanDictionary(QStringLiteral("de_AT.UTF-8"), {dir}), dir + QStringLiteral("/de_AT"));
        QCOMPARE(FindGermanDictionary(QStringLiteral("de_CH"), {dir}), dir + QStringLiteral("/de_DE"));
        QCOMPARE(FindGermanDictionary(QStringLiteral("en_US"), {dir}), dir + QStringLiteral("/de_DE"));
        for (const char* name : {"de_DE", "de_AT"})
            for (const char* ext : {"aff", "dic"})
                QFile::remove(m_dir.filePath(QStringLiteral("%1.%2").arg(name, ext)));
    }
};

VEXLO_TEST_MAIN(TestSpellChecker)
#include "test_spellchecker.moc"
