#pragma once

#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QRectF>
#include <QVector>

#include "spelling/spellchecker.h"

class QAction;
class QMenu;
class QPaintEvent;
class TMemo;

// Shows the spell check in a text area: a red wavy line under each
// misspelled word, painted over the visible lines and never stored in the
// text, and the entries of the text area's menu: suggestions for the word,
// ignoring it, adding it to the personal list, and checking on or off.
// It lives as long as the text area, its parent.
class TSpellView : public QObject {
    Q_OBJECT
public:
    // See TSpellChecker. The dictionary loads once the text area is shown.
    TSpellView(TMemo* memo, const QString& dictionaryBase, const QString& personalListPath);

    TSpellChecker* checker() const { return m_checker; }

    // The document position the next menu is for (the word under the mouse,
    // or the caret's for a menu opened from the keyboard).
    void setMenuPosition(int position) { m_menuPosition = position; }
    // Puts the entries at the top of the text area's menu.
    void addMenuEntries(QMenu* menu);

    static QColor underlineColor() { return QColor(0xFF, 0x00, 0x00); }
    static constexpr int MaxSuggestions = 6;
    // After the window is shown, so that loading never delays it.
    static constexpr int LoadDelay = 300;
    // A search for suggestions that takes longer is given up.
    static constexpr int SearchLimit = 2000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The viewport's paint of the event's area, with the wavy lines over it.
    void paintWithUnderlines(QPaintEvent* event);
    // Where the wavy lines within area go (viewport coordinates).
    QVector<QRectF> underlines(const QRect& area) const;
    // Puts the suggestions in the waiting entry's place.
    void showSuggestions(QMenu* menu, QAction* waiting, const TMisspelling& misspelling,
                         const QStringList& suggestions);
    void replaceWord(const TMisspelling& misspelling, const QString& replacement);
    void setChecking(bool on);

    TMemo* m_memo;
    QWidget* m_viewport;
    TSpellChecker* m_checker;
    QPixmap m_wave;
    int m_menuPosition = -1;
    bool m_loadStarted = false;
    bool m_painting = false;
};

// The installed German dictionary for the user's locale; empty when none.
QString InstalledGermanDictionary();
