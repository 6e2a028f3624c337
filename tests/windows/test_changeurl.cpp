#include <QAccessible>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>

#include "framework/LabelButton.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "windows/ProUrl.h"
#include "windows/ProUrlOpen.h"
#include "windows/changeurl.h"
#include "windows/extern.h"

namespace {

const QString Unassigned = QStringLiteral("< unbelegt >");
const QString ThirtyChars = QStringLiteral("Ein Name mit dreißig Zeichen!!");

}  // namespace

class TestChangeUrl : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    static TProUrlLabel* entry(int n) { return frmExtern->Entry(n); }

    // Opens the edit dialog for entry n as its edit button does.
    static void openFor(int n)
    {
        frmExtern->SpeedButtonClick(n);
        QVERIFY(frmChangeURL->isVisible());
    }

    static void setEntry(int n, const QString& url, const QString& caption)
    {
        entry(n)->setURL(url);
        entry(n)->setCaption(caption);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetProgramDirForTesting(m_dir.path());  // no settings file in there
        SetLinkOpenerForTesting([](const QString&) {});
    }

    void init()
    {
        Settings.LayoutColor = ColorGreen;
        EditSlot = 0;
        frmExtern = new TfrmExtern;
        frmChangeURL = new TfrmChangeURL;
        frmExtern->show();
    }

    void cleanup()
    {
        delete frmChangeURL;
        frmChangeURL = nullptr;
        delete frmExtern;
        frmExtern = nullptr;
    }

    // A screen reader names each field as the label beside it reads, and
    // tells its hint as the description.
    void fieldsNamedAsTheirLabels_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::newRow("address") << "edURL"
                                 << "URL"
                                 << "Internet-Link\r\nhttp://<webadresse>\r\nmailto:<mailadresse>";
        QTest::newRow("name") << "edName"
                              << "Name"
                              << "Beschreibungstext";
    }
    void fieldsNamedAsTheirLabels()
    {
        QFETCH(QString, field);
        QFETCH(QString, name);
        QFETCH(QString, description);
        auto* edit = frmChangeURL->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(edit);
        QVERIFY(face);
        QCOMPARE(face->text(QAccessible::Name), name);
        QCOMPARE(face->text(QAccessible::Description), description);
        const auto* label = frmChangeURL->findChild<QLabel*>(field == QLatin1String("edURL") ? "Label1" : "Label2");
        QCOMPARE(label->text(), name);
        QCOMPARE(label->buddy(), edit);
    }

    void layoutAndNote()
    {
        QCOMPARE(frmChangeURL->windowTitle(), QStringLiteral("URL ändern"));
        QCOMPARE(frmChangeURL->size(), QSize(324, 176));
        QCOMPARE(frmChangeURL->edURL->geometry(), QRect(55, 6, 258, 21));
        QCOMPARE(frmChangeURL->edName->geometry(), QRect(55, 46, 258, 21));
        const QStringList note = frmChangeURL->Label5->text().split(QStringLiteral("\r\n"));
        QCOMPARE(note.size(), 4);
        QCOMPARE(note[0], QStringLiteral("Hinweis: Sowohl Webseiten als auch Mailadressen können hier"));
        QVERIFY(note[3].startsWith(QStringLiteral("Bsp: http://")));
        QVERIFY(note[3].contains(QStringLiteral("  mailto:")));
    }

    void showFillsFieldsFromEntry()
    {
        setEntry(4, QStringLiteral("http://vier.example.org"), QStringLiteral("Vier"));
        Settings.LayoutColor = ColorBlue;
        openFor(4);
        QCOMPARE(EditSlot, 4);
        QCOMPARE(frmChangeURL->edURL->text(), QStringLiteral("http://vier.example.org"));
        QCOMPARE(frmChangeURL->edName->text(), QStringLiteral("Vier"));
        QCOMPARE(frmChangeURL->palette().color(QPalette::Window), ToQColor(ColorBlue));
        QCOMPARE(frmChangeURL->focusWidget(), frmChangeURL->edURL);

        frmChangeURL->lblCancelClick();
        openFor(5);
        QCOMPARE(frmChangeURL->edURL->text(), QString());
        QCOMPARE(frmChangeURL->edName->text(), Unassigned);
    }

    void slotOutsideRange_data()
    {
        QTest::addColumn<int>("slot");
        QTest::newRow("0") << 0;
        QTest::newRow("9") << 9;
        QTest::newRow("-1") << -1;
    }
    void slotOutsideRange()
    {
        QFETCH(int, slot);
        EditSlot = slot;
        frmChangeURL->show();
        QCOMPARE(frmChangeURL->edURL->text(), QStringLiteral("???"));
        QCOMPARE(frmChangeURL->edName->text(), QStringLiteral("???"));
        frmChangeURL->edURL->setText(QStringLiteral("http://neu.example.org"));
        frmChangeURL->lblOKClick();
        QVERIFY(!frmChangeURL->isVisible());
        for (int n = 3; n <= 8; ++n) {
            QCOMPARE(entry(n)->Caption(), Unassigned);
            QCOMPARE(entry(n)->URL(), QString());
        }
        QCOMPARE(entry(2)->Caption(), QStringLiteral("Vexlo Startseite"));
    }

    void takeOver_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("typedUrl");
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<QString>("expectedUrl");
        QTest::addColumn<QString>("expectedCaption");
        QTest::newRow("address for unassigned, name left")
            << "" << Unassigned << "http://a.example.org" << Unassigned << "http://a.example.org" << Unassigned;
        QTest::newRow("empty name takes the address") << "http://x.example.org"
                                                      << "X"
                                                      << "http://y.example.org"
                                                      << ""
                                                      << "http://y.example.org"
                                                      << "http://y.example.org";
        QTest::newRow("empty address unassigns") << "http://x.example.org"
                                                 << "X"
                                                 << ""
                                                 << "Name bleibt nicht"
                                                 << "" << Unassigned;
        QTest::newRow("bare host unchanged") << "" << Unassigned << "www.example.org"
                                             << "Host"
                                             << "www.example.org"
                                             << "Host";
        QTest::newRow("mail without prefix") << "" << Unassigned << "info@example.org"
                                             << "Post"
                                             << "info@example.org"
                                             << "Post";
        QTest::newRow("blanks are an address") << "" << Unassigned << "   "
                                               << ""
                                               << "   "
                                               << "   ";
        QTest::newRow("mailto with name") << "" << Unassigned << "mailto:a@example.org"
                                          << "Mail"
                                          << "mailto:a@example.org"
                                          << "Mail";
    }
    void takeOver()
    {
        QFETCH(QString, url);
        QFETCH(QString, caption);
        QFETCH(QString, typedUrl);
        QFETCH(QString, typedName);
        QFETCH(QString, expectedUrl);
        QFETCH(QString, expectedCaption);
        setEntry(6, url, caption);
        frmExtern->UpdateLinkHints();
        openFor(6);
        frmChangeURL->edURL->clear();
        QTest::keyClicks(frmChangeURL->edURL, typedUrl);
        frmChangeURL->edName->clear();
        QTest::keyClicks(frmChangeURL->edName, typedName);
        QTest::mouseClick(frmChangeURL->lblOK, Qt::LeftButton);
        QVERIFY(!frmChangeURL->isVisible());
        QCOMPARE(entry(6)->URL(), expectedUrl);
        QCOMPARE(entry(6)->Caption(), expectedCaption);
        // The caption shows at once, the tooltip only when the list is activated again.
        QCOMPARE(entry(6)->Hint(), url);
        frmExtern->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frmExtern));
        QCOMPARE(entry(6)->Hint(), expectedUrl);
    }

    void cancelLeavesEntry_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Abbrechen") << "click";
        QTest::newRow("Escape in URL") << "escURL";
        QTest::newRow("Escape in Name") << "escName";
        QTest::newRow("close box") << "close";
    }
    void cancelLeavesEntry()
    {
        QFETCH(QString, how);
        setEntry(7, QStringLiteral("http://sieben.example.org"), QStringLiteral("Sieben"));
        openFor(7);
        QTest::keyClicks(frmChangeURL->edURL, QStringLiteral("/pfad"));
        QTest::keyClicks(frmChangeURL->edName, QStringLiteral("X"));
        if (how == QLatin1String("click"))
            QTest::mouseClick(frmChangeURL->lblCancel, Qt::LeftButton);
        else if (how == QLatin1String("escURL"))
            QTest::keyClick(frmChangeURL->edURL, Qt::Key_Escape);
        else if (how == QLatin1String("escName"))
            QTest::keyClick(frmChangeURL->edName, Qt::Key_Escape);
        else
            frmChangeURL->close();
        QVERIFY(!frmChangeURL->isVisible());
        QCOMPARE(entry(7)->URL(), QStringLiteral("http://sieben.example.org"));
        QCOMPARE(entry(7)->Caption(), QStringLiteral("Sieben"));
    }

    void enterTakesOver_data()
    {
        QTest::addColumn<bool>("inName");
        QTest::addColumn<int>("key");
        QTest::newRow("Return in URL") << false << int(Qt::Key_Return);
        QTest::newRow("Enter in Name") << true << int(Qt::Key_Enter);
    }
    void enterTakesOver()
    {
        QFETCH(bool, inName);
        QFETCH(int, key);
        openFor(3);
        QTest::keyClicks(frmChangeURL->edURL, QStringLiteral("http://drei.example.org"));
        frmChangeURL->edName->clear();
        QTest::keyClicks(frmChangeURL->edName, QStringLiteral("Drei"));
        QTest::keyClick(inName ? frmChangeURL->edName : frmChangeURL->edURL, Qt::Key(key));
        QVERIFY(!frmChangeURL->isVisible());
        QCOMPARE(entry(3)->URL(), QStringLiteral("http://drei.example.org"));
        QCOMPARE(entry(3)->Caption(), QStringLiteral("Drei"));
    }

    void nameLimitOnTyping()
    {
        openFor(3);
        QLineEdit* name = frmChangeURL->edName;
        name->clear();
        QTest::keyClicks(name, QStringLiteral("abcdefghijklmnopqrst"));
        QCOMPARE(name->text().size(), 20);
        QTest::keyClicks(name, QStringLiteral("u"));
        QCOMPARE(name->text(), QStringLiteral("abcdefghijklmnopqrst"));
        // Refused in the middle too, and the caret stays where it was.
        name->setCursorPosition(5);
        QTest::keyClicks(name, QStringLiteral("X"));
        QCOMPARE(name->text(), QStringLiteral("abcdefghijklmnopqrst"));
        QCOMPARE(name->cursorPosition(), 5);
        QTest::keyClick(name, Qt::Key_Backspace);
        QTest::keyClicks(name, QStringLiteral("XY"));
        QCOMPARE(name->text(), QStringLiteral("abcdXfghijklmnopqrst"));
    }

    void nameLimitOnPaste_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("after");
        QTest::newRow("long paste into empty") << ""
                                               << "123456789012345678901234567890"
                                               << "12345678901234567890";
        QTest::newRow("paste fills the rest") << "abcdefghijklmnop"
                                              << "123456"
                                              << "abcdefghijklmnop1234";
        QTest::newRow("short paste fits") << "abc"
                                          << "123"
                                          << "abc123";
    }
    void nameLimitOnPaste()
    {
        QFETCH(QString, before);
        QFETCH(QString, clip);
        QFETCH(QString, after);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(clip);
        if (clipboard->text() != clip)
            QSKIP("no clipboard on this platform");
        openFor(3);
        QLineEdit* name = frmChangeURL->edName;
        name->clear();
        QTest::keyClicks(name, before);
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(name->text(), after);
    }

    // What the fields take is what the settings file gives back: no more
    // characters than it returns, one line; a cut input says so at the field.
    void fieldsTakeWhatComesBack_data()
    {
        QTest::addColumn<bool>("inURL");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("hinted");
        const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("long address") << true << "" << QString(3000, 'a') << QString(2047, 'a') << true;
        QTest::newRow("address that fits") << true << "" << QString(2047, 'a') << QString(2047, 'a') << false;
        QTest::newRow("pair astride the limit")
            << true << QString(2046, 'a') << grin + "b" << QString(2046, 'a') << true;
        QTest::newRow("umlauts count one each")
            << true << "" << QString(2100, QChar(0xFC)) << QString(2047, QChar(0xFC)) << true;
        QTest::newRow("address with line breaks") << true << ""
                                                  << "http://a.example.org/\r\nx\ny"
                                                  << "http://a.example.org/  x y" << false;
        QTest::newRow("name with a line break") << false << ""
                                                << "Zeile\neins"
                                                << "Zeile eins" << false;
        QTest::newRow("long name") << false << "" << ThirtyChars << ThirtyChars.left(20) << true;
    }
    void fieldsTakeWhatComesBack()
    {
        QFETCH(bool, inURL);
        QFETCH(QString, before);
        QFETCH(QString, clip);
        QFETCH(QString, after);
        QFETCH(bool, hinted);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(clip);
        if (clipboard->text() != clip)
            QSKIP("no clipboard on this platform");
        openFor(6);
        if (!inURL)
            frmChangeURL->edURL->setText(QStringLiteral("http://sechs.example.org"));
        QLineEdit* field = inURL ? frmChangeURL->edURL : frmChangeURL->edName;
        field->setText(before);
        field->end(false);
        QToolTip::hideText();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), after);
        QCOMPARE(QToolTip::isVisible() && QToolTip::text().contains(QString::number(inURL ? 2047 : 20)), hinted);

        // Taken over, saved and read back, the entry is what the field showed.
        const QString url = frmChangeURL->edURL->text(), name = frmChangeURL->edName->text();
        frmChangeURL->lblOKClick();
        frmExtern->SaveLinks();
        setEntry(6, QString(), QString());
        frmExtern->LoadLinks();
        QFile::remove(SettingsFileName());
        QCOMPARE(entry(6)->URL(), url);
        QCOMPARE(entry(6)->Caption(), name.isEmpty() ? url : name);
    }

    void longFilledNameShownAndKeptInFull()
    {
        setEntry(8, QStringLiteral("http://acht.example.org"), ThirtyChars);
        openFor(8);
        QLineEdit* name = frmChangeURL->edName;
        QCOMPARE(name->text(), ThirtyChars);
        name->end(false);
        QTest::keyClicks(name, QStringLiteral("x"));
        QCOMPARE(name->text(), ThirtyChars);  // no longer, but
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(name->text(), ThirtyChars.chopped(1));  // shorter is fine
        QTest::keyClicks(name, QStringLiteral("!"));
        QCOMPARE(name->text(), ThirtyChars.chopped(1));
        frmChangeURL->lblOKClick();
        QCOMPARE(entry(8)->Caption(), ThirtyChars.chopped(1));

        // Set by the program, a long name stays whole and is taken over whole.
        openFor(8);
        name->setText(ThirtyChars);
        QCOMPARE(name->text(), ThirtyChars);
        frmChangeURL->lblOKClick();
        QCOMPARE(entry(8)->Caption(), ThirtyChars);
    }

    void secondEditButtonMovesSlotOnly()
    {
        setEntry(4, QStringLiteral("http://vier.example.org"), QStringLiteral("Vier"));
        setEntry(5, QStringLiteral("http://fuenf.example.org"), QStringLiteral("Fünf"));
        openFor(4);
        frmChangeURL->edName->setText(QStringLiteral("Neu"));
        openFor(5);
        QCOMPARE(EditSlot, 5);
        QCOMPARE(frmChangeURL->edURL->text(), QStringLiteral("http://vier.example.org"));  // not refilled
        QCOMPARE(frmChangeURL->edName->text(), QStringLiteral("Neu"));
        frmChangeURL->lblOKClick();
        QCOMPARE(entry(5)->URL(), QStringLiteral("http://vier.example.org"));
        QCOMPARE(entry(5)->Caption(), QStringLiteral("Neu"));
        QCOMPARE(entry(4)->Caption(), QStringLiteral("Vier"));
        // The next showing fills the fields anew.
        openFor(4);
        QCOMPARE(frmChangeURL->edName->text(), QStringLiteral("Vier"));
    }
};

VEXLO_TEST_MAIN(TestChangeUrl)
#include "test_changeurl.moc"
