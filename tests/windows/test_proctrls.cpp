#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QTest>
#include <climits>

#include "testsupport.h"
#include "windows/ProCtrls.h"

Q_DECLARE_METATYPE(TDirection)
Q_DECLARE_METATYPE(TShadowStyle)
Q_DECLARE_METATYPE(TVerticalAlignment)

namespace {

// Distinct, exact colours: text is drawn without antialiasing so every inked
// pixel has exactly one of them.
constexpr TColor Background = 0xFFFFFF;
constexpr TColor TextColor = 0x0000FF;    // red
const QColor ShadowRole(0, 160, 0);       // clBtnShadow
const QColor HighlightRole(255, 200, 0);  // clBtnHighlight
const QColor FaceRole(0, 0, 255);         // clBtnFace
const QRgb Unpainted = qRgb(255, 0, 255);

QFont TestFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void Setup(TProLabel& label, const QString& caption, QSize size = QSize(200, 200))
{
    label.setAutoSize(false);
    label.setFont(TestFont());
    label.resize(size);
    label.setCaption(caption);
    label.setColor(Background);
    label.setFontColor(TextColor);
}

QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Unpainted);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QRgb Rgb(TColor color)
{
    return ToQColor(color).rgb();
}

// Bounding box of the pixels that are not background (or of one colour).
QRect InkBox(const QImage& image, std::optional<QRgb> only = std::nullopt)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const bool ink = only ? pixel == *only : pixel != Rgb(Background);
            if (ink)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

int CountPixels(const QImage& image, QRgb color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == color;
    return count;
}

int DifferingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

QPoint StepOf(TDirection direction)
{
    switch (direction) {
        case drUp:
            return {0, -1};
        case drDown:
            return {0, 1};
        case drLeft:
            return {-1, 0};
        case drRight:
            return {1, 0};
        case drUpLeft:
            return {-1, -1};
        case drUpRight:
            return {1, -1};
        case drDownLeft:
            return {-1, 1};
        case drDownRight:
            return {1, 1};
        default:
            return {0, 0};
    }
}

// Paints the inked pixels of mask onto canvas, moved by offset, in color.
void Stamp(QImage& canvas, const QImage& mask, QPoint offset, QRgb color)
{
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) {
            const QPoint to(x + offset.x(), y + offset.y());
            if (mask.pixel(x, y) == Rgb(TextColor) && canvas.rect().contains(to))
                canvas.setPixel(to, color);
        }
}

}  // namespace

class TestProCtrls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Dark, ShadowRole);
        palette.setColor(QPalette::Light, HighlightRole);
        palette.setColor(QPalette::Button, FaceRole);
        QApplication::setPalette(palette);
    }

    void angleIsNormalised_data()
    {
        QTest::addColumn<int>("assigned");
        QTest::addColumn<int>("readBack");
        QTest::newRow("minus 90") << -90 << 270;
        QTest::newRow("360") << 360 << 0;
        QTest::newRow("450") << 450 << 90;
        QTest::newRow("minus 1") << -1 << 359;
        QTest::newRow("minus 360") << -360 << 0;
        QTest::newRow("719") << 719 << 359;
        QTest::newRow("most negative") << INT_MIN << 232;
    }
    void angleIsNormalised()
    {
        QFETCH(int, assigned);
        QFETCH(int, readBack);
        TProLabel label;
        QVERIFY(label.AutoSize());
        label.setAngle(assigned);
        QCOMPARE(label.Angle(), readBack);
        // Only a turned caption gives up the auto-size.
        QCOMPARE(label.AutoSize(), readBack == 0);
    }

    void angleZeroAgainLeavesAutoSizeOff()
    {
        TProLabel label;
        label.setAngle(90);
        label.setAngle(0);
        QCOMPARE(label.Angle(), 0);
        QVERIFY(!label.AutoSize());
    }

    void offsetsAndAutoSize_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("autoSizeAfter");
        QTest::newRow("x negative") << false << -3 << true;
        QTest::newRow("x positive") << false << 3 << false;
        QTest::newRow("y negative") << true << -3 << true;
        QTest::newRow("y positive") << true << 1 << false;
    }
    void offsetsAndAutoSize()
    {
        QFETCH(bool, vertical);
        QFETCH(int, offset);
        QFETCH(bool, autoSizeAfter);
        TProLabel label;
        vertical ? label.setOffsetY(offset) : label.setOffsetX(offset);
        QCOMPARE(vertical ? label.OffsetY() : label.OffsetX(), offset);
        QCOMPARE(label.AutoSize(), autoSizeAfter);
    }

    void presetThenSingleValueBecomesCustom()
    {
        TProLabel label;
        label.setShadowStyle(ssRaisedThickShadow);
        QCOMPARE(label.ShadowStyle(), ssRaisedThickShadow);
        QCOMPARE(label.ShadowSize(), TShadowSize(4));

        label.setShadowStyle(ssRaised);
        QCOMPARE(label.ShadowStyle(), ssRaised);
        QCOMPARE(label.ShadowDirection(), drNone);
        QCOMPARE(label.ShadowSize(), TShadowSize(0));
        label.setShadowColor(clBtnShadow);  // unchanged value: still the preset
        QCOMPARE(label.ShadowStyle(), ssRaised);

        label.setShadowDepth(3);
        QCOMPARE(label.ShadowStyle(), ssCustom);
        QCOMPARE(label.ShadowDepth(), TShadowDepth(3));
        QCOMPARE(label.HighlightDirection(), drUpLeft);
        QCOMPARE(label.HighlightDepth(), 1);
        QCOMPARE(label.HighlightColor(), clBtnHighlight);

        label.setShadowSize(5000);
        QCOMPARE(label.ShadowSize(), TShadowSize(MaxShadowExtent));

        QCOMPARE(label.FontColor(), clWindowText);
        label.setShadowStyle(ssRecessedColor);
        QCOMPARE(label.FontColor(), clBtnFace);
        QCOMPARE(label.ShadowDirection(), drUpLeft);
    }

    // Each copy lands where the style puts it: shadows d .. d+n-1 steps away,
    // then the highlight, then the text on top.
    void shadowCopies_data()
    {
        QTest::addColumn<TShadowStyle>("style");
        QTest::addColumn<TDirection>("highlightDirection");
        QTest::addColumn<int>("highlightDepth");
        QTest::addColumn<TDirection>("shadowDirection");
        QTest::addColumn<int>("shadowDepth");
        QTest::addColumn<int>("shadowSize");
        QTest::addColumn<bool>("faceText");
        QTest::newRow("none") << ssNone << drNone << 0 << drNone << 0 << 0 << false;
        QTest::newRow("raised") << ssRaised << drUpLeft << 1 << drNone << 0 << 0 << false;
        QTest::newRow("raised color") << ssRaisedColor << drUpLeft << 1 << drDownRight << 1 << 1 << true;
        QTest::newRow("raised shadow") << ssRaisedShadow << drUpLeft << 1 << drDownRight << 1 << 1 << false;
        QTest::newRow("raised thick") << ssRaisedThickShadow << drUpLeft << 1 << drDownRight << 1 << 4 << false;
        QTest::newRow("recessed") << ssRecessed << drDownRight << 1 << drNone << 0 << 0 << false;
        QTest::newRow("recessed color") << ssRecessedColor << drDownRight << 1 << drUpLeft << 1 << 1 << true;
        QTest::newRow("recessed shadow") << ssRecessedShadow << drDownRight << 1 << drUpLeft << 1 << 1 << false;
        QTest::newRow("shadow") << ssShadow << drNone << 0 << drDownRight << 2 << 1 << false;
        QTest::newRow("thick shadow") << ssThickShadow << drNone << 0 << drDownRight << 1 << 4 << false;
        QTest::newRow("custom far apart") << ssCustom << drUp << 25 << drRight << 40 << 3 << false;
        QTest::newRow("custom depth 0") << ssCustom << drLeft << 0 << drDown << 0 << 2 << false;
    }
    void shadowCopies()
    {
        QFETCH(TShadowStyle, style);
        QFETCH(TDirection, highlightDirection);
        QFETCH(int, highlightDepth);
        QFETCH(TDirection, shadowDirection);
        QFETCH(int, shadowDepth);
        QFETCH(int, shadowSize);
        QFETCH(bool, faceText);

        TProLabel plain;
        Setup(plain, QStringLiteral("Hx"));
        plain.setOffsetX(30);
        plain.setOffsetY(30);
        const QImage mask = Render(plain);
        QVERIFY(CountPixels(mask, Rgb(TextColor)) > 50);

        TProLabel label;
        Setup(label, QStringLiteral("Hx"));
        label.setOffsetX(30);
        label.setOffsetY(30);
        if (style == ssCustom) {
            label.setHighlightDirection(highlightDirection);
            label.setHighlightDepth(highlightDepth);
            label.setShadowDirection(shadowDirection);
            label.setShadowDepth(shadowDepth);
            label.setShadowSize(shadowSize);
            QCOMPARE(label.ShadowStyle(), ssCustom);
        } else {
            label.setShadowStyle(style);
        }
        const QImage shown = Render(label);

        QImage expected(shown.size(), QImage::Format_RGB32);
        expected.fill(Rgb(Background));
        if (style != ssNone) {
            for (int i = 0; i < shadowSize; ++i)
                Stamp(expected, mask, StepOf(shadowDirection) * (shadowDepth + i), ShadowRole.rgb());
            Stamp(expected, mask, StepOf(highlightDirection) * highlightDepth, HighlightRole.rgb());
        }
        Stamp(expected, mask, QPoint(), faceText ? FaceRole.rgb() : Rgb(TextColor));
        QCOMPARE(DifferingPixels(shown, expected), 0);
    }

    void disabledLabelIsEmbossed()
    {
        TProLabel plain;
        Setup(plain, QStringLiteral("Hx"));
        const QImage mask = Render(plain);

        TProLabel label;
        Setup(label, QStringLiteral("Hx"));
        label.setShadowStyle(ssThickShadow);
        label.setEnabled(false);
        const QImage shown = Render(label);

        QImage expected(shown.size(), QImage::Format_RGB32);
        expected.fill(Rgb(Background));
        Stamp(expected, mask, QPoint(1, 1), HighlightRole.rgb());
        Stamp(expected, mask, QPoint(), ShadowRole.rgb());
        QCOMPARE(DifferingPixels(shown, expected), 0);
        QCOMPARE(CountPixels(shown, Rgb(TextColor)), 0);
    }

    // The inked pixels of a turned caption stay inside the box that the
    // quadrant rule computes and fill most of it.
    void rotatedTextLandsInItsBox_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<TVerticalAlignment>("vertical");
        const int left = Qt::AlignLeft, right = Qt::AlignRight, centre = Qt::AlignHCenter;
        for (int angle : {45, 90, 135, 180, 225, 270, 315})
            QTest::addRow("%d top left", angle) << angle << left << vaTop;
        QTest::newRow("45 bottom right") << 45 << right << vaBottom;
        QTest::newRow("135 centred") << 135 << centre << vaCenter;
        QTest::newRow("200 bottom centre") << 200 << centre << vaBottom;
        QTest::newRow("300 top right") << 300 << right << vaTop;
        QTest::newRow("30 centred") << 30 << centre << vaCenter;
    }
    void rotatedTextLandsInItsBox()
    {
        QFETCH(int, angle);
        QFETCH(int, alignment);
        QFETCH(TVerticalAlignment, vertical);
        TProLabel label;
        Setup(label, QStringLiteral("HHHHHH"), QSize(240, 220));
        label.setAngle(angle);
        label.setAlignment(Qt::Alignment(alignment));
        label.setVerticalAlignment(vertical);

        const QFontMetrics metrics(TestFont());
        const double radians = angle * M_PI / 180;
        const int w = metrics.horizontalAdvance(label.Caption()), h = metrics.height();
        const int wc = int(w * std::cos(radians)), ws = int(w * std::sin(radians));
        const int hc = int(h * std::cos(radians)), hs = int(h * std::sin(radians));
        const int nw = angle < 90 ? wc + hs : angle < 180 ? hs - wc : angle < 270 ? -wc - hs : wc - hs;
        const int nh = angle < 90 ? ws + hc : angle < 180 ? ws - hc : angle < 270 ? -ws - hc : hc - ws;
        const int x = alignment == Qt::AlignRight     ? label.width() - nw
                      : alignment == Qt::AlignHCenter ? (label.width() - nw) / 2
                                                      : 0;
        const int y = vertical == vaBottom ? label.height() - nh : vertical == vaCenter ? (label.height() - nh) / 2 : 0;
        const QRect box(x, y, nw, nh);

        const QRect ink = InkBox(Render(label), Rgb(TextColor));
        QVERIFY(!ink.isEmpty());
        QVERIFY2(box.adjusted(-2, -2, 2, 2).contains(ink), qPrintable(QString("ink %1,%2 %3x%4 outside box %5,%6 %7x%8")
                                                                          .arg(ink.x())
                                                                          .arg(ink.y())
                                                                          .arg(ink.width())
                                                                          .arg(ink.height())
                                                                          .arg(box.x())
                                                                          .arg(box.y())
                                                                          .arg(box.width())
                                                                          .arg(box.height())));
        QVERIFY(ink.width() * 10 >= nw * 6);
        QVERIFY(ink.height() * 10 >= nh * 6);
    }

    // A caption taller than the label moves up: by half the excess (rounded
    // toward zero) when centred, by all of it at the bottom.
    void verticalAlignment_data()
    {
        QTest::addColumn<TVerticalAlignment>("vertical");
        QTest::addColumn<int>("labelHeight");
        QTest::newRow("centre, room") << vaCenter << 101;
        QTest::newRow("bottom, room") << vaBottom << 101;
        QTest::newRow("centre, taller") << vaCenter << 10;
        QTest::newRow("bottom, taller") << vaBottom << 10;
        QTest::newRow("centre, one less") << vaCenter << QFontMetrics(TestFont()).height() - 1;
    }
    void verticalAlignment()
    {
        QFETCH(TVerticalAlignment, vertical);
        QFETCH(int, labelHeight);
        TProLabel reference;
        Setup(reference, QStringLiteral("xxxx"), QSize(120, 200));
        const QRect topInk = InkBox(Render(reference));

        TProLabel label;
        Setup(label, QStringLiteral("xxxx"), QSize(120, labelHeight));
        label.setVerticalAlignment(vertical);
        const QRect ink = InkBox(Render(label));

        const int excess = labelHeight - QFontMetrics(TestFont()).height();
        const int shift = vertical == vaCenter ? excess / 2 : excess;
        QVERIFY(!ink.isEmpty());
        QCOMPARE(ink.top(), std::max(0, topInk.top() + shift));
        QCOMPARE(ink.bottom(), std::min(labelHeight - 1, topInk.bottom() + shift));
        QCOMPARE(ink.left(), topInk.left());
    }

    void offsetsMoveTheText_data()
    {
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("right and down") << QPoint(7, 5);
        QTest::newRow("left and up") << QPoint(-1, -3);
    }
    void offsetsMoveTheText()
    {
        QFETCH(QPoint, offset);
        TProLabel label;
        Setup(label, QStringLiteral("Hx"), QSize(100, 60));
        const QRect before = InkBox(Render(label));
        label.setOffsetX(offset.x());
        label.setOffsetY(offset.y());
        QCOMPARE(InkBox(Render(label)), before.translated(offset));
    }

    void accelerator()
    {
        const auto render = [](const QString& caption, bool showAccel, int angle = 0) {
            TProLabel label;
            Setup(label, caption, QSize(160, 160));
            label.setShowAccelChar(showAccel);
            label.setAngle(angle);
            return Render(label);
        };
        const int ascent = QFontMetrics(TestFont()).ascent();

        // The prefix is not drawn but underlines the letter after it.
        const QImage prefixed = render(QStringLiteral("&Ab"), true);
        const QImage plain = render(QStringLiteral("Ab"), true);
        QCOMPARE(DifferingPixels(prefixed.copy(0, 0, 160, ascent), plain.copy(0, 0, 160, ascent)), 0);
        QVERIFY(InkBox(prefixed).bottom() > InkBox(plain).bottom());

        // Drawn as written when switched off.
        QVERIFY(InkBox(render(QStringLiteral("&Ab"), false)).width() > InkBox(plain).width() + 8);

        // Two ampersands draw one.
        QCOMPARE(DifferingPixels(render(QStringLiteral("A&&b"), true), render(QStringLiteral("A&b"), false)), 0);

        // A turned caption always draws them as written.
        const QImage turnedOn = render(QStringLiteral("A&b"), true, 90);
        QCOMPARE(DifferingPixels(turnedOn, render(QStringLiteral("A&b"), false, 90)), 0);
        QVERIFY(InkBox(turnedOn).height() > InkBox(render(QStringLiteral("Ab"), true, 90)).height() + 8);
    }

    void wordWrapAndTabs()
    {
        const auto ink = [](const QString& caption, bool wrap) {
            TProLabel label;
            Setup(label, caption, QSize(wrap ? 70 : 200, 120));
            label.setWordWrap(wrap);
            return InkBox(Render(label));
        };
        const int line = QFontMetrics(TestFont()).height();
        QVERIFY(ink(QStringLiteral("xxx xxx"), true).height() > line);
        QVERIFY(ink(QStringLiteral("xxx xxx"), false).height() < line);
        // A tab reaches the next tab stop, further than a blank.
        QVERIFY(ink(QStringLiteral("x\tx"), false).width() > ink(QStringLiteral("x x"), false).width() + 8);
    }

    void transparency_data()
    {
        QTest::addColumn<bool>("transparent");
        QTest::newRow("filled") << false;
        QTest::newRow("transparent") << true;
    }
    void transparency()
    {
        QFETCH(bool, transparent);
        TProLabel label;
        Setup(label, QStringLiteral("x"), QSize(50, 50));
        label.setColor(0x123456);
        label.setTransparent(transparent);
        const QImage image = Render(label);
        QCOMPARE(image.pixel(45, 45), transparent ? Unpainted : Rgb(0x123456));
    }

    void autoSizeFitsTheCaption()
    {
        QWidget parent;
        TProLabel label(&parent);
        label.setFont(TestFont());
        label.move(100, 10);
        label.setCaption(QStringLiteral("abc"));
        const QFontMetrics metrics(TestFont());
        // Widths are whole pixels, so a fraction of one rounds up.
        const auto fits = [&](const char* text) {
            return label.width() - metrics.horizontalAdvance(QString::fromLatin1(text)) == 0 ||
                   label.width() - metrics.horizontalAdvance(QString::fromLatin1(text)) == 1;
        };
        QVERIFY(fits("abc"));
        QCOMPARE(label.height(), metrics.height());

        // The accelerator prefix takes no room.
        label.setCaption(QStringLiteral("&abc"));
        QVERIFY(fits("abc"));

        // A right-justified label keeps its right edge.
        label.setAlignment(Qt::AlignRight);
        const int rightEdge = label.x() + label.width();
        label.setCaption(QStringLiteral("abcdefgh"));
        QCOMPARE(label.x() + label.width(), rightEdge);
        QVERIFY(fits("abcdefgh"));

        // A bigger font is a font change, and the label follows it.
        QFont bigger = TestFont();
        bigger.setPixelSize(30);
        label.setFont(bigger);
        QCOMPARE(label.height(), QFontMetrics(bigger).height());
    }

    void enterAndLeaveEventsNameTheSender()
    {
        TProLabel label;
        QList<QPair<QString, QObject*>> seen;
        label.OnMouseEnter = [&](QObject* sender) { seen.append({"enter", sender}); };
        label.OnMouseLeave = [&](QObject* sender) { seen.append({"leave", sender}); };
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&label, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&label, &leave);
        QCOMPARE(seen, (QList<QPair<QString, QObject*>>{{"enter", &label}, {"leave", &label}}));
    }
};

VEXLO_TEST_MAIN(TestProCtrls)
#include "test_proctrls.moc"
