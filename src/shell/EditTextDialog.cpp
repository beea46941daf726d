#include "shell/EditTextDialog.h"

#include "drawing/GraphicObject.h"
#include "drawing/GraphicText.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
TEditTextDialog* g_instance = nullptr;
}

TEditTextDialog::TEditTextDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EditTextDialog"));
    setWindowTitle(QStringLiteral("Edit Text"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(330, 190);

    GroupText = new QGroupBox(this);
    GroupText->setGeometry(8, 8, 314, 64);
    EditCaption = new QLineEdit(GroupText);
    EditCaption->setObjectName(QStringLiteral("EditCaption"));
    EditCaption->setFrame(false);
    EditCaption->setGeometry(10, 20, 236, 34);
    EditCaption->setFont(QFont(QStringLiteral("Arial"), 7));
    QPalette palette = EditCaption->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    EditCaption->setPalette(palette);
    Size = new QSpinBox(GroupText);
    Size->setObjectName(QStringLiteral("Size"));
    Size->setToolTip(QStringLiteral("Change Text Size"));
    Size->setRange(6, 26);
    Size->setValue(7);
    Size->setGeometry(254, 24, 50, 24);

    auto* font = new QGroupBox(QStringLiteral("Font"), this);
    font->setGeometry(8, 78, 314, 70);
    CheckBoxItalic = new QCheckBox(QStringLiteral("Italic"), font);
    CheckBoxItalic->setObjectName(QStringLiteral("CheckBoxItalic"));
    CheckBoxItalic->setGeometry(10, 18, 90, 20);
    CheckBoxBold = new QCheckBox(QStringLiteral("Bold"), font);
    CheckBoxBold->setObjectName(QStringLiteral("CheckBoxBold"));
    CheckBoxBold->setGeometry(10, 42, 90, 20);
    CheckBoxOverBar = new QCheckBox(QStringLiteral("Overbar"), font);
    CheckBoxOverBar->setObjectName(QStringLiteral("CheckBoxOverBar"));
    CheckBoxOverBar->setGeometry(110, 18, 90, 20);
    auto* clear = new QPushButton(QStringLiteral("Clear Text"), font);
    clear->setGeometry(214, 14, 90, 24);
    auto* colour = new QPushButton(QStringLiteral("Color..."), font);
    colour->setGeometry(214, 40, 90, 24);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setDefault(true);
    ok->setGeometry(84, 156, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setGeometry(170, 156, 75, 25);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(clear, &QPushButton::clicked, EditCaption, &QLineEdit::clear);
    connect(colour, &QPushButton::clicked, this, &TEditTextDialog::ButtonSetColorClick);
    connect(Size, &QSpinBox::valueChanged, this, &TEditTextDialog::SizeClick);
    connect(CheckBoxItalic, &QCheckBox::toggled, this, &TEditTextDialog::CheckBoxClick);
    connect(CheckBoxBold, &QCheckBox::toggled, this, &TEditTextDialog::CheckBoxClick);
    SizeClick();
    if (!g_instance)
        g_instance = this;
}

TEditTextDialog::~TEditTextDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TEditTextDialog* TEditTextDialog::Instance() {
    return g_instance;
}

void TEditTextDialog::SetTextColour(uint32_t colour) {
    TextColour = colour;
    QPalette palette = EditCaption->palette();
    palette.setColor(QPalette::Text, ColourToQColor(colour));
    EditCaption->setPalette(palette);
}

void TEditTextDialog::ShowText(const TGraphicText& text) {
    EditCaption->setText(text.Text);
    CheckBoxItalic->setChecked(text.Italic);
    CheckBoxBold->setChecked(text.IsBold());
    CheckBoxOverBar->setChecked(text.Overline);
    Size->setValue(text.FontSize);
    SetTextColour(text.TextColor);
}

void TEditTextDialog::ApplyTo(TGraphicText& text) const {
    text.SetText(EditCaption->text());
    text.SetItalic(CheckBoxItalic->isChecked());
    text.SetBold(CheckBoxBold->isChecked());
    text.Overline = CheckBoxOverBar->isChecked();
    text.SetFontSize(Size->value());
    text.SetTextColor(TextColour);
    text.UpdateVertices();
}

std::unique_ptr<TGraphicText> TEditTextDialog::NewText() const {
    auto text = std::make_unique<TGraphicText>(EditCaption->text(), Size->value());
    ApplyTo(*text);
    return text;
}

void TEditTextDialog::showEvent(QShowEvent* event) {
    SizeClick();
    QDialog::showEvent(event);
}

void TEditTextDialog::SizeClick() {
    QFont font = EditCaption->font();
    font.setPointSize(Size->value());
    EditCaption->setFont(font);
    GroupText->setTitle(QStringLiteral("Text - %1 points").arg(Size->value()));
}

void TEditTextDialog::CheckBoxClick() {
    QFont font = EditCaption->font();
    font.setItalic(CheckBoxItalic->isChecked());
    font.setBold(CheckBoxBold->isChecked());
    EditCaption->setFont(font);
}

void TEditTextDialog::ButtonSetColorClick() {
    const QColor chosen = QColorDialog::getColor(ColourToQColor(TextColour), this);
    if (chosen.isValid())
        SetTextColour(QColorToColour(chosen));
}
