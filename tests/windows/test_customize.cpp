#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "framework/FontDialog.h"
#include "framework/LabelButton.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/customize.h"
#include "windows/main.h"

namespace {

const QByteArray kGreenFile =
    "[Config]\r\nFont=DejaVu Serif\r\nFontSize=12\r\nGrenzeGB=5\r\nGrenzeForum=8\r\nSysTray=1\r\nLayout=1\r\n"
    "StartMinimized=1\r\n[URL]\r\nURL1=http://example.org\r\n";
const QByteArray kBlueFile = "[Config]\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\nSysTray=0\r\nLayout=0\r\n";

QColor BackgroundOf(const QWidget* widget)
{
    return widget->palette().color(QPalette::Window);
}

}  // namespace

class TestCustomize : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString iniPath() const { return m_dir->filePath(QStringLiteral("vexloed.ini")); }
    QByteArray iniBytes() const { return ReadFileBytes(iniPath()); }

    // Starts the program's two windows over the settings file given (none when empty).
    void startWith(const QByteArray& ini)
    {
        if (!ini.isEmpty())
            WriteFileBytes(iniPath(), ini);
        frmMain = new TfrmMain;
        frmCustomize = new TfrmCustomize(frmMain);
    }

    // Shows the dialog without a modal loop, active, as the user finds it.
    void open()
    {
        frmCustomize->show();
        QVERIFY(QTest::qWaitForWindowActive(frmCustomize));
    }

    // "anpassen" in the main window: the dialog modally, then reload and recount.
    // The steps run while the dialog is shown; a dialog they leave open is closed.
    bool runCustomize(const std::function<void()>& steps)
    {
        bool closedBySteps = false;
        QTimer::singleShot(0, frmCustomize, [&] {
            if (QTest::qWaitForWindowActive(frmCustomize))
                steps();
            closedBySteps = !frmCustomize->isVisible();
            if (!closedBySteps)
                frmCustomize->done(QDialog::Rejected);
        });
        frmMain->lblCustomizeClick();
        return closedBySteps;
    }

    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    static void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        SetProgramDirForTesting(m_dir->path());
        Settings = TSettings{};
    }

    void cleanup()
    {
        delete frmMain;  // owns the dialog
        frmMain = nullptr;
        frmCustomize = nullptr;
    }

    void firstOpeningWithoutFile()
    {
        startWith({});
        open();
        QCOMPARE(frmCustomize->windowTitle(), QStringLiteral("Konfiguration"));
        QCOMPARE(frmCustomize->size(), QSize(300, 199));
        QCOMPARE(frmCustomize->edGB->text(), QStringLiteral("2000"));
        QCOMPARE(frmCustomize->edForum->text(), QStringLiteral("3000"));
        QVERIFY(!frmCustomize->cbTrayOnStart->isChecked());
        QVERIFY(!frmCustomize->cbStartMinimized->isChecked());
        QVERIFY(frmCustomize->rbLayoutGreen->isChecked());
        QCOMPARE(BackgroundOf(frmCustomize), ToQColor(ColorGreen));
        QCOMPARE(QApplication::focusWidget(), frmCustomize->edGB);
        QCOMPARE(frmCustomize->edGB->selectedText(), QStringLiteral("2000"));
        for (const char* name :
             {"Label1", "Label2", "Label3", "Label4", "Panel1", "lblFont", "lblDefault", "lblSave", "lblCancel", "edGB",
              "edForum", "cbTrayOnStart", "cbStartMinimized", "rbLayoutGreen", "rbLayoutBlue"})
            QVERIFY2(frmCustomize->findChild<QWidget*>(QLatin1String(name)), name);
    }

    // The sunken frame lies whole inside the dialog, its buttons inside it.
    void frameIsWhole()
    {
        startWith({});
        open();
        const QFrame* panel = frmCustomize->findChild<QFrame*>(QStringLiteral("Panel1"));
        QVERIFY(panel);
        QVERIFY(frmCustomize->rect().adjusted(1, 1, -1, -1).contains(panel->geometry()));
        for (const QWidget* button :
             {frmCustomize->lblFont, frmCustomize->lblDefault, frmCustomize->lblSave, frmCustomize->lblCancel})
            QVERIFY2(panel->contentsRect().contains(button->geometry()), qPrintable(button->objectName()));
    }

    void openingFollowsStoredSettings()
    {
        startWith(kBlueFile);
        open();
        QVERIFY(frmCustomize->rbLayoutBlue->isChecked());
        QCOMPARE(BackgroundOf(frmCustomize), ToQColor(ColorBlue));
        QVERIFY(!frmCustomize->cbTrayOnStart->isChecked());
        frmCustomize->lblCancelClick();

        WriteFileBytes(iniPath(), kGreenFile);
        frmMain->LoadSettings();
        open();
        QVERIFY(frmCustomize->rbLayoutGreen->isChecked());
        QCOMPARE(BackgroundOf(frmCustomize), ToQColor(ColorGreen));
        QCOMPARE(BackgroundOf(frmMain->Panel1), ToQColor(ColorGreen));  // the green button's preview ran
        QVERIFY(frmCustomize->cbTrayOnStart->isChecked());
        QVERIFY(frmCustomize->cbStartMinimized->isChecked());
        QCOMPARE(frmCustomize->edGB->text(), QStringLiteral("5"));
        QCOMPARE(frmCustomize->edForum->text(), QStringLiteral("8"));
    }

    void trayBoxMirrorsStoredOptionAtEachOpening()
    {
        startWith({});
        Settings.SysTrayOnStart = true;
        open();
        QVERIFY(frmCustomize->cbTrayOnStart->isChecked());
        frmCustomize->lblCancelClick();
        Settings.SysTrayOnStart = false;
        open();
        QVERIFY(!frmCustomize->cbTrayOnStart->isChecked());
        click(frmCustomize->cbTrayOnStart);  // ticked, then cancelled
        QVERIFY(frmCustomize->cbTrayOnStart->isChecked());
        QTest::keyClick(frmCustomize->edGB, Qt::Key_Escape);
        open();
        QVERIFY(!frmCustomize->cbTrayOnStart->isChecked());
    }

    void layoutPreviewAndCancel()
    {
        startWith({});
        open();
        click(frmCustomize->rbLayoutBlue);
        QVERIFY(frmCustomize->rbLayoutBlue->isChecked());
        QVERIFY(!frmCustomize->rbLayoutGreen->isChecked());
        QCOMPARE(BackgroundOf(frmMain->Panel1), ToQColor(ColorBlue));
        QCOMPARE(BackgroundOf(frmMain->Panel3), ToQColor(ColorBlue));
        QCOMPARE(BackgroundOf(frmCustomize), ToQColor(ColorBlue));
        QVERIFY(frmMain->imgVexlo_blue->isVisibleTo(frmMain));
        QVERIFY(!frmMain->imgVexlo_green->isVisibleTo(frmMain));
        QCOMPARE(Settings.LayoutColor, ColorGreen);

        click(frmCustomize->lblCancel);
        QVERIFY(!frmCustomize->isVisible());
        QCOMPARE(BackgroundOf(frmMain->Panel1), ToQColor(ColorGreen));
        QCOMPARE(BackgroundOf(frmMain->Panel3), ToQColor(ColorGreen));
        QVERIFY(frmMain->imgVexlo_green->isVisibleTo(frmMain));
        QVERIFY(!frmMain->imgVexlo_blue->isVisibleTo(frmMain));
        QVERIFY(!QFile::exists(iniPath()));
    }

    void blueLayoutRoundTrip()
    {
        startWith({});
        QVERIFY(runCustomize([] {
            click(frmCustomize->rbLayoutBlue);
            click(frmCustomize->lblSave);
        }));
        QVERIFY(iniBytes().contains("\r\nLayout=0\r\n"));
        QCOMPARE(Settings.LayoutColor, ColorBlue);
        QCOMPARE(BackgroundOf(frmMain->Panel3), ToQColor(ColorBlue));

        QVERIFY(runCustomize([] {
            QVERIFY(frmCustomize->rbLayoutBlue->isChecked());
            click(frmCustomize->rbLayoutGreen);
            click(frmCustomize->lblSave);
        }));
        QVERIFY(iniBytes().contains("\r\nLayout=1\r\n"));
        QCOMPARE(Settings.LayoutColor, ColorGreen);
    }

    void fontChoicePreviewSaveAndCancel_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("save") << true;
        QTest::newRow("cancel") << false;
    }
    void fontChoicePreviewSaveAndCancel()
    {
        QFETCH(bool, save);
        startWith({});
        QFont bold(QStringLiteral("DejaVu Serif"), 11);
        bold.setBold(true);
        FontDialog::QueueAnswerForTesting(bold);
        QVERIFY(runCustomize([save] {
            click(frmCustomize->lblFont);
            const QFont shown = frmMain->memoMain->textFont();
            QCOMPARE(shown.family(), QStringLiteral("DejaVu Serif"));
            QCOMPARE(shown.pointSize(), 11);
            QVERIFY(!shown.bold());
            click(save ? frmCustomize->lblSave : frmCustomize->lblCancel);
        }));
        const QFont font = frmMain->memoMain->textFont();
        if (save) {
            QVERIFY(iniBytes().startsWith("[Config]\r\nFont=DejaVu Serif\r\nFontSize=11\r\n"));
            QCOMPARE(font.family(), QStringLiteral("DejaVu Serif"));
            QCOMPARE(font.pointSize(), 11);
            QVERIFY(!font.bold());
        } else {
            QVERIFY(!QFile::exists(iniPath()));
            QCOMPARE(font.family(), QStringLiteral("Arial"));
            QCOMPARE(font.pointSize(), 10);
        }
    }

    // The chooser opens on the font the text shows, and OK without a change
    // leaves it as it was: its name too, where a face stands in for it.
    void fontChooserOpensOnTheTextFont_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("chooseFirst");  // DejaVu Sans 7 chosen, then "Standardwerte"
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("size");
        QTest::newRow("default font") << QByteArray() << false << "Arial" << 10;
        QTest::newRow("stored font") << kGreenFile << false << "DejaVu Serif" << 12;
        QTest::newRow("after Standardwerte") << QByteArray() << true << "Arial" << 10;
    }
    void fontChooserOpensOnTheTextFont()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, chooseFirst);
        QFETCH(QString, family);
        QFETCH(int, size);
        startWith(ini);
        open();
        if (chooseFirst) {
            FontDialog::QueueAnswerForTesting(QFont(QStringLiteral("DejaVu Sans"), 7));
            frmCustomize->lblFontClick();
            frmCustomize->lblDefaultClick();
        }
        QFont offered;
        QTimer::singleShot(0, [&offered] {
            auto* chooser = qobject_cast<FontChooser*>(QApplication::activeModalWidget());
            if (!chooser)
                return;
            offered = chooser->chosenFont();
            chooser->accept();
        });
        frmCustomize->lblFontClick();
        QCOMPARE(offered.family(), QFontInfo(QFont(family)).family());
        QCOMPARE(offered.pointSize(), size);
        QCOMPARE(frmMain->memoMain->textFont().family(), family);
        QCOMPARE(frmMain->memoMain->textFont().pointSize(), size);
        frmCustomize->lblSaveClick();
        QVERIFY(iniBytes().contains("Font=" + family.toUtf8() + "\r\nFontSize=" + QByteArray::number(size) + "\r\n"));
    }

    void fontChooserOffersSixToTwelvePoints()
    {
        FontChooser chooser;
        QStringList sizes;
        for (int row = 0; row < chooser.sizeList->count(); ++row)
            sizes << chooser.sizeList->item(row)->text();
        QCOMPARE(sizes, QStringList({"6", "7", "8", "9", "10", "11", "12"}));
        QFont big(QStringLiteral("DejaVu Serif"), 20);
        big.setItalic(true);
        chooser.setChosenFont(big);
        QCOMPARE(chooser.chosenFont().pointSize(), 12);
        QCOMPARE(chooser.chosenFont().family(), QStringLiteral("DejaVu Serif"));
        QVERIFY(!chooser.chosenFont().italic());
        chooser.sizeList->setCurrentRow(0);
        QCOMPARE(chooser.chosenFont().pointSize(), 6);
    }

    void fontDialogOpensWithItsLastChoiceAndTakesTheNewOne()
    {
        FontDialog dialog(QFont(QStringLiteral("DejaVu Sans"), 9));
        int presetSize = 0;
        QString presetFace;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<FontChooser*>(QApplication::activeModalWidget());
            if (!chooser)
                return;
            presetSize = chooser->chosenFont().pointSize();
            presetFace = chooser->chosenFont().family();
            chooser->sizeList->setCurrentRow(5);
            chooser->accept();
        });
        QVERIFY(dialog.Execute(nullptr));
        QCOMPARE(presetSize, 9);
        QCOMPARE(presetFace, QStringLiteral("DejaVu Sans"));
        QCOMPARE(dialog.Font.family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(dialog.Font.pointSize(), 11);

        QTimer::singleShot(0, [] {
            if (QWidget* chooser = QApplication::activeModalWidget())
                QTest::keyClick(chooser, Qt::Key_Escape);
        });
        QVERIFY(!dialog.Execute(nullptr));
        QCOMPARE(dialog.Font.pointSize(), 11);
    }

    void defaultsThenCancelLeaveFileAndFont()
    {
        startWith(kGreenFile);
        QVERIFY(runCustomize([] {
            click(frmCustomize->rbLayoutBlue);
            click(frmCustomize->lblDefault);
            QCOMPARE(frmCustomize->edGB->text(), QStringLiteral("2000"));
            QCOMPARE(frmCustomize->edForum->text(), QStringLiteral("3000"));
            QVERIFY(!frmCustomize->cbTrayOnStart->isChecked());
            QVERIFY(!frmCustomize->cbStartMinimized->isChecked());
            QVERIFY(frmCustomize->rbLayoutGreen->isChecked());
            QCOMPARE(BackgroundOf(frmMain->Panel1), ToQColor(ColorGreen));
            QCOMPARE(frmMain->memoMain->textFont().family(), QStringLiteral("Arial"));
            QCOMPARE(Settings.GrenzeGB, 2000);
            click(frmCustomize->lblCancel);
            QCOMPARE(Settings.GrenzeGB, 5);
            QCOMPARE(Settings.GrenzeForum, 8);
        }));
        QCOMPARE(iniBytes(), kGreenFile);
        QCOMPARE(frmMain->memoMain->textFont().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(frmMain->memoMain->textFont().pointSize(), 12);
    }

    void defaultsThenSaveWriteTheDefaults()
    {
        startWith(kGreenFile);
        QVERIFY(runCustomize([] {
            click(frmCustomize->lblDefault);
            click(frmCustomize->lblSave);
        }));
        QCOMPARE(iniBytes(),
                 QByteArray("[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\n"
                            "SysTray=0\r\nLayout=1\r\nStartMinimized=0\r\n[URL]\r\nURL1=http://example.org\r\n"));
    }

    void saveWithoutFileCreatesIt()
    {
        startWith({});
        QVERIFY(runCustomize([] {
            click(frmCustomize->cbTrayOnStart);
            click(frmCustomize->cbStartMinimized);
            click(frmCustomize->lblSave);
        }));
        QCOMPARE(iniBytes(), QByteArray("[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\n"
                                        "SysTray=1\r\nLayout=1\r\nStartMinimized=1\r\n"));
        QVERIFY(Settings.SysTrayOnStart);
        QVERIFY(Settings.StartMinimized);
    }

    void badLimitKeepsDialogOpenAndFileUntouched_data()
    {
        QTest::addColumn<QString>("gb");
        QTest::addColumn<QString>("forum");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty guest book") << ""
                                          << "3000"
                                          << "'' ist kein gültiger Integerwert.";
        QTest::newRow("letters in forum") << "2000"
                                          << "12a"
                                          << "'12a' ist kein gültiger Integerwert.";
        QTest::newRow("trailing blank") << "12 "
                                        << "3000"
                                        << "'12 ' ist kein gültiger Integerwert.";
        QTest::newRow("sign only") << "-"
                                   << "3000"
                                   << "'-' ist kein gültiger Integerwert.";
    }
    void badLimitKeepsDialogOpenAndFileUntouched()
    {
        QFETCH(QString, gb);
        QFETCH(QString, forum);
        QFETCH(QString, message);
        startWith(kGreenFile);
        ErrorBoxRecorder errors;
        open();
        click(frmCustomize->rbLayoutBlue);
        click(frmCustomize->cbStartMinimized);
        frmCustomize->edGB->setText(gb);
        frmCustomize->edForum->setText(forum);
        click(frmCustomize->lblSave);
        QCOMPARE(errors.shown, QStringList({message}));
        QVERIFY(frmCustomize->isVisible());
        QCOMPARE(frmCustomize->edGB->text(), gb);
        QCOMPARE(frmCustomize->edForum->text(), forum);
        QVERIFY(frmCustomize->rbLayoutBlue->isChecked());
        QVERIFY(!frmCustomize->cbStartMinimized->isChecked());
        QCOMPARE(BackgroundOf(frmMain->Panel1), ToQColor(ColorBlue));
        QCOMPARE(iniBytes(), kGreenFile);

        // Corrected, the same dialog saves.
        frmCustomize->edGB->setText(QStringLiteral("100"));
        frmCustomize->edForum->setText(QStringLiteral("200"));
        QTest::keyClick(frmCustomize->edForum, Qt::Key_Return);
        QCOMPARE(errors.shown.size(), 1);
        QVERIFY(!frmCustomize->isVisible());
        QVERIFY(
            iniBytes().contains("\r\nGrenzeGB=100\r\nGrenzeForum=200\r\nSysTray=1\r\nLayout=0\r\nStartMinimized=0"));
    }

    void refusedFileIsReportedAndDialogStays_data()
    {
        QTest::addColumn<bool>("missingDirectory");
        QTest::newRow("file cannot be created") << true;
        QTest::newRow("file cannot be written") << false;
    }
    void refusedFileIsReportedAndDialogStays()
    {
        QFETCH(bool, missingDirectory);
        startWith({});
        QString expected;
        if (missingDirectory) {
            SetProgramDirForTesting(m_dir->filePath(QStringLiteral("gone")));
            expected = QStringLiteral("Datei %1 kann nicht erstellt werden: Datei nicht gefunden.")
                           .arg(m_dir->filePath(QStringLiteral("gone/vexloed.ini")));
        } else {
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("vexloed.ini")));
            expected = QStringLiteral("In %1 kann nicht geschrieben werden.").arg(iniPath());
        }
        ErrorBoxRecorder errors;
        open();
        QTest::keyClick(frmCustomize->edGB, Qt::Key_Enter);
        QCOMPARE(errors.shown, QStringList({expected}));
        QVERIFY(frmCustomize->isVisible());
        QCOMPARE(frmCustomize->edGB->text(), QStringLiteral("2000"));
    }

    void limitsStoredUnchangedAndIndicatorsFollow_data()
    {
        QTest::addColumn<QString>("gb");
        QTest::addColumn<QString>("forum");
        QTest::addColumn<int>("storedGB");
        QTest::addColumn<bool>("gbShown");
        QTest::addColumn<bool>("forumShown");
        // The text is "abcde": five characters.
        QTest::newRow("zero") << "0"
                              << "3000" << 0 << true << false;
        QTest::newRow("negative") << "-5"
                                  << "-5" << -5 << true << true;
        QTest::newRow("at the limit") << "5"
                                      << "6" << 5 << true << false;
        QTest::newRow("four digits") << "9999"
                                     << "1" << 9999 << false << true;
        QTest::newRow("hexadecimal") << "$1F"
                                     << "x5" << 31 << false << true;
    }
    void limitsStoredUnchangedAndIndicatorsFollow()
    {
        QFETCH(QString, gb);
        QFETCH(QString, forum);
        QFETCH(int, storedGB);
        QFETCH(bool, gbShown);
        QFETCH(bool, forumShown);
        startWith({});
        frmMain->memoMain->setText(QStringLiteral("abcde"));
        QVERIFY(frmMain->lblGB->isHidden());
        QVERIFY(runCustomize([&] {
            typeInto(frmCustomize->edGB, gb);
            typeInto(frmCustomize->edForum, forum);
            QTest::keyClick(frmCustomize->edForum, Qt::Key_Return);
        }));
        QVERIFY(iniBytes().contains(QStringLiteral("\r\nGrenzeGB=%1\r\n").arg(storedGB).toUtf8()));
        QCOMPARE(Settings.GrenzeGB, storedGB);
        QCOMPARE(!frmMain->lblGB->isHidden(), gbShown);
        QCOMPARE(!frmMain->lblForum->isHidden(), forumShown);
    }

    void enterAndEscapeActOnceFromAnyControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Enter in edGB") << "edGB" << int(Qt::Key_Return) << true;
        QTest::newRow("keypad Enter in cbStartMinimized") << "cbStartMinimized" << int(Qt::Key_Enter) << true;
        QTest::newRow("Escape in edForum") << "edForum" << int(Qt::Key_Escape) << false;
        QTest::newRow("Escape in rbLayoutBlue") << "rbLayoutBlue" << int(Qt::Key_Escape) << false;
    }
    void enterAndEscapeActOnceFromAnyControl()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(bool, saved);
        startWith(kGreenFile);
        int closings = 0;
        connect(frmCustomize, &QDialog::finished, frmCustomize, [&closings] { ++closings; });
        open();
        click(frmCustomize->rbLayoutBlue);
        typeInto(frmCustomize->edGB, QStringLiteral("77"));
        auto* target = frmCustomize->findChild<QWidget*>(control);
        QVERIFY(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(!frmCustomize->isVisible());
        QCOMPARE(closings, 1);
        QCOMPARE(frmCustomize->result(), saved ? int(QDialog::Accepted) : int(QDialog::Rejected));
        if (saved) {
            QVERIFY(iniBytes().contains("\r\nGrenzeGB=77\r\n"));
            QVERIFY(iniBytes().contains("\r\nLayout=0\r\n"));
        } else {
            QCOMPARE(iniBytes(), kGreenFile);
            QCOMPARE(BackgroundOf(frmMain->Panel1), ToQColor(ColorGreen));
            open();  // typed text is gone at the next opening
            QCOMPARE(frmCustomize->edGB->text(), QStringLiteral("5"));
        }
    }

    void closeBoxCancels()
    {
        startWith({});
        QVERIFY(runCustomize([] {
            FontDialog::QueueAnswerForTesting(QFont(QStringLiteral("DejaVu Serif"), 9));
            click(frmCustomize->lblFont);
            click(frmCustomize->rbLayoutBlue);
            frmCustomize->close();
        }));
        QVERIFY(!QFile::exists(iniPath()));
        QCOMPARE(frmMain->memoMain->textFont().family(), QStringLiteral("Arial"));
        QCOMPARE(BackgroundOf(frmMain->Panel1), ToQColor(ColorGreen));
        QVERIFY(frmMain->imgVexlo_green->isVisibleTo(frmMain));
    }

    void limitFieldsTakeFourCharacters()
    {
        startWith({});
        open();
        QTest::keyClicks(frmCustomize->edGB, QStringLiteral("123456"));
        QCOMPARE(frmCustomize->edGB->text(), QStringLiteral("1234"));
        frmCustomize->edForum->setText(QStringLiteral("98765"));
        QCOMPARE(frmCustomize->edForum->text(), QStringLiteral("9876"));
    }

    void tabOrderSelectsWholeLimitText()
    {
        startWith({});
        open();
        QWidget* expected[] = {frmCustomize->edForum,       frmCustomize->cbTrayOnStart, frmCustomize->cbStartMinimized,
                               frmCustomize->rbLayoutGreen, frmCustomize->lblFont,       frmCustomize->lblDefault,
                               frmCustomize->lblSave,       frmCustomize->lblCancel};
        frmCustomize->edForum->setSelection(1, 2);
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
            if (next == frmCustomize->edForum)
                QCOMPARE(frmCustomize->edForum->selectedText(), QStringLiteral("3000"));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // past the last button, back to the start
        QCOMPARE(QApplication::focusWidget(), frmCustomize->edGB);
        QCOMPARE(frmCustomize->edGB->selectedText(), QStringLiteral("2000"));
    }

    // Space and Enter run the label button in focus as a click does, Enter
    // there saving nothing; Escape still cancels.
    void keysRunTheFocusedButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("effect");
        for (const int key : {int(Qt::Key_Space), int(Qt::Key_Return)}) {
            const QString name = key == Qt::Key_Space ? QStringLiteral("Space") : QStringLiteral("Enter");
            QTest::newRow(qPrintable(name + " on Schriftart")) << "lblFont" << key << "font";
            QTest::newRow(qPrintable(name + " on Standardwerte")) << "lblDefault" << key << "defaults";
            QTest::newRow(qPrintable(name + " on Speichern")) << "lblSave" << key << "saved";
            QTest::newRow(qPrintable(name + " on Abbrechen")) << "lblCancel" << key << "cancelled";
        }
        QTest::newRow("Escape on Schriftart") << "lblFont" << int(Qt::Key_Escape) << "cancelled";
    }
    void keysRunTheFocusedButton()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(QString, effect);
        startWith(kGreenFile);
        frmMain->LoadSettings();
        open();
        if (effect == QLatin1String("font"))
            FontDialog::QueueAnswerForTesting(QFont(QStringLiteral("DejaVu Sans"), 7));
        // A chooser shown where none should be is turned down, and seen so.
        QTimer::singleShot(0, [] {
            if (auto* chooser = qobject_cast<FontChooser*>(QApplication::activeModalWidget()))
                chooser->reject();
        });
        frmCustomize->edGB->setText(QStringLiteral("77"));
        auto* target = frmCustomize->findChild<LabelButton*>(button);
        QVERIFY(target);
        target->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key(key));
        const QFont font = frmMain->memoMain->textFont();
        QCOMPARE(font.family(), effect == QLatin1String("font")       ? QStringLiteral("DejaVu Sans")
                                : effect == QLatin1String("defaults") ? QStringLiteral("Arial")
                                                                      : QStringLiteral("DejaVu Serif"));
        QCOMPARE(frmCustomize->edGB->text(), effect == QLatin1String("defaults") ? "2000" : "77");
        QCOMPARE(frmCustomize->isVisible(), effect == QLatin1String("font") || effect == QLatin1String("defaults"));
        QCOMPARE(iniBytes().contains("GrenzeGB=77\r\n"), effect == QLatin1String("saved"));
        frmCustomize->close();
    }

    void centredOnMainWindow()
    {
        startWith({});
        frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmMain));
        frmMain->move(100, 80);
        open();
        const QPoint offset = frmCustomize->frameGeometry().center() - frmMain->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("offset %1,%2").arg(offset.x()).arg(offset.y())));
    }
};

VEXLO_TEST_MAIN(TestCustomize)
#include "test_customize.moc"
