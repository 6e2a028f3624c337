#include <QDialog>
#include <QScreen>
#include <QTest>

#include "testsupport.h"
#include "windows/placement.h"

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    // The frame, not the client area, is centred: a title bar pushes the
    // client area down by its height, less the half the frame adds below.
    void frameCentredOverArea_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("expected");
        const QRect desktop(0, 0, 1024, 768);
        QTest::newRow("no frame yet") << QSize(482, 275) << QMargins() << desktop << QRect(271, 246, 482, 275);
        QTest::newRow("title bar and borders")
            << QSize(482, 275) << QMargins(1, 22, 1, 4) << desktop << QRect(271, 255, 482, 275);
        QTest::newRow("over a window") << QSize(284, 194) << QMargins(1, 22, 1, 4) << QRect(100, 80, 484, 301)
                                       << QRect(200, 143, 284, 194);
        QTest::newRow("larger than the area")
            << QSize(300, 200) << QMargins(2, 20, 2, 2) << QRect(0, 0, 200, 100) << QRect(-50, -41, 300, 200);
    }
    void frameCentredOverArea()
    {
        QFETCH(QSize, client);
        QFETCH(QMargins, frame);
        QFETCH(QRect, area);
        QFETCH(QRect, expected);
        const QRect placed = CentredClientRect(client, frame, area);
        QCOMPARE(placed, expected);
        const QPoint offset = placed.marginsAdded(frame).center() - area.center();
        QVERIFY(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1);
    }

    // A dialog opens over the main window, also the edit dialog that belongs
    // to the link list: never over the list, wherever the user moved it.
    void dialogCentredOverMainWindow_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("over");
        QTest::newRow("belongs to none") << "none"
                                         << "desktop";
        QTest::newRow("belongs to the main window") << "main"
                                                    << "main";
        QTest::newRow("belongs to the list") << "list"
                                             << "main";
    }
    void dialogCentredOverMainWindow()
    {
        QFETCH(QString, owner);
        QFETCH(QString, over);
        QWidget main;
        main.setGeometry(40, 30, 400, 300);
        main.show();
        QDialog list(&main);
        list.setGeometry(600, 500, 200, 150);  // moved off the main window
        list.show();
        QDialog dialog(owner == QLatin1String("main") ? &main : owner == QLatin1String("list") ? &list : nullptr);
        dialog.resize(100, 80);
        CentreOverMainWindow(&dialog);
        const QPoint centre =
            over == QLatin1String("main") ? main.geometry().center() : dialog.screen()->availableGeometry().center();
        const QPoint offset = dialog.geometry().center() - centre;
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
                 qPrintable(QStringLiteral("off by %1, %2").arg(offset.x()).arg(offset.y())));
    }
};

VEXLO_TEST_MAIN(TestPlacement)
#include "test_placement.moc"
