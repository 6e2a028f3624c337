#pragma once

#include <QDialog>
#include <array>

#include "windows/linklist.h"

class QFrame;
class QToolButton;
class LabelButton;
class TProUrlLabel;

// The link list dialog "Außenlinks": eight stored links, each a link label
// with an edit button, kept in section URL of the settings file.
class TfrmExtern : public QDialog {
    Q_OBJECT
public:
    static constexpr int EntryCount = 8;

    explicit TfrmExtern(QWidget* parent = nullptr);
    ~TfrmExtern() override;

    // Entry n (1 to 8), read and written directly by the link edit dialog.
    TProUrlLabel* Entry(int n) const;

    void LoadLinks();
    // Writes all sixteen keys in one replacement of the file, then closes.
    void SaveLinks();
    void UpdateLinkHints();

    // Handlers, public so that the program and its tests reach them as the user would.
    void SpeedButtonClick(int n);
    void lblClearClick();
    void lblSaveClick();
    void lblCloseClick();

    std::array<TProUrlLabel*, EntryCount> ulExtern{};
    std::array<QToolButton*, EntryCount> SpeedButton{};
    QFrame* Panel1 = nullptr;
    LabelButton* lblClear = nullptr;
    LabelButton* lblSave = nullptr;
    LabelButton* lblClose = nullptr;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void FormCreate();
    void FormShow();
    void FormActivate();
};

extern TfrmExtern* frmExtern;

// frmExtern, made over the main window when it is first wanted.
TfrmExtern* ExternForm();
