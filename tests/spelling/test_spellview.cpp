#include <QApplication>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "counting/limitview.h"
#include "framework/SpellDictionary.h"
#include "spelling/personalwords.h"
#include "spelling/spellview.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/abouttext.h"
#include "windows/main.h"

namespace {

QAction* Entry(QMenu* menu, const QString& name, const QString& text = QString())
{
    for (QAction* action : menu->actions())
        if (action->objectName() == name && (text.isEmpty() || action->text() == text))
            return action;
    return nullptr;
}

}  // namespace

class TestSpellView : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TfrmMain> m_form;

    QString iniFile() const { return m_dir.filePath(QStringLiteral("vexloed.ini")); }
    TSpellView* view() const { return m_form->memoMain->findChild<TSpellView*>(QStringLiteral("spellView")); }

    // The shown main window, its dictionary loaded and the text checked.
    void showForm(const QString& text)
    {
        Settings = TSettings();
        m_form = std::make_unique<TfrmMain>();
        frmMain = m_form.get();
        m_form->show();
        m_form->memoMain->setText(text);
        TSpellChecker* checker = view()->checker();
        if (checker->isEnabled())
            QTRY_VERIFY_WITH_TIMEOUT(checker->state() == TSpellChecker::State::Ready, 20000);
        QTRY_VERIFY(!checker->isBusy());
    }
    // The same, once the suggestions have come or been given up.
    std::unique_ptr<QMenu> settledMenuAt(int position)
    {
        std::unique_ptr<QMenu> menu = menuAt(position);
        QDeadlineTimer limit(5000);
        while (Entry(menu.get(), QStringLiteral("miSpellSearching")) && !limit.hasExpired())
            QTest::qWait(5);
        return menu;
    }
    // The text area's menu for the word at position.
    std::unique_ptr<QMenu> menuAt(int position)
    {
        view()->setMenuPosition(position);
        return std::unique_ptr<QMenu>(m_form->memoMain->createContextMenu(QPoint()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetProgramDirForTesting(m_dir.path());
    }
    void cleanup()
    {
        m_form.reset();
        frmMain = nullptr;
        QFile::remove(iniFile());
    }

    // Up to six suggestions at the top; one replaces the word as one step
    // that Ctrl+Z takes back, and the count follows.
    void suggestionReplacesWord()
    {
        showForm(QStringLiteral("Ein Fehlr hier"));
        std::unique_ptr<QMenu> menu = settledMenuAt(6);
        const QList<QAction*> actions = menu->actions();
        QVERIFY(actions.size() > 3);
        QCOMPARE(actions[0]->objectName(), QStringLiteral("miSpellSuggestion"));
        int suggestions = 0;
        for (QAction* action : actions)
            suggestions += action->objectName() == QLatin1String("miSpellSuggestion");
        QVERIFY(suggestions >= 1 && suggestions <= TSpellView::MaxSuggestions);
        QVERIFY(Entry(menu.get(), QStringLiteral("miSpellIgnore"), QStringLiteral("Ignorieren")));
        QVERIFY(Entry(menu.get(), QStringLiteral("miSpellAdd"), QStringLiteral("Zum Wörterbuch hinzufügen")));
        // Qt's own entries and the copy entries stay below ours.
        QVERIFY(Entry(menu.get(), QStringLiteral("miCopyGB")));
        QAction* fehler = Entry(menu.get(), QStringLiteral("miSpellSuggestion"), QStringLiteral("Fehler"));
        QVERIFY(fehler);
        fehler->trigger();
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("Ein Fehler hier"));
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("15"));
        QTest::keyClick(m_form->memoMain, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("Ein Fehlr hier"));
        // As after undoing typing: the caret right after the word restored.
        QCOMPARE(m_form->memoMain->textCursor().position(), 9);
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("14"));
        // On a word spelled right: the check item alone.
        menu = menuAt(1);
        QVERIFY(!Entry(menu.get(), QStringLiteral("miSpellSuggestion")));
        QCOMPARE(menu->actions().value(0)->objectName(), QStringLiteral("miSpellCheck"));
    }

    // A replacement goes through the capacity check as typing does: past
    // the capacity it is refused, the text left as it was.
    void replacementWithinCapacity_data()
    {
        QTest::addColumn<int>("room");  // units left below the capacity
        QTest::newRow("at the capacity") << 0;
        QTest::newRow("one unit of room") << 1;
    }
    void replacementWithinCapacity()
    {
        QFETCH(int, room);
        constexpr int Capacity = 200;
        QString text = QStringLiteral("Das Dampfschif fährt");
        text += QString(Capacity - room - text.size(), u' ');
        showForm(text);
        m_form->memoMain->setCapacityForTesting(Capacity);
        ErrorBoxRecorder errors;
        std::unique_ptr<QMenu> menu = settledMenuAt(6);
        QAction* right = Entry(menu.get(), QStringLiteral("miSpellSuggestion"), QStringLiteral("Dampfschilf"));
        QVERIFY(right);
        right->trigger();
        const bool fits = room >= 1;
        QCOMPARE(errors.shown, fits ? QStringList() : QStringList{"Text überschreitet Memo-Kapazität."});
        QCOMPARE(m_form->memoMain->text(), fits ? QString(text).replace(4, 10, QStringLiteral("Dampfschilf")) : text);
        QCOMPARE(m_form->memoMain->charCount(), fits ? Capacity : Capacity - room);
    }

    // The wavy line lies under the misspelled word and under no other: in a
    // line wrapped to several, and far down a text scrolled there.
    void underlineUnderTheWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("wrong");
        QTest::addColumn<QString>("right");  // a word near it
        const QString wrapped =
            QStringLiteral("Ein Satz, der lang genug ist, um in der Zeile umzubrechen, ").repeated(3);
        QString many;
        for (int i = 0; i < 300; ++i)
            many += i == 250 ? QStringLiteral("Hier ein Fehlr drin\n") : QStringLiteral("Eine ganz richtige Zeile\n");
        QTest::newRow("first line") << QStringLiteral("Ein Fehlr hier") << "Fehlr"
                                    << "hier";
        QTest::newRow("wrapped") << wrapped + QStringLiteral("und Fehlr hier") << "Fehlr"
                                 << "hier";
        QTest::newRow("scrolled") << many << "Fehlr"
                                  << "drin";
        QTest::newRow("at a paragraph's end") << QStringLiteral("Ein Satz mit Fehlr") << "Fehlr"
                                              << "Satz";
    }
    void underlineUnderTheWord()
    {
        QFETCH(QString, text);
        QFETCH(QString, wrong);
        QFETCH(QString, right);
        showForm(text);
        TMemo* memo = m_form->memoMain;
        const int at = int(text.indexOf(wrong));
        QTextCursor caret(memo->document());
        caret.setPosition(at);
        memo->setTextCursor(caret);
        memo->ensureCursorVisible();
        QTRY_VERIFY(!view()->checker()->isBusy());  // what came into view is checked
        // The cell of a word: from its first character's caret to its last's.
        const auto cell = [memo](int from, int to) {
            QTextCursor cursor(memo->document());
            cursor.setPosition(from);
            const QRect left = memo->cursorRect(cursor);
            cursor.setPosition(to);
            return QRect(left.left() + 1, left.top(), memo->cursorRect(cursor).left() - left.left() - 2, left.height());
        };
        const QImage shown = memo->viewport()->grab().toImage();
        const auto red = [&shown](const QRect& rect) {
            int count = 0;
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x)
                    count += shown.pixelColor(x, y) == TSpellView::underlineColor();
            return count;
        };
        const QRect wrongCell = cell(at, at + int(wrong.size()));
        QVERIFY(memo->viewport()->rect().contains(wrongCell));
        QVERIFY2(red(wrongCell) >= wrongCell.width() / 2, qPrintable(QString::number(red(wrongCell))));
        // From its first letter to its last.
        QVERIFY(red(cell(at, at + 1)) > 0);
        QVERIFY(red(cell(at + int(wrong.size()) - 1, at + int(wrong.size()))) > 0);
        const int next = int(text.indexOf(right));
        QCOMPARE(red(cell(next, next + int(right.size()))), 0);
        if (QTest::currentDataTag() == QLatin1String("wrapped"))
            QVERIFY(wrongCell.top() > memo->cursorRect(QTextCursor(memo->document())).top());
    }

    // An edit that changes the verdicts along a stretch running over several
    // rows shows them in every row, also in rows whose text stays: with a "+"
    // for its "@", an address is words.
    void stretchOverRowsRepainted()
    {
        const QString text = QStringLiteral("Ein Satz x@y") + QStringLiteral("/Fehlr").repeated(40);
        showForm(text);
        TMemo* memo = m_form->memoMain;
        QTextCursor cursor(memo->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral(" "));  // a block's first edit paints it whole
        QTRY_VERIFY(!view()->checker()->isBusy());
        ShownViewport(m_form.get(), memo->viewport());
        cursor.setPosition(int(text.indexOf(u'@')));
        cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor);
        cursor.insertText(QStringLiteral("+"));
        QTRY_VERIFY(!view()->checker()->isBusy());
        const QImage shown = ShownViewport(m_form.get(), memo->viewport());
        QCOMPARE(shown, FreshlyPainted(memo->viewport()));
        int red = 0;  // below the edited row
        for (int y = memo->cursorRect(cursor).bottom() + 1; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                red += shown.pixelColor(x, y) == TSpellView::underlineColor();
        QVERIFY(red > 0);
    }

    // A paint of parts with rows between them, as a caret that jumps rows
    // asks for, shows in each part what a paint of the whole shows: the
    // text and the wavy lines.
    void scatteredPartsPainted()
    {
        showForm(QStringLiteral("Ein Fehlr\nzwei\ndrei\nvier\nfünf\nsechs Aufgabn"));
        TMemo* memo = m_form->memoMain;
        QWidget* viewport = memo->viewport();
        const auto row = [&](int block) {
            const QRect caret = memo->cursorRect(QTextCursor(memo->document()->findBlockByNumber(block)));
            return QRect(0, caret.top(), viewport->width(), caret.height());
        };
        const auto painted = [viewport](const QRegion& region) {
            QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::black);
            viewport->render(&image, region.boundingRect().topLeft(), region);
            return image;
        };
        const QImage whole = painted(viewport->rect());
        const QRegion parts = QRegion(row(0)) + row(2) + row(5);
        const QImage scattered = painted(parts);
        for (const QRect& part : parts) {
            QCOMPARE(scattered.copy(part), whole.copy(part));
            const QImage shown = whole.copy(part);
            int red = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    red += shown.pixelColor(x, y) == TSpellView::underlineColor();
            QVERIFY((red > 0) == (part != row(2)));
        }
    }

    // A word cut by a piece break is replaced whole; the pieces stay.
    void suggestionAcrossPieceBreak()
    {
        QString line = QStringLiteral("Ein Satz: ");
        while (line.size() < 125)
            line += QStringLiteral("Haus/");
        line += QStringLiteral("Gästebucheintarg/Haus und mehr");
        showForm(QString());
        m_form->memoMain->setLongLineLengthForTesting(100);
        m_form->memoMain->setText(line);
        QTRY_VERIFY(!view()->checker()->isBusy());
        const int at = int(line.indexOf(QStringLiteral("Gästebucheintarg")));
        const QTextDocument* doc = m_form->memoMain->document();
        QVERIFY(doc->findBlock(at) != doc->findBlock(at + 16));
        const int blocks = doc->blockCount();
        std::unique_ptr<QMenu> menu = settledMenuAt(at + 2);
        QAction* right = Entry(menu.get(), QStringLiteral("miSpellSuggestion"), QStringLiteral("Gästebucheintrag"));
        QVERIFY(right);
        right->trigger();
        QCOMPARE(m_form->memoMain->text(), QString(line).replace(QStringLiteral("eintarg"), QStringLiteral("eintrag")));
        QCOMPARE(m_form->memoMain->charCount(), line.size());
        QCOMPARE(doc->blockCount(), blocks);
        QTest::keyClick(m_form->memoMain, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_form->memoMain->text(), line);
        QCOMPARE(m_form->memoMain->textCursor().position(), at + 16 + 1);  // one piece break inside the word
    }

    // A right click on a misspelling offers its suggestions, wherever the caret is.
    void rightClickAwayFromTheCaret()
    {
        const QString text = QStringLiteral("Ein Satz mit Fehlr hier");
        showForm(text);
        TMemo* memo = m_form->memoMain;
        memo->setTextCursor(QTextCursor(memo->document()));
        QTextCursor word(memo->document());
        word.setPosition(int(text.indexOf(QStringLiteral("Fehlr"))) + 2);
        const QPoint at = memo->cursorRect(word).center();
        QStringList offered;
        QTimer::singleShot(0, memo, [&offered] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            const auto suggestions = [menu] {
                QStringList entries;
                for (QAction* action : menu->actions())
                    if (action->objectName() == QLatin1String("miSpellSuggestion"))
                        entries << action->text();
                return entries;
            };
            // The worker's suggestions take the waiting entry's place.
            QTRY_VERIFY_WITH_TIMEOUT(!suggestions().isEmpty(), 5000);
            offered = suggestions();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, memo->viewport()->mapToGlobal(at));
        QApplication::sendEvent(memo->viewport(), &event);
        QVERIFY2(offered.contains(QStringLiteral("Fehler")), qPrintable(offered.join(u',')));
    }

    // The menu shows at once: a waiting entry that cannot be chosen, the
    // suggestions in its place when they come, "keine Vorschläge" when they
    // take too long (and later ones are not shown). Ignoring works meanwhile.
    void menuWaitsForSuggestions_data()
    {
        QTest::addColumn<int>("heldFor");  // ms the lookups are held
        QTest::addColumn<bool>("ignore");  // "Ignorieren" chosen while waiting
        QTest::newRow("suggestions come") << 100 << false;
        QTest::newRow("ignored while waiting") << 100 << true;
        QTest::newRow("too slow") << TSpellView::SearchLimit + 300 << false;
    }
    void menuWaitsForSuggestions()
    {
        QFETCH(int, heldFor);
        QFETCH(bool, ignore);
        showForm(QStringLiteral("Ein Fehlr hier"));
        TSpellChecker* checker = view()->checker();
        checker->holdLookupsForTesting(true);
        std::unique_ptr<QMenu> menu = menuAt(6);
        QAction* waiting =
            Entry(menu.get(), QStringLiteral("miSpellSearching"), QStringLiteral("Vorschläge werden gesucht …"));
        QVERIFY(waiting && !waiting->isEnabled());
        QCOMPARE(menu->actions().value(0), waiting);
        QVERIFY(!Entry(menu.get(), QStringLiteral("miSpellSuggestion")));
        if (ignore) {
            Entry(menu.get(), QStringLiteral("miSpellIgnore"))->trigger();
            QVERIFY(checker->misses(m_form->memoMain->document()->begin()));  // not judged again yet
        }
        QTest::qWait(heldFor);
        checker->holdLookupsForTesting(false);
        if (heldFor > TSpellView::SearchLimit) {
            QAction* none =
                Entry(menu.get(), QStringLiteral("miSpellNoSuggestion"), QStringLiteral("keine Vorschläge"));
            QVERIFY(none && !none->isEnabled());
            QTRY_VERIFY(!checker->isBusy());
            QTest::qWait(100);
            QVERIFY(!Entry(menu.get(), QStringLiteral("miSpellSuggestion")));
            return;
        }
        QTRY_VERIFY(Entry(menu.get(), QStringLiteral("miSpellSuggestion"), QStringLiteral("Fehler")));
        QVERIFY(!Entry(menu.get(), QStringLiteral("miSpellSearching")));
        QCOMPARE(menu->actions().value(0)->objectName(), QStringLiteral("miSpellSuggestion"));
        QTRY_COMPARE(bool(checker->misses(m_form->memoMain->document()->begin())), !ignore);
    }

    // With a file where the list's folder should be, the add names the
    // cause and says that the word counts only until the program ends.
    void addWithAFileInPlaceOfTheFolder()
    {
        const QString folder = QFileInfo(PersonalWordListPath()).path();
        WriteFileBytes(folder, "kein Ordner");
        const auto removeFile = qScopeGuard([&] { QFile::remove(folder); });
        showForm(QStringLiteral("Ein Karstwort hier"));
        QVERIFY(view()->checker()->misses(m_form->memoMain->document()->begin()));
        ErrorBoxRecorder errors;
        std::unique_ptr<QMenu> menu = menuAt(6);
        QAction* add = Entry(menu.get(), QStringLiteral("miSpellAdd"));
        QVERIFY(add);
        add->trigger();
        QTRY_COMPARE(errors.shown,
                     QStringList{QStringLiteral("In %1 kann nicht geschrieben werden: %2 ist eine Datei, kein Ordner.\n"
                                                "Das Wort „Karstwort“ gilt nur, bis das Programm endet.")
                                     .arg(PersonalWordListPath(), folder)});
        QTRY_VERIFY(!view()->checker()->misses(m_form->memoMain->document()->begin()));
        QCOMPARE(ReadFileBytes(folder), QByteArray("kein Ordner"));
    }

    // The check item: remembered in a section of its own, written only when
    // the user switches it.
    void checkItemRemembered()
    {
        showForm(QStringLiteral("Fehlr"));
        QVERIFY(!QFile::exists(iniFile()));
        std::unique_ptr<QMenu> menu = menuAt(0);
        QAction* check = Entry(menu.get(), QStringLiteral("miSpellCheck"), QStringLiteral("Rechtschreibung prüfen"));
        QVERIFY(check && check->isCheckable() && check->isChecked());
        check->trigger();
        QCOMPARE(ReadFileBytes(iniFile()), QByteArray("[Rechtschreibung]\r\nPruefen=0\r\n"));
        QVERIFY(!view()->checker()->misses(m_form->memoMain->document()->begin()));
        QVERIFY(!Entry(menuAt(0).get(), QStringLiteral("miSpellSuggestion")));
        QCOMPARE(view()->checker()->state(), TSpellChecker::State::Unloaded);

        menu.reset();
        m_form.reset();
        showForm(QStringLiteral("Fehlr"));
        QVERIFY(!view()->checker()->isEnabled());
        QTest::qWait(TSpellView::LoadDelay + 100);
        QCOMPARE(view()->checker()->state(), TSpellChecker::State::Unloaded);  // never loaded
        Entry(menuAt(0).get(), QStringLiteral("miSpellCheck"))->trigger();
        QCOMPARE(ReadFileBytes(iniFile()), QByteArray("[Rechtschreibung]\r\nPruefen=1\r\n"));
        QTRY_VERIFY(view()->checker()->misses(m_form->memoMain->document()->begin()));
    }

    // The program's own words are never underlined: the whole of its about
    // text, and a word of it typed with a typographic apostrophe.
    void aboutTextNotUnderlined()
    {
        showForm(AboutText() + QStringLiteral("\nVexlo’ler"));
        for (QTextBlock block = m_form->memoMain->document()->begin(); block.isValid(); block = block.next())
            QVERIFY2(!view()->checker()->misses(block), qPrintable(block.text()));
    }

    void noDictionaryInstalled()
    {
        TMemo memo;
        new TSpellView(&memo, m_dir.filePath(QStringLiteral("de_DE")), m_dir.filePath(QStringLiteral("words.txt")));
        memo.setText(QStringLiteral("Fehlr"));
        std::unique_ptr<QMenu> menu(memo.createContextMenu(QPoint()));
        QAction* item = menu->actions().value(0);
        QCOMPARE(item->text(),
                 QStringLiteral("Rechtschreibung: kein deutsches Wörterbuch installiert (hunspell-de-de)"));
        QVERIFY(!item->isEnabled());
    }

    // The spelling's entries at the menu's top and the limits' at its end,
    // whichever of the two was made first.
    void menuPartsWhateverTheOrder_data()
    {
        QTest::addColumn<bool>("spellingFirst");
        QTest::newRow("limits first") << false;
        QTest::newRow("spelling first") << true;
    }
    void menuPartsWhateverTheOrder()
    {
        QFETCH(bool, spellingFirst);
        TMemo memo;
        const auto addSpelling = [&] {
            new TSpellView(&memo, m_dir.filePath(QStringLiteral("de_DE")), m_dir.filePath(QStringLiteral("words.txt")));
        };
        if (spellingFirst)
            addSpelling();
        new TLimitView(&memo, EveryBlockSeparator(memo.document()), [](const QString&) {});
        if (!spellingFirst)
            addSpelling();
        std::unique_ptr<QMenu> menu(memo.createContextMenu(QPoint()));
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.value(0)->objectName(), QStringLiteral("miSpellCheck"));
        QCOMPARE(actions.value(actions.size() - 1)->objectName(), QStringLiteral("miCopyForum"));
    }
};

VEXLO_TEST_MAIN(TestSpellView)
#include "test_spellview.moc"
