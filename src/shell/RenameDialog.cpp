#include "shell/RenameDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
TRenameDialog* g_instance = nullptr;
}

TRenameDialog::TRenameDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RenameDialog"));
    setWindowTitle(QStringLiteral("Edit Text"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(260, 120);

    auto* group = new QGroupBox(QStringLiteral("Text"), this);
    group->setGeometry(8, 8, 244, 70);
    EditRename = new QLineEdit(group);
    EditRename->setObjectName(QStringLiteral("EditRename"));
    EditRename->setGeometry(12, 20, 220, 22);
    CheckOverbar = new QCheckBox(QStringLiteral("Overbar"), group);
    CheckOverbar->setObjectName(QStringLiteral("CheckOverbar"));
    CheckOverbar->setGeometry(12, 44, 100, 20);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setDefault(true);
    ok->setGeometry(48, 86, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setGeometry(136, 86, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    if (!g_instance)
        g_instance = this;
}

TRenameDialog::~TRenameDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TRenameDialog* TRenameDialog::Instance() {
    return g_instance;
}

void TRenameDialog::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
    EditRename->setFocus();
}
