#include "devices/ui/NumberOutDialog.h"

#include "devices/OutputDevice.h"
#include "devices/ui/PaintBox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {
TNumberOutDialog* g_instance = nullptr;
}

TNumberOutDialog::TNumberOutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NumberOutDialog"));
    setWindowTitle(QStringLiteral("Numeric Output"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    auto* format = new QGroupBox(QStringLiteral("Display Format"), this);
    format->setGeometry(8, 8, 226, 120);
    RadioBinary = new QRadioButton(QStringLiteral("Binary"), format);
    RadioBinary->setGeometry(12, 20, 200, 20);
    RadioBinary->setChecked(true);
    RadioHexadecimal = new QRadioButton(QStringLiteral("Hexadecimal"), format);
    RadioHexadecimal->setGeometry(12, 42, 200, 20);
    RadioDecimal = new QRadioButton(QStringLiteral("Decimal"), format);
    RadioDecimal->setGeometry(12, 64, 200, 20);
    CheckComplement = new QCheckBox(QStringLiteral("Two's complement interpretation"), format);
    CheckComplement->setGeometry(28, 88, 194, 20);

    GroupSize = new QGroupBox(QStringLiteral("Size"), this);
    GroupSize->setGeometry(8, 136, 226, 50);
    auto* label = new QLabel(QStringLiteral("Input Lines"), GroupSize);
    label->setGeometry(12, 20, 80, 20);
    EditLines = new QLineEdit(GroupSize);
    EditLines->setObjectName(QStringLiteral("EditLines"));
    EditLines->setReadOnly(true);
    EditLines->setGeometry(96, 20, 50, 20);
    LinesUpDown = new QSpinBox(GroupSize);
    LinesUpDown->setObjectName(QStringLiteral("LinesUpDown"));
    LinesUpDown->setRange(1, 4);
    LinesUpDown->setValue(2);
    LinesUpDown->setGeometry(150, 20, 50, 20);

    GroupExample = new QGroupBox(QStringLiteral("Example"), this);
    Example = new TPaintBox(GroupExample);
    Example->setGeometry(8, 18, 210, 40);
    Example->OnPaint = [this](QPainter& painter) {
        auto example = MakeNumericExample(LineCount(), PinsAtBottom(), Format(),
                                          QPoint(Example->width() / 2, Example->height() / 2 - 2));
        example->Draw(painter);
    };
    CheckSuppress = new QCheckBox(QStringLiteral("Suppress leading zero"), GroupExample);
    CheckSuppress->setGeometry(8, 64, 210, 20);
    CheckSuppress->setChecked(true);
    CheckPinsAtBottom = new QCheckBox(QStringLiteral("Connection pins at bottom"), GroupExample);
    CheckPinsAtBottom->setGeometry(8, 88, 210, 20);

    ButtonOk = new QPushButton(QStringLiteral("&Ok"), this);
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

    for (QRadioButton* radio : {RadioBinary, RadioHexadecimal, RadioDecimal})
        connect(radio, &QRadioButton::toggled, this, &TNumberOutDialog::UpdateControls);
    for (QCheckBox* box : {CheckComplement, CheckSuppress, CheckPinsAtBottom})
        connect(box, &QCheckBox::toggled, this, &TNumberOutDialog::UpdateControls);
    connect(LinesUpDown, &QSpinBox::valueChanged, this, &TNumberOutDialog::UpdateControls);

    ShowSizeGroup(true);
    UpdateControls();
    if (!g_instance)
        g_instance = this;
}

TNumberOutDialog::~TNumberOutDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TNumberOutDialog* TNumberOutDialog::Instance() {
    return g_instance;
}

void TNumberOutDialog::ShowSizeGroup(bool show) {
    GroupSize->setVisible(show);
    const int exampleTop = show ? 192 : 136;
    GroupExample->setGeometry(8, exampleTop - 2, 226, 118);
    const int buttonsTop = show ? 326 : 270;
    ButtonOk->setGeometry(40, buttonsTop - 12, 75, 25);
    ButtonCancel->setGeometry(124, buttonsTop - 12, 75, 25);
    setFixedSize(242, (show ? 387 : 331) - 40);
}

void TNumberOutDialog::LoadFrom(const TNumericDevice& device) {
    CheckSuppress->setChecked(device.Format & TNumericDevice::kSuppressZeros);
    if (device.Format & TNumericDevice::kBinary)
        RadioBinary->setChecked(true);
    else if (device.Format & TNumericDevice::kHexadecimal)
        RadioHexadecimal->setChecked(true);
    else if (device.Format & TNumericDevice::kDecimal)
        RadioDecimal->setChecked(true);
    CheckComplement->setChecked(device.Format & TNumericDevice::kTwosComplement);
    CheckPinsAtBottom->setChecked(device.PinsAtBottom);
    for (int position = 1; position <= 4; ++position)
        if (1 << position == device.LineCount)
            LinesUpDown->setValue(position);
}

int32_t TNumberOutDialog::Format() const {
    const TNumericBase base = RadioBinary->isChecked()        ? TNumericBase::Binary
                              : RadioHexadecimal->isChecked() ? TNumericBase::Hexadecimal
                                                              : TNumericBase::Decimal;
    return NumericFormat(base, CheckComplement->isChecked(), CheckSuppress->isChecked());
}

int TNumberOutDialog::LineCount() const {
    return 1 << LinesUpDown->value();
}

bool TNumberOutDialog::PinsAtBottom() const {
    return CheckPinsAtBottom->isChecked();
}

void TNumberOutDialog::showEvent(QShowEvent* event) {
    UpdateControls();
    QDialog::showEvent(event);
}

void TNumberOutDialog::UpdateControls() {
    EditLines->setText(QString::number(LineCount()));
    CheckComplement->setEnabled(RadioDecimal->isChecked());
    Example->update();
}
