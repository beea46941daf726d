#include "shell/MainForm.h"

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    setWindowTitle("Tessivar - Untitled");
    resize(628, 412);
}
