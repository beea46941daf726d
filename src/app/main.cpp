#include "canvas/FileStatusDialog.h"
#include "devices/StreamClasses.h"
#include "devices/ui/AnalyserForm.h"
#include "devices/ui/ChangeMemoryDialog.h"
#include "devices/ui/EditContentsDialog.h"
#include "devices/ui/EditSequenceDialog.h"
#include "devices/ui/EditSwitchDialog.h"
#include "devices/ui/NumberOutDialog.h"
#include "shell/AboutBox.h"
#include "shell/AssociateHelpDialog.h"
#include "shell/DatasheetPathDialog.h"
#include "shell/EditTextDialog.h"
#include "shell/ExportImageDialog.h"
#include "shell/GridSetupDialog.h"
#include "shell/HelpWindow.h"
#include "shell/MainForm.h"
#include "shell/NameMacroDialog.h"
#include "shell/PartsCentre.h"
#include "shell/PrintPreviewForm.h"
#include "shell/RenameDialog.h"
#include "template_editor/TemplateForm.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage = "Usage: tessivar [CIRCUIT.tvm]\n"
                           "\n"
                           "Opens the Tessivar circuit editor, with the circuit file when one is named.\n"
                           "\n"
                           "  --version   show the version and stop\n"
                           "  -h, --help  show this text and stop\n";

} // namespace

int main(int argc, char* argv[]) {
    // Answered before the application starts, so they work without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("tessivar " TESSIVAR_VERSION "\n", stdout);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Orvane");
    QApplication::setApplicationName("Tessivar");
    // The installed desktop entry and icon theme name the windows' icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tessivar"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tessivar")));
    RegisterStreamClasses();

    // Every window is created once, the main window first, and kept until the program ends.
    TMainForm mainForm;
    TPartsForm partsCentre(&mainForm);
    TAboutBox aboutBox(&mainForm);
    TGridSetupDialog gridSetup(&mainForm);
    TEditTextDialog editText(&mainForm);
    TEditSequenceDialog editSequence(&mainForm);
    TEditSwitchDialog editSwitch(&mainForm);
    TPrintPreview printPreview(&mainForm);
    TRenameDialog rename(&mainForm);
    TAnalyserForm logicHistory(&mainForm);
    TChangeMemoryDialog changeMemory(&mainForm);
    TAssociateHelpDialog associateHelp(&mainForm);
    TFileStatusDialog fileStatus(&mainForm);
    TNameMacroDialog nameMacro(&mainForm);
    TDatasheetPathDialog datasheetPath(&mainForm);
    TNumberOutDialog numberOut(&mainForm);
    TEditContentsDialog editContents(&mainForm);
    TTemplateForm templateEditor(&mainForm);
    TExportImageDialog exportImage(&mainForm);
    THelpWindow helpWindow;

    mainForm.SetCommandLine(QApplication::arguments().mid(1));
    mainForm.show();
    return QApplication::exec();
}
