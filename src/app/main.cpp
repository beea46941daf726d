#include "devices/StreamClasses.h"
#include "shell/MainForm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Orvane");
    QApplication::setApplicationName("Tessivar");
    QApplication::setApplicationDisplayName("Tessivar");
    RegisterStreamClasses();

    TMainForm mainForm;
    mainForm.show();
    return QApplication::exec();
}
