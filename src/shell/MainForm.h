#pragma once

#include <QMainWindow>

// The main window: menus, tool bars, the circuit canvas and the run timer.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};
