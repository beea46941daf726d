#include "devices/ui/ChangeMemoryDialog.h"

#include "devices/MemoryDevice.h"
#include "devices/ui/PaintBox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {
TChangeMemoryDialog* g_instance = nullptr;
}

TChangeMemoryDialog::TChangeMemoryDialog(QWidget* parent)
    : QDialog(parent), m_example(std::make_unique<TMemoryDevice>()) {
    setObjectName(QStringLiteral("ChangeMemoryDialog"));
    setWindowTitle(QStringLiteral("Select Memory Device"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(330, 262);

    auto* type = new QGroupBox(QStringLiteral("Type"), this);
    type->setGeometry(8, 8, 196, 50);
    RadioRAM = new QRadioButton(QStringLiteral("RAM"), type);
    RadioRAM->setGeometry(12, 20, 80, 20);
    RadioRAM->setChecked(true);
    RadioROM = new QRadioButton(QStringLiteral("ROM"), type);
    RadioROM->setGeometry(100, 20, 80, 20);

    auto* size = new QGroupBox(QStringLiteral("Size"), this);
    size->setGeometry(8, 64, 196, 80);
    auto addLine = [size](const char* caption, int top, QLineEdit*& edit, QSpinBox*& upDown, int low,
                          int high, int initial) {
        auto* label = new QLabel(QString::fromLatin1(caption), size);
        label->setGeometry(12, top, 80, 20);
        edit = new QLineEdit(size);
        edit->setReadOnly(true);
        edit->setGeometry(96, top, 40, 20);
        upDown = new QSpinBox(size);
        upDown->setRange(low, high);
        upDown->setValue(initial);
        upDown->setGeometry(140, top, 44, 20);
    };
    addLine("Address Lines", 20, EditAddress, AddressUpDown, 4, 14, 8);
    addLine("Data Lines", 48, EditData, DataUpDown, 0, 4, 3);
    AddressUpDown->setObjectName(QStringLiteral("AddressUpDown"));
    DataUpDown->setObjectName(QStringLiteral("DataUpDown"));

    auto* example = new QGroupBox(QStringLiteral("Example"), this);
    example->setGeometry(214, 8, 109, 224);
    Example = new TPaintBox(example);
    Example->setGeometry(6, 16, 97, 204);
    Example->OnPaint = [this](QPainter& painter) { m_example->Draw(painter); };

    CheckCompact = new QCheckBox(QStringLiteral("Compact on Save"), this);
    CheckCompact->setGeometry(16, 152, 180, 20);
    CheckCompact->setChecked(true);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setDefault(true);
    ok->setGeometry(16, 200, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setGeometry(112, 200, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(RadioRAM, &QRadioButton::toggled, this, &TChangeMemoryDialog::Reconfigure);
    connect(AddressUpDown, &QSpinBox::valueChanged, this, &TChangeMemoryDialog::Reconfigure);
    connect(DataUpDown, &QSpinBox::valueChanged, this, &TChangeMemoryDialog::Reconfigure);
    Reconfigure();
    if (!g_instance)
        g_instance = this;
}

TChangeMemoryDialog::~TChangeMemoryDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TChangeMemoryDialog* TChangeMemoryDialog::Instance() {
    return g_instance;
}

void TChangeMemoryDialog::showEvent(QShowEvent* event) {
    EditAddress->setText(QString::number(AddressUpDown->value()));
    EditData->setText(QString::number(1 << DataUpDown->value()));
    QDialog::showEvent(event);
}

void TChangeMemoryDialog::Reconfigure() {
    EditAddress->setText(QString::number(AddressUpDown->value()));
    EditData->setText(QString::number(1 << DataUpDown->value()));
    m_example->Configure(RadioRAM->isChecked(), AddressUpDown->value(), 1 << DataUpDown->value());
    // The example's origin lies in the middle of the box.
    m_example->Offset(static_cast<float>(Example->width()) / 2, static_cast<float>(Example->height()) / 2);
    m_example->UpdateVertices();
    Example->update();
}
