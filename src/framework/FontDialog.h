#pragma once

#include <QDialog>
#include <QFont>
#include <optional>

class QFontComboBox;
class QLabel;
class QListWidget;

// The font chooser: a face among the fonts present on this desktop and a size
// from 6 to 12 points. Styles and effects are not offered.
class FontChooser : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinSize = 6;
    static constexpr int MaxSize = 12;

    explicit FontChooser(QWidget* parent = nullptr);

    void setChosenFont(const QFont& font);
    // Face and size only.
    QFont chosenFont() const;

    QFontComboBox* faceBox = nullptr;
    QListWidget* sizeList = nullptr;

private:
    void updateSample();

    QLabel* m_sample = nullptr;
};

// A window's font dialog: it opens on Font, its previous accepted choice
// unless the window sets another before Execute.
class FontDialog {
public:
    explicit FontDialog(QFont initial) : Font(std::move(initial)) {}

    // Shows the chooser modally; on OK the choice becomes Font and true is returned.
    bool Execute(QWidget* parent);

    QFont Font;

    // Tests queue answers instead of showing the chooser (nullopt stands for cancel).
    static void QueueAnswerForTesting(const std::optional<QFont>& answer);
};
