#include "GuiFixture.h"
#include "TestCircuit.h"

#include "devices/InputDevice.h"
#include "drawing/Help.h"
#include "shell/AssociateHelpDialog.h"
#include "shell/DatasheetPathDialog.h"
#include "shell/Datasheets.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

// Records what would be handed to the system's "open" action; Refuse makes it fail.
class DatasheetsTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        TDatasheets::OpenHook = [this](const QUrl& url) {
            opened << (url.isLocalFile() ? url.toLocalFile() : url.toString());
            return !Refuse;
        };
        sheets.UserFolder = dir.filePath("user");
        sheets.ShippedFolder = dir.filePath("shipped");
        sheets.DatasheetPath = dir.filePath("path");
    }

    TDatasheets sheets;
    QStringList opened;
    bool Refuse = false;
};

TEST_F(DatasheetsTest, WebAddressesOpenAsTheyAre) {
    for (const char* address : {"http://example.org/adder.htm", "HTTP://example.org/adder.html",
                                "https://example.org/alu.pdf", "HTTPS://example.org/x"}) {
        EXPECT_TRUE(sheets.View(address)) << address;
        EXPECT_EQ(opened.takeLast().toLower(), QString(address).toLower()) << "the scheme alone changes case";
    }
}

TEST_F(DatasheetsTest, DocumentsAreLookedUpUserShippedThenPath) {
    EXPECT_FALSE(sheets.View("counter.pdf"));
    Touch(dir.filePath("path/counter.pdf"));
    EXPECT_TRUE(sheets.View("counter.pdf"));
    Touch(dir.filePath("shipped/counter.pdf"));
    EXPECT_TRUE(sheets.View("counter.pdf"));
    Touch(dir.filePath("user/counter.pdf"));
    EXPECT_TRUE(sheets.View("counter.pdf"));
    EXPECT_EQ(opened, (QStringList{dir.filePath("path/counter.pdf"), dir.filePath("shipped/counter.pdf"),
                                   dir.filePath("user/counter.pdf")}));
    Refuse = true;
    EXPECT_FALSE(sheets.View("counter.pdf")) << "the shell failed to open it";
}

TEST_F(DatasheetsTest, FullPathsOpenWhenTheFileExists) {
    const QString path = dir.filePath("elsewhere/manual.pdf");
    EXPECT_FALSE(sheets.View(path));
    Touch(path);
    EXPECT_TRUE(sheets.View(path));
    EXPECT_EQ(opened, QStringList{path});
}

TEST_F(DatasheetsTest, HelpFilesAreOnlyLookedFor) {
    EXPECT_FALSE(sheets.View("legacy.hlp"));
    Touch(dir.filePath("path/legacy.hlp"));
    EXPECT_TRUE(sheets.View("legacy.hlp"));
    EXPECT_TRUE(opened.isEmpty());
}

TEST(AssociateHelpDialog, OpensThePageOfTheReferenceAndTakesOnlyThatPage) {
    TAssociateHelpDialog dialog;
    struct TCase {
        const char* Datasheet;
        QWidget* Page;
    };
    for (const TCase& c :
         {TCase{"", dialog.Three}, TCase{"sheet.pdf", dialog.Three}, TCase{"a.html", dialog.Two},
          TCase{"https://example.org", dialog.Two}, TCase{"old.hlp", dialog.One}}) {
        dialog.Datasheet = c.Datasheet;
        dialog.Context = "12";
        dialog.FormShow();
        EXPECT_EQ(dialog.Pages->currentWidget(), c.Page) << c.Datasheet;
        EXPECT_EQ(dialog.Pages->isTabVisible(0), c.Page == dialog.One) << c.Datasheet;
    }
    EXPECT_EQ(dialog.EditFilename->text(), "old.hlp");
    EXPECT_EQ(dialog.EditContextID->text(), "12");

    // The context box takes up to four digits and nothing else.
    dialog.show();
    dialog.EditContextID->clear();
    QTest::keyClicks(dialog.EditContextID, "1a2b345");
    EXPECT_EQ(dialog.EditContextID->text(), "1234");

    dialog.Datasheet.clear();
    dialog.Context = "7";
    dialog.FormShow();
    EXPECT_EQ(dialog.EditURL->text(), "http://");
    dialog.EditURL->setText("http://example.org/sheet.htm");
    dialog.EditDocument->setText("ignored.pdf");
    dialog.Pages->setCurrentWidget(dialog.Two);
    dialog.ButtonOKClick();
    EXPECT_EQ(dialog.Datasheet, "http://example.org/sheet.htm");
    EXPECT_EQ(dialog.Context, "7");
}

class MainFormHelp : public DatasheetsTest {
protected:
    void SetUp() override {
        DatasheetsTest::SetUp();
        Answer = QMessageBox::Ok;
        SetHelpHandler([this](const QString&, const QString&, const QString& topic) { topics << topic; });
        attach = new TAssociateHelpDialog(&MakeForm());
        pathDialog = new TDatasheetPathDialog(form.get());
        ShowForm();
    }
    void PressF1() { QTest::keyClick(canvas, Qt::Key_F1); }

    TAssociateHelpDialog* attach = nullptr;
    TDatasheetPathDialog* pathDialog = nullptr;
    QStringList topics;
};

TEST_F(MainFormHelp, F1ShowsTheSelectedPartsHelpOrTheCircuitsDatasheet) {
    PressF1();
    EXPECT_TRUE(topics.isEmpty() && opened.isEmpty() && messages.isEmpty()) << "no datasheet: nothing";

    auto* clock = new TClockDevice;
    canvas->AddObject(clock, 100, 100, false);
    canvas->Handles->SelectObject(clock);
    PressF1();
    EXPECT_EQ(topics, QStringList{"deviceclock.htm"});

    canvas->Handles->HideSelection();
    canvas->CurrentMacro->Datasheet = "missing.pdf";
    PressF1();
    EXPECT_EQ(messages, QStringList{"Unable to open datasheet."});
}

TEST_F(MainFormHelp, AttachingAWebDatasheetStoresItInTheCircuit) {
    Dialog = [this](QDialog* dialog) {
        EXPECT_EQ(dialog, attach);
        EXPECT_EQ(attach->Pages->currentWidget(), attach->Three);
        attach->Pages->setCurrentWidget(attach->Two);
        attach->EditURL->setText("https://example.org/mine.htm");
        return true;
    };
    Act("OptionsAttachDatasheet")->trigger();
    EXPECT_EQ(canvas->CurrentMacro->Datasheet, "https://example.org/mine.htm");
    EXPECT_TRUE(canvas->Modified);
    PressF1();
    EXPECT_EQ(opened, QStringList{"https://example.org/mine.htm"});

    Dialog = [this](QDialog*) {
        pathDialog->EditPath->setText(dir.filePath("path"));
        return true;
    };
    Act("OptionsSetDatasheetPath")->trigger();
    EXPECT_EQ(form->DatasheetPath, dir.filePath("path"));
    Touch(dir.filePath("path/local.pdf"));
    form->ViewDatasheet("local.pdf", "0");
    EXPECT_EQ(opened.last(), dir.filePath("path/local.pdf"));
    EXPECT_TRUE(messages.isEmpty());
}

} // namespace
