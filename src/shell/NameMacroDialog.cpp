#include "shell/NameMacroDialog.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {
TNameMacroDialog* g_instance = nullptr;
}

TNameMacroDialog::TNameMacroDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NameMacroDialog"));
    setWindowTitle(QStringLiteral("Name Macro"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(300, 186);

    auto* group = new QGroupBox(QStringLiteral("Text"), this);
    group->setGeometry(8, 8, 284, 136);
    EditMacroName = new QPlainTextEdit(group);
    EditMacroName->setObjectName(QStringLiteral("EditMacroName"));
    EditMacroName->setGeometry(12, 20, 260, 50);
    EditMacroName->installEventFilter(this);
    auto* explanation =
        new QLabel(QStringLiteral("Name Macro can be used to display a more meaningful name when the "
                                  "'Macro Name' view option is selected from the parts centre main menu."),
                   group);
    explanation->setWordWrap(true);
    explanation->setGeometry(12, 76, 260, 52);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setDefault(true);
    ok->setGeometry(66, 152, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setGeometry(158, 152, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    if (!g_instance)
        g_instance = this;
}

TNameMacroDialog::~TNameMacroDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TNameMacroDialog* TNameMacroDialog::Instance() {
    return g_instance;
}

void TNameMacroDialog::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
    EditMacroName->setFocus();
}

bool TNameMacroDialog::eventFilter(QObject* watched, QEvent* event) {
    // Neither a new line nor the default button: the return is simply dropped.
    if (watched == EditMacroName && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
