#pragma once

#include <QKeySequence>
#include <functional>

class LabelButton;
class QPlainTextEdit;
class QWidget;

// A command of a window: its label button and its key, named at the end of
// the button's tooltip ("… (Strg+Umschalt+C)").
struct TCommandKey {
    LabelButton* button;
    QKeyCombination key;
    const char* name;     // the shortcut's object name
    const char* keyText;  // as a German keyboard names the keys
    std::function<void()> command;
};

// The button's click and the key anywhere in window run the command. The
// text areas keep their own keys.
void AddCommandKey(QWidget* window, const TCommandKey& command);

// Umschalt+F10 opens the menu of the text area shown, as the menu key does:
// of cover while it is shown over text, else of text.
void AddTextMenuKey(QWidget* window, QPlainTextEdit* cover, QPlainTextEdit* text);
