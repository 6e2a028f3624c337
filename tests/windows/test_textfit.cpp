#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolButton>

#include "framework/Picture.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "windows/ProCtrls.h"
#include "windows/changeurl.h"
#include "windows/customize.h"
#include "windows/extern.h"
#include "windows/main.h"

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

// Where the control draws its text, and how.
struct TextBox {
    QString text;
    QRect room;
    int flags = 0;
};

TextBox TextBoxOf(const QWidget* control)
{
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return {Shown(label->text()), label->contentsRect(),
                int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0)};
    if (const auto* label = qobject_cast<const TProCustomLabel*>(control))
        return {label->Caption(), label->rect(),
                int(Qt::AlignLeft | Qt::AlignTop) | Qt::TextShowMnemonic | (label->WordWrap() ? Qt::TextWordWrap : 0)};
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QStyle::SubElement contents =
            qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents;
        return {Shown(button->text()), button->style()->subElementRect(contents, &option, button),
                int(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextShowMnemonic};
    }
    return {};
}

// Whether the control's text, drawn at the window's scale, leaves ink where
// it cannot be seen: outside the control, or under a sibling made after it
// (drawn over it) that fills its ground.
QString CutInk(const QWidget* control)
{
    const TextBox box = TextBoxOf(control);
    if (box.text.trimmed().isEmpty())
        return QString();
    const qreal scale = control->devicePixelRatioF();
    constexpr int margin = 24;
    QImage ink(((control->size() + QSize(2 * margin, 2 * margin)) * scale), QImage::Format_ARGB32_Premultiplied);
    ink.setDevicePixelRatio(scale);
    ink.fill(Qt::transparent);
    {
        QPainter painter(&ink);
        painter.translate(margin, margin);
        painter.setFont(control->font());
        painter.setPen(Qt::black);
        painter.drawText(box.room, box.flags, box.text);
    }
    QRegion visible(control->rect());
    const QWidget* parent = control->parentWidget();
    visible &= QRegion(parent->rect().translated(-control->pos()));
    const QObjectList& siblings = parent->children();
    for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(control)) + 1; i < siblings.size(); ++i) {
        const auto* sibling = qobject_cast<const QWidget*>(siblings[i]);
        if (!sibling || sibling->isHidden() || sibling->isWindow())
            continue;
        const auto* painted = qobject_cast<const TProCustomLabel*>(sibling);
        if (sibling->autoFillBackground() || (painted && !painted->Transparent()))
            visible -= sibling->geometry().translated(-control->pos());
    }
    for (int y = 0; y < ink.height(); ++y) {
        for (int x = 0; x < ink.width(); ++x) {
            // Faint edge shading aside: a quarter of a pixel's cover or more.
            if (qAlpha(ink.pixel(x, y)) < 64)
                continue;
            const QPoint at(qFloor(x / scale) - margin, qFloor(y / scale) - margin);
            if (!visible.contains(at))
                return QStringLiteral("%1: ink at %2,%3 cut off at scale %4")
                    .arg(control->objectName())
                    .arg(at.x())
                    .arg(at.y())
                    .arg(scale);
        }
    }
    return QString();
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
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            QCOMPARE(window->devicePixelRatioF(), qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
        QStringList misfits;
        int checked = 0;
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            if (control->window() != window)
                continue;  // a dialog's own control
            if (!qobject_cast<const QLabel*>(control) && !qobject_cast<const QAbstractButton*>(control) &&
                !qobject_cast<const TProCustomLabel*>(control))
                continue;
            ++checked;
            const QString misfit = Misfit(control);
            if (!misfit.isEmpty())
                misfits << misfit;
            if (control->isVisibleTo(window) && !qobject_cast<const QToolButton*>(control)) {
                const QString cut = CutInk(control);
                if (!cut.isEmpty())
                    misfits << cut;
            }
            const QRect inWindow(control->mapTo(window, QPoint(0, 0)), control->size());
            if (!window->rect().contains(inWindow))
                misfits << control->objectName() + QStringLiteral(": reaches beyond its window");
        }
        QVERIFY(checked > 3);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
    }

    // Each picture is drawn from a copy as detailed as the screen: the 1x
    // picture pixel for pixel, above 1x the one of twice the size.
    void picturesFitTheScale()
    {
        const qreal scale = frmMain->devicePixelRatioF();
        int checked = 0;
        for (const TPicture* picture : frmMain->findChildren<TPicture*>()) {
            ++checked;
            const QPixmap shown = picture->pixmap();
            const int factor = scale > 1 ? 2 : 1;
            QVERIFY2(!shown.isNull(), qPrintable(picture->objectName()));
            QCOMPARE(shown.size(), picture->size() * factor);
            QCOMPARE(shown.devicePixelRatio(), qreal(factor));
        }
        QCOMPARE(checked, 4);
    }

    // The same at the scales of high-resolution screens, in a child process
    // started at that scale (Qt takes it once, at start).
    void wholeAndSharpAtScale_data()
    {
        QTest::addColumn<QString>("factor");
        QTest::newRow("1.5x") << QStringLiteral("1.5");
        QTest::newRow("2x") << QStringLiteral("2");
    }
    void wholeAndSharpAtScale()
    {
        QFETCH(QString, factor);
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            QSKIP("already at a scale of its own");
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), factor);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("everyTextShowsWhole"), QStringLiteral("picturesFitTheScale")});
        QVERIFY(child.waitForFinished(240000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
    }
};

VEXLO_TEST_MAIN(TestTextFit)
#include "test_textfit.moc"
