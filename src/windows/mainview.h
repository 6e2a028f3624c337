#pragma once

#include <QFont>

#include "framework/Colors.h"

class QWidget;

// What the settings dialog changes in the main window, shown at once while
// the dialog is open: the text area's font and the colour layout. The limits
// are the settings record's; the main window shows them after the dialog.
class TMainView {
public:
    // The main window itself, over which the dialog opens.
    virtual QWidget* mainWidget() = 0;
    // The text area's font, by the name chosen.
    virtual QFont textFont() const = 0;
    virtual void setTextFont(const QFont& font) = 0;
    // The two side strips and the logo in a layout colour, also for a preview.
    virtual void ShowLayout(TColor color) = 0;

protected:
    ~TMainView() = default;
};
