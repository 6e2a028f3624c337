#include "framework/FontDialog.h"

#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QQueue>

namespace {

QQueue<std::optional<QFont>>& QueuedAnswers()
{
    static QQueue<std::optional<QFont>> answers;
    return answers;
}

}  // namespace

FontChooser::FontChooser(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgFont"));
    setWindowTitle(QStringLiteral("Schriftart"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    faceBox = new QFontComboBox(this);
    faceBox->setObjectName(QStringLiteral("faceBox"));
    faceBox->setEditable(false);
    sizeList = new QListWidget(this);
    sizeList->setObjectName(QStringLiteral("sizeList"));
    for (int size = MinSize; size <= MaxSize; ++size)
        sizeList->addItem(QString::number(size));
    sizeList->setFixedWidth(60);
    m_sample = new QLabel(QStringLiteral("AaBbYyZz ÄäÖöÜüß"), this);
    m_sample->setObjectName(QStringLiteral("sample"));
    m_sample->setMinimumHeight(40);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFrameShape(QFrame::StyledPanel);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Schriftart:"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Schriftgrad:"), this), 0, 1);
    grid->addWidget(faceBox, 1, 0, Qt::AlignTop);
    grid->addWidget(sizeList, 1, 1);
    grid->addWidget(m_sample, 2, 0, 1, 2);
    grid->addWidget(buttons, 3, 0, 1, 2);

    connect(faceBox, &QFontComboBox::currentFontChanged, this, &FontChooser::updateSample);
    connect(sizeList, &QListWidget::currentRowChanged, this, &FontChooser::updateSample);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setChosenFont(QFont());
}

void FontChooser::setChosenFont(const QFont& font)
{
    faceBox->setCurrentFont(QFont(font.family()));
    const int size = qBound(MinSize, font.pointSize(), MaxSize);
    sizeList->setCurrentRow(size - MinSize);
    updateSample();
}

QFont FontChooser::chosenFont() const
{
    const int row = sizeList->currentRow();
    return QFont(faceBox->currentFont().family(), row < 0 ? MinSize : MinSize + row);
}

void FontChooser::updateSample()
{
    m_sample->setFont(chosenFont());
}

bool FontDialog::Execute(QWidget* parent)
{
    if (!QueuedAnswers().isEmpty()) {
        const std::optional<QFont> answer = QueuedAnswers().dequeue();
        if (!answer)
            return false;
        Font = *answer;
        return true;
    }
    FontChooser chooser(parent);
    chooser.setChosenFont(Font);
    if (chooser.exec() != QDialog::Accepted)
        return false;
    const QFont chosen = chooser.chosenFont();
    // The face offered for a name it stands in for ("Arial") keeps that name.
    if (chosen.family() != QFontInfo(Font).family() || chosen.pointSize() != Font.pointSize())
        Font = chosen;
    return true;
}

void FontDialog::QueueAnswerForTesting(const std::optional<QFont>& answer)
{
    QueuedAnswers().enqueue(answer);
}
