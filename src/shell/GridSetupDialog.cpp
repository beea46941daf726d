#include "shell/GridSetupDialog.h"

#include "canvas/UserDialogs.h"
#include "drawing/SnapGrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

#include <functional>

namespace {

// An up-down whose box is read-only; its text may be a function of its position.
class TUpDown : public QSpinBox {
public:
    TUpDown(QWidget* parent, int low, int high, int step) : QSpinBox(parent) {
        setRange(low, high);
        setSingleStep(step);
        lineEdit()->setReadOnly(true);
    }
    // Shows the text for the position again after what it depends on changed.
    void Refresh() { lineEdit()->setText(textFromValue(value())); }

    std::function<int(int)> Shown = [](int position) { return position; };

protected:
    QString textFromValue(int value) const override { return QString::number(Shown(value)); }
    // The box is never typed into: its text always stands for the position.
    int valueFromText(const QString&) const override { return value(); }
    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }
};

TGridSetupDialog* g_instance = nullptr;

} // namespace

TGridSetupDialog::TGridSetupDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GridSetupDialog"));
    setWindowTitle(QStringLiteral("Grid Setup"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(250, 200);

    auto* group = new QGroupBox(QStringLiteral("Grid Setup"), this);
    group->setGeometry(8, 8, 234, 150);
    auto addRow = [group](const char* label, QSpinBox* upDown, int y) {
        auto* text = new QLabel(QString::fromLatin1(label), group);
        text->setGeometry(12, y, 110, 22);
        text->setBuddy(upDown);
        upDown->setGeometry(130, y, 90, 22);
    };
    GridUpDown = new TUpDown(group, 5, 60, 5);
    GridUpDown->setObjectName(QStringLiteral("GridUpDown"));
    addRow("Grid Frequency:", GridUpDown, 22);
    auto* display = new TUpDown(group, 1, 5, 1);
    DisplayUpDown = display;
    DisplayUpDown->setObjectName(QStringLiteral("DisplayUpDown"));
    display->Shown = [this](int position) { return GridUpDown->value() * position; };
    addRow("Display Frequency:", DisplayUpDown, 50);
    RotationUpDown = new TUpDown(group, 5, 90, 5);
    RotationUpDown->setObjectName(QStringLiteral("RotationUpDown"));
    addRow("Rotation Angle", RotationUpDown, 78);
    CheckSnapToGrid = new QCheckBox(QStringLiteral("Snap to grid"), group);
    CheckSnapToGrid->setObjectName(QStringLiteral("CheckSnapToGrid"));
    CheckSnapToGrid->setGeometry(12, 110, 100, 22);
    CheckShowGrid = new QCheckBox(QStringLiteral("Show grid"), group);
    CheckShowGrid->setObjectName(QStringLiteral("CheckShowGrid"));
    CheckShowGrid->setGeometry(130, 110, 90, 22);
    GridUpDown->setValue(5);
    DisplayUpDown->setValue(1);
    RotationUpDown->setValue(10);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setDefault(true);
    ok->setGeometry(44, 166, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setGeometry(130, 166, 75, 25);
    connect(ok, &QPushButton::clicked, this, &TGridSetupDialog::ButtonOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // The display box shows the product of both positions.
    connect(GridUpDown, &QSpinBox::valueChanged, display, &TUpDown::Refresh);
    if (!g_instance)
        g_instance = this;
}

TGridSetupDialog::~TGridSetupDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TGridSetupDialog* TGridSetupDialog::Instance() {
    return g_instance;
}

bool TGridSetupDialog::EditGrid(TGrid& grid) {
    TGridSetupDialog* dialog = Instance();
    if (!dialog)
        return false;
    dialog->ShowGrid = grid.ShowGrid;
    dialog->Snap = grid.Snap;
    dialog->SnapSize = grid.SnapSize;
    dialog->AngleStep = grid.AngleStep;
    dialog->DisplaySize = grid.DisplaySize;
    if (!TUserDialogs::Execute(dialog))
        return false;
    grid.ShowGrid = dialog->ShowGrid;
    grid.Snap = dialog->Snap;
    grid.SnapSize = dialog->SnapSize;
    grid.AngleStep = dialog->AngleStep;
    grid.DisplaySize = dialog->DisplaySize;
    return true;
}

void TGridSetupDialog::FormShow() {
    CheckSnapToGrid->setChecked(Snap);
    CheckShowGrid->setChecked(ShowGrid);
    GridUpDown->setValue(SnapSize);
    DisplayUpDown->setValue(DisplaySize);
    RotationUpDown->setValue(AngleStep);
    static_cast<TUpDown*>(DisplayUpDown)->Refresh();
}

void TGridSetupDialog::ButtonOkClick() {
    Snap = CheckSnapToGrid->isChecked();
    ShowGrid = CheckShowGrid->isChecked();
    SnapSize = GridUpDown->value();
    DisplaySize = DisplayUpDown->value();
    AngleStep = RotationUpDown->value();
    accept();
}

void TGridSetupDialog::showEvent(QShowEvent* event) {
    FormShow();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}
