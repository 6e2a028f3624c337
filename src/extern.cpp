#include "extern.h"

TfrmExtern* frmExtern = nullptr;

TfrmExtern::TfrmExtern(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExtern"));
    setWindowTitle(QStringLiteral("Außenlinks"));
}
