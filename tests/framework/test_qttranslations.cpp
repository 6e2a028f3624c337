#include <QFileDialog>
#include <QTest>

#include "framework/QtTranslations.h"
#include "testsupport.h"

class TestQtTranslations : public QObject {
    Q_OBJECT

    // Loads the German texts once; the test of an unknown language runs first.
    static bool German()
    {
        static const bool loaded = LoadQtTranslations(*QCoreApplication::instance(), QStringLiteral("de"));
        return loaded;
    }

private slots:
    void unknownLanguageChangesNothing()
    {
        QVERIFY(!LoadQtTranslations(*QCoreApplication::instance(), QStringLiteral("xx")));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Open"));
    }

    // Qt's own texts in German, whatever the test's English locale says.
    void germanStandardTexts_data()
    {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("german");
        QTest::newRow("open dialog") << QByteArray("QFileDialog") << QByteArray("Open") << QStringLiteral("Öffnen");
        QTest::newRow("save dialog") << QByteArray("QFileDialog") << QByteArray("Save As")
                                     << QStringLiteral("Speichern unter");
        QTest::newRow("font dialog") << QByteArray("QFontDialog") << QByteArray("Select Font")
                                     << QStringLiteral("Schriftart auswählen");
        QTest::newRow("message box button")
            << QByteArray("QPlatformTheme") << QByteArray("Cancel") << QStringLiteral("Abbrechen");
        QTest::newRow("text area menu") << QByteArray("QWidgetTextControl") << QByteArray("&Paste")
                                        << QStringLiteral("Einf&ügen");
    }
    void germanStandardTexts()
    {
        QFETCH(QByteArray, context);
        QFETCH(QByteArray, source);
        QFETCH(QString, german);
        QVERIFY2(German(), "Qt's German translations (Debian qt6-translations-l10n) are not installed");
        QCOMPARE(QCoreApplication::translate(context.constData(), source.constData()), german);
    }

    void openDialogTitledInGerman()
    {
        QVERIFY(German());
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Öffnen"));
    }
};

VEXLO_TEST_MAIN(TestQtTranslations)
#include "test_qttranslations.moc"
