#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <cmath>

#include "framework/ControlColors.h"
#include "storage/globals.h"
#include "testsupport.h"

namespace {

double Luminance(const QColor& colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

class TestFocusFrameStyle : public QObject {
    Q_OBJECT

private slots:
    // The frame a focused control gets stands out from the ground it sits on:
    // of the pixels that focus changes, some reach 3 : 1 against it.
    void focusFrameIsVisible_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<uint>("ground");
        for (const char* kind : {"check box", "radio button", "edit field"}) {
            QTest::addRow("%s on green", kind) << QString::fromLatin1(kind) << uint(ColorGreen);
            QTest::addRow("%s on blue", kind) << QString::fromLatin1(kind) << uint(ColorBlue);
        }
    }
    void focusFrameIsVisible()
    {
        QFETCH(QString, kind);
        QFETCH(uint, ground);
        QWidget window;
        SetBackgroundColor(&window, ground);
        window.resize(200, 60);
        QWidget* control = kind == QLatin1String("check box")      ? static_cast<QWidget*>(new QCheckBox("SysTray"))
                           : kind == QLatin1String("radio button") ? static_cast<QWidget*>(new QRadioButton("blau"))
                                                                   : static_cast<QWidget*>(new QLineEdit("2000"));
        // No caret and no selection: what focus changes is the frame alone.
        if (auto* field = qobject_cast<QLineEdit*>(control))
            field->setReadOnly(true);
        control->setParent(&window);
        control->setGeometry(10, 10, 120, 24);
        auto* other = new QLineEdit(&window);  // holds the focus first
        other->setGeometry(10, 40, 50, 16);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus(Qt::TabFocusReason);
        const QImage unfocused = control->grab().toImage();
        control->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(control->hasFocus());
        const QImage focused = control->grab().toImage();
        QCOMPARE(focused.size(), unfocused.size());
        double best = 0;
        for (int y = 0; y < focused.height(); ++y)
            for (int x = 0; x < focused.width(); ++x)
                if (focused.pixel(x, y) != unfocused.pixel(x, y))
                    best = std::max(best, Contrast(focused.pixelColor(x, y), ToQColor(ground)));
        QVERIFY2(best >= 3.0, qPrintable(QStringLiteral("best contrast %1 : 1").arg(best)));
    }
};

VEXLO_TEST_MAIN(TestFocusFrameStyle)
#include "test_focusframestyle.moc"
