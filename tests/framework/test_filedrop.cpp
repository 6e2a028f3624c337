#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include "framework/FileDrop.h"
#include "shownmainwindow.h"
#include "storage/globals.h"
#include "storage/textfile.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/main.h"

namespace {

QMimeData* Mime(const QList<QUrl>& urls, const QString& text)
{
    auto* data = new QMimeData;
    if (!urls.isEmpty())
        data->setUrls(urls);
    if (!text.isNull())
        data->setText(text);
    return data;
}

// A drag from another program entering target, moving over it, then dropped
// at the same spot. Returns whether each step was taken.
bool DragAndDrop(QWidget* target, const QMimeData* data)
{
    const QPointF spot(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(spot.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(spot.toPoint() + QPoint(1, 1), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(spot, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

}  // namespace

class TestFileDrop : public QObject {
    Q_OBJECT

    ShownMainWindow m_form;

private slots:
    void init() { QVERIFY(m_form.open()); }
    void cleanup() { m_form.close(); }

    void droppedFile_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("file");
        const QUrl local = QUrl::fromLocalFile(QStringLiteral("/tmp/gruss.txt"));
        const QUrl web(QStringLiteral("https://example.org/gruss.txt"));
        QTest::newRow("text only") << QList<QUrl>{} << QStringLiteral("Hallo") << QString();
        QTest::newRow("one file") << QList<QUrl>{local} << QString() << QStringLiteral("/tmp/gruss.txt");
        QTest::newRow("file with its path as text")
            << QList<QUrl>{local} << QStringLiteral("/tmp/gruss.txt") << QStringLiteral("/tmp/gruss.txt");
        QTest::newRow("web link") << QList<QUrl>{web} << web.toString() << QString();
        QTest::newRow("web link, then a file")
            << QList<QUrl>{web, local} << QString() << QStringLiteral("/tmp/gruss.txt");
        QTest::newRow("two files: the first") << QList<QUrl>{local, QUrl::fromLocalFile(QStringLiteral("/tmp/b.txt"))}
                                              << QString() << QStringLiteral("/tmp/gruss.txt");
    }
    void droppedFile()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, text);
        QFETCH(QString, file);
        const std::unique_ptr<QMimeData> data(Mime(urls, text));
        QCOMPARE(DroppedFile(data.get()), file);
    }

    // A file dropped anywhere on the window opens as "öffnen" opens it.
    void dropFile_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("withText");  // the file's path as text beside its link
        QTest::newRow("on the text area")
            << "memoMain" << QByteArray("Hallo\r\nWelt") << "Hallo\nWelt" << QString() << true;
        // The text area itself takes no drag of links alone.
        QTest::newRow("on the text area, link only")
            << "memoMain" << QByteArray("Hallo") << "Hallo" << QString() << false;
        QTest::newRow("on the side strip") << "Panel1" << QByteArray("Gruß") << "Gruß" << QString() << true;
        QTest::newRow("not a text file") << "memoMain" << QByteArray("a\0b", 3) << "vorher"
                                         << "Datei %1 ist keine Textdatei und kann nicht geöffnet werden." << true;
        QTest::newRow("missing file") << "memoMain" << QByteArray() << "vorher"
                                      << "Datei %1 kann nicht geöffnet werden: Die Datei existiert nicht." << true;
    }
    void dropFile()
    {
        QFETCH(QString, site);
        QFETCH(QByteArray, content);
        QFETCH(QString, text);
        QFETCH(QString, error);
        QFETCH(bool, withText);
        const QString fileName = m_form.filePath(QStringLiteral("dropped.txt"));
        QFile::remove(fileName);
        if (!content.isEmpty())
            WriteFileBytes(fileName, content);
        m_form->memoMain->setText(QStringLiteral("vorher"));
        auto* target = m_form.form()->findChild<QWidget*>(site);
        QVERIFY(target);
        if (target == m_form->memoMain)
            target = m_form->memoMain->viewport();

        ErrorBoxRecorder errors;
        const std::unique_ptr<QMimeData> data(Mime({QUrl::fromLocalFile(fileName)}, withText ? fileName : QString()));
        QVERIFY(DragAndDrop(target, data.get()));
        QTRY_COMPARE(m_form->memoMain->text(), text);
        QCOMPARE(errors.shown, error.isEmpty() ? QStringList() : QStringList{error.arg(fileName)});
        QCOMPARE(m_form->lblCharCount->text(), QString::number(CountChars(text)));
    }

    // Text dragged from another program lands in the text area as before.
    void dropText()
    {
        m_form->memoMain->setText(QString());
        const std::unique_ptr<QMimeData> data(Mime({}, QStringLiteral("Liebe Grüße")));
        QVERIFY(DragAndDrop(m_form->memoMain->viewport(), data.get()));
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("Liebe Grüße"));
    }

    // Text dragged from another program and dropped anywhere near the end of
    // a wrapped paragraph whose first line is scrolled out of view lands
    // where it is dropped, once, and the program lives on.
    void dropNearTheEndOfAScrolledParagraph()
    {
        QString paragraph;
        for (int word = 1; word <= 75; ++word)
            paragraph += QStringLiteral("Wort%1 ").arg(word, 3, 10, QLatin1Char('0'));
        const QString text = QStringLiteral("Anfang\n") + paragraph;
        TMemo& memo = *m_form->memoMain;
        QMimeData data;
        data.setText(QStringLiteral("ZIEHTEXT"));
        QWidget* area = memo.viewport();
        memo.setText(text);
        // Each scroll position from the paragraph's second line on top.
        for (int scroll = 2; scroll <= memo.verticalScrollBar()->maximum(); ++scroll)
            for (int y = area->height() - 1; y > area->height() - 40; y -= 3) {
                for (int x = 0; x < area->width(); x += 10) {
                    memo.setText(text);
                    memo.verticalScrollBar()->setValue(scroll);
                    QCoreApplication::processEvents();
                    const int at = memo.cursorForPosition(QPoint(x, y)).position();
                    QDragEnterEvent enter(QPoint(x, y), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(area, &enter);
                    QVERIFY(enter.isAccepted());
                    QDragMoveEvent move(QPoint(x, y), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(area, &move);
                    QVERIFY(move.isAccepted());
                    QDropEvent drop(QPointF(x, y), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(area, &drop);
                    QCoreApplication::processEvents();
                    QVERIFY(drop.isAccepted());
                    QCOMPARE(memo.text(), QString(text).insert(at, QStringLiteral("ZIEHTEXT")));
                    QCOMPARE(memo.textCursor().position(), at + 8);
                    memo.undo();
                    QCOMPARE(memo.text(), text);
                }
            }
    }
};

VEXLO_TEST_MAIN(TestFileDrop)
#include "test_filedrop.moc"
