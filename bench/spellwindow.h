// A shown window for the spell-check benchmarks: ours with checking on or
// off, or the bare text area as the floor.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class TfrmMain;
class TSpellChecker;

enum SpellMode { Floor, Off, On };

struct SpellWindow {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> form;
    std::unique_ptr<QPlainTextEdit> bare;
    QPlainTextEdit* editor = nullptr;
    TSpellChecker* checker = nullptr;

    // Shown and focused; with checking on, once its dictionary has loaded.
    explicit SpellWindow(SpellMode mode);
    ~SpellWindow();
    void setText(const QString& text);
    // Until the event loop is idle and the checker has nothing left to do.
    void settle();
};
