#include "spelling/spellview.h"

#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>

#include "framework/Guarded.h"
#include "storage/globals.h"
#include "storage/textfile.h"
#include "text/memo.h"
#include "text/rangepainter.h"

namespace {

// One period of the wavy line, repeated along the word.
QPixmap WaveTile(const QColor& color)
{
    QImage tile(4, 3, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    const QRgb pixel = color.rgba();
    tile.setPixel(0, 2, pixel);
    tile.setPixel(1, 1, pixel);
    tile.setPixel(2, 0, pixel);
    tile.setPixel(3, 1, pixel);
    return QPixmap::fromImage(tile);
}

// A few parts with rows between them that none of them touches.
bool IsScattered(const QRegion& region)
{
    constexpr int MaxParts = 4;
    if (region.rectCount() < 2 || region.rectCount() > MaxParts)
        return false;
    int height = 0;
    for (const QRect& part : region)
        height += part.height();
    return height < region.boundingRect().height();
}

}  // namespace

QString InstalledGermanDictionary()
{
    return FindGermanDictionary(QLocale::system().name(), {QStringLiteral("/usr/share/hunspell")});
}

TSpellView::TSpellView(TMemo* memo, const QString& dictionaryBase, const QString& personalListPath)
    : QObject(memo),
      m_memo(memo),
      m_viewport(memo->viewport()),
      m_checker(new TSpellChecker(memo, dictionaryBase, personalListPath)),
      m_wave(WaveTile(underlineColor()))
{
    setObjectName(QStringLiteral("spellView"));
    m_checker->setEnabled(LoadSpellCheckSetting());
    memo->installEventFilter(this);
    m_viewport->installEventFilter(this);
    connect(m_checker, &TSpellChecker::resultsChanged, m_viewport, qOverload<>(&QWidget::update));
    // The rows of a block whose verdict came in.
    connect(m_checker, &TSpellChecker::stretchChanged, this, [this](int from, int to) {
        for (const QRectF& row : VisibleRangeRects(m_memo->visibleArea(), m_viewport->rect(), from, to))
            m_viewport->update(row.toAlignedRect());
    });
    // At the menu's top.
    connect(memo, &TMemo::contextMenuOpening, this, Guarded(this, &TSpellView::addMenuEntries));
}

bool TSpellView::eventFilter(QObject* watched, QEvent* event)
{
    // Compares pointers only: events still arrive while the text area is destroyed.
    if (watched == m_viewport && event->type() == QEvent::Paint && !m_painting) {
        auto* paint = static_cast<QPaintEvent*>(event);
        // A caret that jumps rows asks for its old and its new place alone,
        // and Qt's text area paints every row of the rectangle around both:
        // far apart, each part is painted on its own.
        const QRegion& region = paint->region();
        if (IsScattered(region)) {
            for (const QRect& part : region) {
                QPaintEvent partPaint(part);
                paintWithUnderlines(&partPaint);
            }
        } else {
            paintWithUnderlines(paint);
        }
        return true;
    }
    if (event->type() == QEvent::ContextMenu && (watched == m_viewport || watched == m_memo)) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        m_menuPosition = menuEvent->reason() == QContextMenuEvent::Mouse && watched == m_viewport
                             ? m_memo->cursorForPosition(menuEvent->pos()).position()
                             : m_memo->textCursor().position();
    } else if (watched == m_memo && event->type() == QEvent::Show && !m_loadStarted) {
        m_loadStarted = true;
        QTimer::singleShot(LoadDelay, m_checker, Guarded([this] { m_checker->startLoading(); }));
    }
    return QObject::eventFilter(watched, event);
}

void TSpellView::paintWithUnderlines(QPaintEvent* event)
{
    // The text first, then the lines over it: delivered here, past this
    // filter. Their places are found before, while the text's paint has
    // not yet freed the shaping its layouts share with them.
    const QRect area = event->rect();
    const QVector<QRectF> waves = underlines(area);
    m_painting = true;
    QCoreApplication::sendEvent(m_viewport, event);
    m_painting = false;
    if (!waves.isEmpty()) {
        QPainter painter(m_viewport);
        painter.setClipRect(area);
        for (const QRectF& wave : waves)
            painter.drawTiledPixmap(wave, m_wave, QPointF(std::fmod(wave.left(), m_wave.width()), 0));
    }
}

QVector<QRectF> TSpellView::underlines(const QRect& area) const
{
    QVector<QRectF> waves;
    if (!m_checker->isEnabled() || m_checker->state() != TSpellChecker::State::Ready)
        return waves;
    ForEachVisibleLine(m_memo->visibleArea(), area, [&](const TVisibleLine& visible) {
        const TMissList misses = m_checker->misses(visible.block);
        const QTextLine& line = visible.line;
        const int lineEnd = line.textStart() + line.textLength();
        // Below the baseline, yet inside the line, which a keystroke repaints.
        const qreal below = std::min(line.ascent() + 1, line.height() - m_wave.height());
        for (const TSpellRange& miss : misses) {
            const int from = std::max(miss.from, line.textStart());
            const int to = std::min(miss.to, lineEnd);
            if (from >= to)
                continue;
            const qreal left = visible.origin.x() + line.cursorToX(from);
            const qreal right = visible.origin.x() + line.cursorToX(to);
            waves.append(QRectF(left, visible.origin.y() + line.y() + below, right - left, m_wave.height()));
        }
        return true;
    });
    return waves;
}

void TSpellView::addMenuEntries(QMenu* menu)
{
    QAction* top = menu->actions().value(0);
    const auto add = [menu, top](const QString& text, const char* name) {
        auto* action = new QAction(text, menu);
        action->setObjectName(QLatin1String(name));
        menu->insertAction(top, action);
        return action;
    };
    const int position = m_menuPosition;
    m_menuPosition = -1;
    if (m_checker->state() == TSpellChecker::State::Missing) {
        add(QStringLiteral("Rechtschreibung: kein deutsches Wörterbuch installiert (hunspell-de-de)"), "miSpellCheck")
            ->setEnabled(false);
        menu->insertSeparator(top);
        return;
    }
    const TMisspelling misspelling = position >= 0 ? m_checker->misspellingAt(position) : TMisspelling();
    if (misspelling.isValid()) {
        // The menu shows at once; the suggestions take the waiting entry's
        // place when the worker has them.
        QAction* waiting = add(QStringLiteral("Vorschläge werden gesucht …"), "miSpellSearching");
        waiting->setEnabled(false);
        const quint64 request = m_checker->requestSuggestions(misspelling.word, MaxSuggestions);
        connect(m_checker, &TSpellChecker::suggestionsFound, waiting,
                [this, menu, waiting, request, misspelling](quint64 found, const QStringList& suggestions) {
                    if (found == request && waiting->objectName() == QLatin1String("miSpellSearching"))
                        showSuggestions(menu, waiting, misspelling, suggestions);
                });
        QTimer::singleShot(SearchLimit, waiting, [waiting] {
            if (waiting->objectName() != QLatin1String("miSpellSearching"))
                return;
            waiting->setText(QStringLiteral("keine Vorschläge"));
            waiting->setObjectName(QStringLiteral("miSpellNoSuggestion"));
        });
        connect(add(QStringLiteral("Ignorieren"), "miSpellIgnore"), &QAction::triggered, this,
                Guarded([this, word = misspelling.word] { m_checker->ignore(word); }));
        connect(add(QStringLiteral("Zum Wörterbuch hinzufügen"), "miSpellAdd"), &QAction::triggered, this,
                Guarded([this, word = misspelling.word] { m_checker->addToPersonalList(word); }));
        menu->insertSeparator(top);
    }
    QAction* check = add(QStringLiteral("Rechtschreibung prüfen"), "miSpellCheck");
    check->setCheckable(true);
    check->setChecked(m_checker->isEnabled());
    connect(check, &QAction::toggled, this, Guarded([this](bool on) { setChecking(on); }));
    menu->insertSeparator(top);
}

void TSpellView::showSuggestions(QMenu* menu, QAction* waiting, const TMisspelling& misspelling,
                                 const QStringList& suggestions)
{
    if (suggestions.isEmpty()) {
        waiting->setText(QStringLiteral("keine Vorschläge"));
        waiting->setObjectName(QStringLiteral("miSpellNoSuggestion"));
        return;
    }
    for (const QString& suggestion : suggestions) {
        auto* action = new QAction(suggestion, menu);
        action->setObjectName(QStringLiteral("miSpellSuggestion"));
        menu->insertAction(waiting, action);
        connect(action, &QAction::triggered, this,
                Guarded([this, misspelling, suggestion] { replaceWord(misspelling, suggestion); }));
    }
    menu->removeAction(waiting);
    waiting->deleteLater();
}

// One step that Ctrl+Z takes back. A word cut by piece breaks is replaced
// piece by piece, so that the pieces stay as they are.
void TSpellView::replaceWord(const TMisspelling& misspelling, const QString& replacement)
{
    if (m_memo->textBetween(misspelling.from, misspelling.to) != misspelling.word)
        return;  // the text has changed meanwhile
    m_memo->checkCapacity(misspelling.from, misspelling.to, CountChars(replacement));
    QTextDocument* doc = m_memo->document();
    QTextCursor editor(doc);
    // Undo puts the caret where the step began: after the word, as it was.
    editor.setPosition(misspelling.to);
    editor.beginEditBlock();
    for (QTextBlock block = doc->findBlock(misspelling.to); block.isValid(); block = block.previous()) {
        const int from = std::max(misspelling.from, block.position());
        const int to = std::min(misspelling.to, block.position() + block.length() - 1);
        editor.setPosition(from);
        editor.setPosition(std::max(from, to), QTextCursor::KeepAnchor);
        if (from == misspelling.from) {
            editor.insertText(replacement);
            break;
        }
        editor.removeSelectedText();
    }
    editor.endEditBlock();
    QTextCursor caret = m_memo->textCursor();
    caret.setPosition(editor.position());
    m_memo->setTextCursor(caret);
}

void TSpellView::setChecking(bool on)
{
    // Remembered first: a refused write leaves the check as it was.
    SaveSpellCheckSetting(on);
    m_checker->setEnabled(on);
    m_viewport->update();
}
