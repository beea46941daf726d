#include "canvas/FileStatusDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace {
TFileStatusDialog* g_instance = nullptr;
}

TFileStatusDialog::TFileStatusDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("FileStatusDialog"));
    setWindowTitle(QStringLiteral("File Status"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(330, 62);

    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    LabelStatus->setGeometry(8, 8, 313, 16);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(8, 32, 313, 16);
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);

    if (!g_instance)
        g_instance = this;
}

TFileStatusDialog::~TFileStatusDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TFileStatusDialog* TFileStatusDialog::Instance() {
    return g_instance;
}

void TFileStatusDialog::SetProgress(int value) {
    if (ProgressBar->value() != value)
        ProgressBar->setValue(value);
}

void TFileStatusDialog::showEvent(QShowEvent* event) {
    ProgressBar->setValue(0);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}
