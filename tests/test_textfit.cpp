#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include "changeurl.h"
#include "customize.h"
#include "extern.h"
#include "globals.h"
#include "main.h"
#include "testsupport.h"

namespace {

// The text as the control lays it out: CR LF is one line break.
QString Shown(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// Why the control's text does not show whole, or nothing when it does.
QString Misfit(const QWidget* control)
{
    const QFontMetrics metrics(control->font());
    QRect room;
    QString text;
    int flags = 0;
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        text = Shown(label->text());
        room = label->contentsRect();
        flags = label->wordWrap() ? Qt::TextWordWrap : 0;
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        text = Shown(button->text());
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        // The indicator and its spacing as the style draws them.
        const QStyle::SubElement contents = qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                            : qobject_cast<const QCheckBox*>(button)  ? QStyle::SE_CheckBoxContents
                                                                                      : QStyle::SE_PushButtonContents;
        room = button->style()->subElementRect(contents, &option, button);
        flags = Qt::TextShowMnemonic;
    } else {
        return QString();
    }
    if (text.isEmpty())
        return QString();
    const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 10000), flags, text);
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return QString();
    return QStringLiteral("%1: needs %2 x %3, has %4 x %5")
        .arg(control->objectName())
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

}  // namespace

class TestTextFit : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetProgramDirForTesting(m_dir.path());
        frmMain = new TfrmMain;
        frmCustomize = new TfrmCustomize(frmMain);
        frmExtern = new TfrmExtern(frmMain);
        frmChangeURL = new TfrmChangeURL(frmMain);
    }
    void cleanupTestCase()
    {
        delete frmMain;
        frmMain = nullptr;
    }

    // Every label, check box and button shows its whole text at its font,
    // and lies within its window.
    void everyTextShowsWhole_data()
    {
        QTest::addColumn<QWidget*>("window");
        QTest::newRow("main window") << static_cast<QWidget*>(frmMain);
        QTest::newRow("settings dialog") << static_cast<QWidget*>(frmCustomize);
        QTest::newRow("link list dialog") << static_cast<QWidget*>(frmExtern);
        QTest::newRow("link edit dialog") << static_cast<QWidget*>(frmChangeURL);
    }
    void everyTextShowsWhole()
    {
        QFETCH(QWidget*, window);
        window->ensurePolished();
        QStringList misfits;
        int checked = 0;
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            if (control->window() != window)
                continue;  // a dialog's own control
            if (!qobject_cast<const QLabel*>(control) && !qobject_cast<const QAbstractButton*>(control))
                continue;
            ++checked;
            const QString misfit = Misfit(control);
            if (!misfit.isEmpty())
                misfits << misfit;
            const QRect inWindow(control->mapTo(window, QPoint(0, 0)), control->size());
            if (!window->rect().contains(inWindow))
                misfits << control->objectName() + QStringLiteral(": reaches beyond its window");
        }
        QVERIFY(checked > 3);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
    }
};

VEXLO_TEST_MAIN(TestTextFit)
#include "test_textfit.moc"
