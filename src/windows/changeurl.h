#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class LabelButton;

// The link edit dialog "URL ändern": edits the address and the name of the
// link entry EditSlot names, shown without modality beside the link list.
class TfrmChangeURL : public QDialog {
    Q_OBJECT
public:
    // The most characters the user can type or paste into the name field.
    static constexpr int NameMaxLength = 20;

    explicit TfrmChangeURL(QWidget* parent = nullptr);
    ~TfrmChangeURL() override;

    void lblOKClick();
    void lblCancelClick();

    QLabel* Label1 = nullptr;
    QLineEdit* edURL = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edName = nullptr;
    QLabel* Label5 = nullptr;
    LabelButton* lblCancel = nullptr;
    LabelButton* lblOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void FormShow();
    bool FormKeyPress(QKeyEvent* event);
};

// The edit dialog once made; the link list makes it over itself when first wanted.
extern TfrmChangeURL* frmChangeURL;
