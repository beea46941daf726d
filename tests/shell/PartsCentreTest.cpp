#include "GuiFixture.h"
#include "TestCircuit.h"
#include "TestSupport.h"

#include "shell/DataFolders.h"
#include "shell/PartsCentre.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A small macro file: an inverter between two terminals, the outline a box with two pins.
QByteArray MacroFile(const QString& name, const QString& datasheet) {
    TTestCircuit inside;
    auto* in = inside.Add<TTagDevice>(-50, 0);
    auto* gate = inside.Add<TNotGate>(0, 0);
    auto* out = inside.Add<TTagDevice>(50, 0);
    inside.Wire(in->GetPin(), gate->Pin(1));
    inside.Wire(gate->Pin(0), out->GetPin());
    auto* box = new TPolygon;
    for (QPoint p : {QPoint(-20, -20), QPoint(20, -20), QPoint(20, 20), QPoint(-20, 20)})
        box->AddPoint(p);
    box->UpdateVertices();
    inside.Root->AddChild(box);
    TTestCircuit::AddOutlinePin(inside.Root, in, {-30, 0}, 0);
    TTestCircuit::AddOutlinePin(inside.Root, out, {30, 0}, 1);
    TTagDevice::ClassifyTags(inside.Root);
    inside.Root->Datasheet = datasheet;
    inside.Reset();
    return WriteCircuitBytes(inside.Root, name);
}

// A version-20 file: the signature and the circuit, no name.
QByteArray Version20File() {
    TMacro macro;
    QByteArray bytes;
    TSerializeWriter writer(&bytes);
    writer.FileType = kCircuitFileType;
    writer.Version = 20;
    writer.WriteSignature();
    writer.WriteObject(&macro);
    writer.Finish();
    return bytes;
}

class PartsCentreTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        const QDir root(dir.path());
        root.mkdir("Sub");
        testsupport::WriteFile(root.filePath("adder.tvm"), MacroFile("Full Adder", "adder.htm"));
        testsupport::WriteFile(root.filePath("Sub/inner.tvm"), MacroFile("", ""));
        testsupport::WriteFile(root.filePath("old.TVM"), Version20File());
        // A sound header before a body no reader could take: listed, as the body is never read.
        testsupport::WriteFile(root.filePath("huge.tvm"), MacroFile("Huge", "") + QByteArray(200000, '\xff'));
        testsupport::WriteFile(root.filePath("cut.tvm"), MacroFile("Cut", "").left(6));
        testsupport::WriteFile(root.filePath("notes.tvm"), "not a circuit at all");
        testsupport::WriteFile(root.filePath("readme.txt"), MacroFile("Text", ""));
        QFile::setPermissions(root.filePath("huge.tvm"), QFileDevice::ReadOwner);
        parts.SetRootFolder(dir.path());
    }

    QStringList Captions() const {
        QStringList captions;
        for (int i = 0; i < parts.List->count(); ++i)
            captions << parts.List->item(i)->text();
        return captions;
    }
    QAction* Find(const char* name) { return Action(&parts, name); }
    void Click(const QString& fileName, Qt::MouseButton button = Qt::LeftButton) {
        QListWidgetItem* item = parts.FindItem(fileName);
        ASSERT_NE(item, nullptr) << fileName.toStdString();
        QTest::mouseClick(parts.List->viewport(), button, {}, parts.List->visualItemRect(item).center());
    }

    TPartsForm parts;
};

TEST_F(PartsCentreTest, ListsFoldersThenMacrosByTheirHeaders) {
    parts.show();
    EXPECT_EQ(Captions(), (QStringList{"Sub", "Full Adder", "Huge", "old"}));
    EXPECT_EQ(parts.Data(parts.FindItem("adder.tvm"))->ImageIndex, TFileData::kDatasheetIcon);
    EXPECT_EQ(parts.Data(parts.FindItem("adder.tvm"))->Datasheet, "adder.htm");
    EXPECT_EQ(parts.Data(parts.FindItem("old.TVM"))->ImageIndex, TFileData::kMacroIcon);
    EXPECT_FALSE(Find("SpeedChangeLevel")->isEnabled());

    parts.SetViewStyle(TPartsForm::TViewStyle::LargeIcons);
    EXPECT_EQ(Captions(), (QStringList{"Sub", "adder", "huge", "old"}));
    parts.SetViewStyle(TPartsForm::TViewStyle::MacroName);
    parts.SetStatusBarVisible(true);
    Click("adder.tvm");
    EXPECT_EQ(parts.statusBar()->currentMessage(), "Full Adder [adder.tvm]");
    EXPECT_TRUE(Find("SpeedEditMacro")->isEnabled());
    EXPECT_EQ(parts.DragPath, QDir(dir.path()).filePath("adder.tvm"));
}

TEST_F(PartsCentreTest, ClickingAFolderOpensItAndUpReturns) {
    parts.show();
    Click("Sub");
    EXPECT_EQ(parts.CurrentFolder, QDir(dir.path()).filePath("Sub"));
    // A macro without a stored name is listed by its file name.
    EXPECT_EQ(Captions(), QStringList{"inner"});
    ASSERT_TRUE(Find("SpeedChangeLevel")->isEnabled());
    Find("SpeedChangeLevel")->trigger();
    EXPECT_EQ(parts.CurrentFolder, QDir::cleanPath(dir.path()));
    EXPECT_FALSE(Find("SpeedChangeLevel")->isEnabled());
}

TEST_F(PartsCentreTest, ContextMenuFollowsTheFileAndDeleteAsksFirst) {
    parts.show();
    Click("huge.tvm", Qt::RightButton);
    EXPECT_FALSE(Find("PopDelete")->isVisible()) << "a read-only file cannot be deleted";
    EXPECT_FALSE(Find("PopViewDatasheet")->isVisible());
    parts.ItemMenu->hide();

    Click("adder.tvm", Qt::RightButton);
    EXPECT_TRUE(Find("PopDelete")->isVisible());
    EXPECT_TRUE(Find("PopViewDatasheet")->isVisible());
    QStringList viewed;
    QObject::connect(&parts, &TPartsForm::OnViewDatasheet,
                     [&](const QString& d, const QString&) { viewed << d; });
    Find("PopViewDatasheet")->trigger();
    EXPECT_EQ(viewed, QStringList{"adder.htm"});

    Answer = QMessageBox::No;
    Find("PopDelete")->trigger();
    EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath("adder.tvm")));
    Answer = QMessageBox::Yes;
    Find("PopDelete")->trigger();
    EXPECT_EQ(messages, (QStringList(2, "Are you sure you want to delete this macro?")));
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath("adder.tvm")));
    EXPECT_EQ(Captions(), (QStringList{"Sub", "Huge", "old"}));
}

TEST_F(PartsCentreTest, DoubleClickingAMacroAsksToOpenIt) {
    parts.show();
    QStringList opened;
    QObject::connect(&parts, &TPartsForm::OnOpenMacro, [&](const QString& path) { opened << path; });
    QListWidgetItem* item = parts.FindItem("adder.tvm");
    QTest::mouseDClick(parts.List->viewport(), Qt::LeftButton, {}, parts.List->visualItemRect(item).center());
    EXPECT_EQ(opened, QStringList{QDir(dir.path()).filePath("adder.tvm")});
}

// The drop the canvas receives at the end of a drag from the list.
void Drop(TDigitalDrawing* canvas, const QString& path, QPoint at) {
    QMimeData mime;
    mime.setData(kPartMimeType, path.toUtf8());
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

TEST_F(PartsCentreTest, DroppingAMacroOnTheCanvasInsertsItCentredAndSelected) {
    MakeForm();
    canvas->Grid.Snap = true;
    parts.AcceptDropsOn(canvas);
    Drop(canvas, QDir(dir.path()).filePath("adder.tvm"), QPoint(203, 148));

    TGraphicList* devices = canvas->CurrentMacro->Devices.get();
    ASSERT_EQ(devices->ChildCount(), 1);
    auto* macro = KindCast<TMacro>(devices->Child(0));
    ASSERT_NE(macro, nullptr);
    EXPECT_TRUE(macro->Closed);
    EXPECT_EQ(canvas->Handles->Selected(), macro);
    // The outline (pins not counted) is centred on the snapped drop point.
    macro->ShowPins = false;
    float x, y;
    macro->GetCentre(x, y);
    macro->ShowPins = true;
    EXPECT_NEAR(x, 200, 3);
    EXPECT_NEAR(y, 150, 3);
    ASSERT_TRUE(canvas->Callout);
    EXPECT_EQ(canvas->Callout->Lines.join(' '), "Datasheet available");
    EXPECT_TRUE(canvas->Modified);

    // Other drags are not the canvas's.
    QMimeData text;
    text.setText("adder.tvm");
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST(ShippedLibrary, TopUpCopiesNewFilesOnceAndNeverOverwrites) {
    QTemporaryDir shipped;
    QTemporaryDir user;
    const QString manifest = QDir(user.path()).filePath("manifest.txt");
    const QString target = QDir(user.path()).filePath("Parts Centre");
    QDir(shipped.path()).mkdir("Arithmetic");
    testsupport::WriteFile(QDir(shipped.path()).filePath("Arithmetic/adder.tvm"), "shipped adder");
    testsupport::WriteFile(QDir(shipped.path()).filePath("gate.tvm"), "shipped gate");

    EXPECT_EQ(TopUpFromShipped(shipped.path(), target, manifest), 2);
    QFile adder(QDir(target).filePath("Arithmetic/adder.tvm"));
    ASSERT_TRUE(adder.open(QIODevice::ReadWrite | QIODevice::Truncate));
    adder.write("the user's adder");
    adder.close();
    QFile::remove(QDir(target).filePath("gate.tvm"));
    testsupport::WriteFile(QDir(shipped.path()).filePath("counter.tvm"), "shipped counter");

    // Only the part shipped since is added; the changed file stays and the deleted one stays away.
    EXPECT_EQ(TopUpFromShipped(shipped.path(), target, manifest), 1);
    ASSERT_TRUE(adder.open(QIODevice::ReadOnly));
    EXPECT_EQ(adder.readAll(), "the user's adder");
    EXPECT_FALSE(QFile::exists(QDir(target).filePath("gate.tvm")));
    EXPECT_TRUE(QFile::exists(QDir(target).filePath("counter.tvm")));
}

// The shipped library is found in the build tree, and a new user's parts centre lists it.
TEST(ShippedLibrary, NewUserSeesTheShippedParts) {
    ASSERT_FALSE(ShippedDataFolder("parts").isEmpty());
    ASSERT_FALSE(ShippedDataFolder("datasheets").isEmpty());
    TPartsForm form;
    form.SetRootFolder(PartsCentreRoot());
    form.ChangeFolder("Arithmetic");
    const QListWidgetItem* adder = form.FindItem("fulladder.tvm");
    ASSERT_NE(adder, nullptr);
    EXPECT_EQ(adder->text(), "Full Adder");
    EXPECT_EQ(form.Data(adder)->ImageIndex, TFileData::kDatasheetIcon);
    EXPECT_TRUE(QFile::exists(QDir(ShippedDataFolder("datasheets")).filePath(form.Data(adder)->Datasheet)));
}

} // namespace
