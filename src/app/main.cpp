#include "canvas/FileStatusDialog.h"
#include "devices/StreamClasses.h"
#include "devices/ui/ChangeMemoryDialog.h"
#include "devices/ui/NumberOutDialog.h"
#include "shell/EditTextDialog.h"
#include "shell/HelpWindow.h"
#include "shell/MainForm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Orvane");
    QApplication::setApplicationName("Tessivar");
    RegisterStreamClasses();

    // Every window is created once, the main window first, and kept until the program ends.
    TMainForm mainForm;
    TEditTextDialog editText(&mainForm);
    TChangeMemoryDialog changeMemory(&mainForm);
    TFileStatusDialog fileStatus(&mainForm);
    TNumberOutDialog numberOut(&mainForm);
    THelpWindow helpWindow;

    mainForm.SetCommandLine(QApplication::arguments().mid(1));
    mainForm.show();
    return QApplication::exec();
}
