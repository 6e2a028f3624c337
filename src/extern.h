#pragma once

#include <QDialog>

class TfrmExtern : public QDialog {
    Q_OBJECT
public:
    explicit TfrmExtern(QWidget* parent = nullptr);
};

extern TfrmExtern* frmExtern;
