#include "devices/ui/EditSwitchDialog.h"

#include "canvas/Cursors.h"
#include "devices/Interactive.h"
#include "devices/ui/PaintBox.h"

#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace {
TEditSwitchDialog* g_instance = nullptr;
}

TEditSwitchDialog::TEditSwitchDialog(QWidget* parent)
    : QDialog(parent), SwitchType(TInteractiveSwitch::kToggle),
      m_example(std::make_unique<TInteractiveSwitch>()) {
    setObjectName(QStringLiteral("EditSwitchDialog"));
    setWindowTitle(QStringLiteral("Edit Switch Type"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(250, 150);

    auto* types = new QGroupBox(QStringLiteral("Types"), this);
    types->setGeometry(8, 8, 130, 100);
    RadioToggle = new QRadioButton(QStringLiteral("Toggle"), types);
    RadioToggle->setObjectName(QStringLiteral("RadioToggle"));
    RadioToggle->setGeometry(10, 20, 115, 20);
    RadioToggle->setChecked(true);
    RadioPushToMake = new QRadioButton(QStringLiteral("Push To Make"), types);
    RadioPushToMake->setObjectName(QStringLiteral("RadioPushToMake"));
    RadioPushToMake->setGeometry(10, 44, 115, 20);
    RadioPushToBreak = new QRadioButton(QStringLiteral("Push To Break"), types);
    RadioPushToBreak->setObjectName(QStringLiteral("RadioPushToBreak"));
    RadioPushToBreak->setGeometry(10, 68, 115, 20);
    connect(RadioToggle, &QRadioButton::clicked, this, [this] { TypeClick(TInteractiveSwitch::kToggle); });
    connect(RadioPushToMake, &QRadioButton::clicked, this,
            [this] { TypeClick(TInteractiveSwitch::kPushToMake); });
    connect(RadioPushToBreak, &QRadioButton::clicked, this,
            [this] { TypeClick(TInteractiveSwitch::kPushToBreak); });

    auto* test = new QGroupBox(QStringLiteral("Test"), this);
    test->setGeometry(146, 8, 96, 100);
    TestBox = new TPaintBox(test);
    TestBox->setObjectName(QStringLiteral("TestBox"));
    TestBox->setGeometry(4, 16, 88, 80);
    TestBox->setCursor(CursorForNumber(kCursorHand));
    TestBox->OnPaint = [this](QPainter& painter) { m_example->Draw(painter); };
    TestBox->installEventFilter(this);
    m_example->Scale(2, 2);
    m_example->Offset(static_cast<float>(TestBox->width()) / 2, static_cast<float>(TestBox->height()) / 2);
    m_example->UpdateVertices();

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setDefault(true);
    ok->setGeometry(40, 116, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setGeometry(134, 116, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (!g_instance)
        g_instance = this;
}

TEditSwitchDialog::~TEditSwitchDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TEditSwitchDialog* TEditSwitchDialog::Instance() {
    return g_instance;
}

void TEditSwitchDialog::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TEditSwitchDialog::FormShow() {
    m_example->SetSwitchType(SwitchType);
    switch (SwitchType) {
    case TInteractiveSwitch::kPushToMake:
        RadioPushToMake->setChecked(true);
        break;
    case TInteractiveSwitch::kPushToBreak:
        RadioPushToBreak->setChecked(true);
        break;
    default:
        RadioToggle->setChecked(true);
        break;
    }
    TestBox->update();
}

void TEditSwitchDialog::TypeClick(int32_t type) {
    SwitchType = type;
    m_example->SetSwitchType(type);
    TestBox->update();
}

void TEditSwitchDialog::TestMouseDown() {
    m_example->InteractiveDown();
    TestBox->update();
}

void TEditSwitchDialog::TestMouseUp() {
    m_example->InteractiveUp();
    TestBox->update();
}

bool TEditSwitchDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TestBox) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            TestMouseDown();
        else if (event->type() == QEvent::MouseButtonRelease)
            TestMouseUp();
    }
    return QDialog::eventFilter(watched, event);
}
