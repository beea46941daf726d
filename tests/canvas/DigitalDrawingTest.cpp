#include "GuiFixture.h"
#include "TestCircuit.h"
#include "TestSupport.h"

#include "canvas/FileStatusDialog.h"
#include "devices/InputDevice.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"
#include "model/TagDevice.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A canvas inside a 400 by 300 parent, with message boxes answered and recorded.
class CanvasTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        Answer = QMessageBox::Ok;
        parent.resize(400, 300);
        canvas = new TDigitalDrawing(&parent);
        canvas->resize(2000, 2000);
    }

    QString CalloutText() const { return canvas->Callout->Lines.join('\n'); }

    // Writes a one-gate circuit with the given name and returns its path.
    QString WriteSample(const QString& name, const QString& macroName = QStringLiteral("Sample")) {
        TTestCircuit circuit;
        circuit.Add<T2AndGate>(100, 100);
        WriteCircuit(Path(name), circuit.Root, macroName);
        return Path(name);
    }

    QWidget parent;
};

TEST_F(CanvasTest, ContentionPointsAtTheDeviceAndResetsTheCircuit) {
    TTestCircuit circuit(canvas->CurrentMacro);
    circuit.AddBusFight(150, 40);
    canvas->ResetCircuit();

    TCalcResult result;
    canvas->Step(result);
    ASSERT_TRUE(result.Contention);
    ASSERT_NE(result.Device, nullptr);
    EXPECT_TRUE(canvas->Callout->Visible);
    EXPECT_EQ(CalloutText(), "Bus contention, process halted");
    EXPECT_NE(canvas->Callout->Style, TGraphicBox::kStylePlain) << "a balloon pointing at the device";
    EXPECT_EQ(canvas->Callout->AnchorPoint(), result.Device->RoundedCentre());
    EXPECT_EQ(canvas->Callout->FontColor, RGBColour(255, 0, 0));

    // Any edit hides the message.
    canvas->SetModified(true);
    EXPECT_FALSE(canvas->Callout->Visible);
}

TEST_F(CanvasTest, FaultAboveTheShownLevelIsCentredInTheVisibleArea) {
    QScrollArea scroll;
    scroll.resize(400, 300);
    auto* scrolled = new TDigitalDrawing;
    scrolled->resize(2000, 2000);
    scroll.setWidget(scrolled);
    scroll.show();
    TTestCircuit circuit(scrolled->CurrentMacro);
    TMacro* part = circuit.AddInverterMacro(300, 300);
    circuit.AddRing(100, 100);
    scrolled->ResetCircuit();
    part->Closed = false;
    scrolled->OpenMacro(part);
    EXPECT_TRUE(scrolled->MacroOpen());
    EXPECT_EQ(scrolled->RootMacro(), circuit.Root);

    scroll.horizontalScrollBar()->setValue(100);
    scroll.verticalScrollBar()->setValue(50);
    const QSize view = scroll.viewport()->size();
    TCalcResult result;
    scrolled->Step(result);
    ASSERT_TRUE(result.Race);
    EXPECT_EQ(result.Device, nullptr);
    EXPECT_EQ(scrolled->Callout->Lines.join('\n'), "Race condition at higher level");
    EXPECT_EQ(scrolled->Callout->Style, TGraphicBox::kStylePlain);
    EXPECT_EQ(scrolled->Callout->AnchorPoint(), QPoint(100 + view.width() / 2, 50 + view.height() / 2));

    // Opening or closing a level hides the message.
    scrolled->CloseMacro();
    EXPECT_FALSE(scrolled->Callout->Visible);
    EXPECT_FALSE(scrolled->MacroOpen());
    EXPECT_TRUE(circuit.Root->Displayed);
    EXPECT_FALSE(part->Displayed);
}

TEST_F(CanvasTest, AHaltOutOfViewIsScrolledIntoViewBeforeTheCallout) {
    QScrollArea scroll;
    scroll.resize(400, 300);
    auto* scrolled = new TDigitalDrawing;
    scrolled->resize(3000, 3000);
    scroll.setWidget(scrolled);
    scroll.show();
    TTestCircuit circuit(scrolled->CurrentMacro);
    circuit.AddBusFight(2000, 1800);
    scrolled->ResetCircuit();

    TCalcResult result;
    scrolled->Step(result);
    ASSERT_TRUE(result.Contention);
    EXPECT_TRUE(scrolled->VisibleArea().contains(result.Device->GetBounds().ToQRect()));
    EXPECT_EQ(scrolled->Callout->AnchorPoint(), result.Device->RoundedCentre());
    EXPECT_NE(scrolled->Callout->Style, TGraphicBox::kStylePlain) << "a balloon pointing at the part";
}

TEST_F(CanvasTest, FaultInsideAClosedPartPointsAtThePart) {
    TTestCircuit circuit(canvas->CurrentMacro);
    TMacro* part = circuit.AddInverterMacro(200, 150);
    TTestCircuit inside(part);
    inside.AddRing(0, 200);
    canvas->ResetCircuit();
    TCalcResult result;
    canvas->Step(result);
    ASSERT_TRUE(result.Race);
    EXPECT_EQ(CalloutText(), "Race condition, process halted");
    EXPECT_EQ(canvas->Callout->AnchorPoint(), part->RoundedCentre());
}

TEST_F(CanvasTest, EditInsideAnOpenLevelRebuildsTheRootOrder) {
    TTestCircuit circuit(canvas->CurrentMacro);
    TNotGate* inner = nullptr;
    auto* source = circuit.Add<TNotGate>(-100, 0);
    TMacro* part = circuit.AddInverterMacro(0, 0, &inner);
    auto* sink = circuit.Add<T2OrGate>(100, 0);
    circuit.Wire(source->Pin(0), part->Pin(0));
    circuit.Wire(part->Pin(1), sink->Pin(1));
    canvas->ResetCircuit();
    const auto& rootOrder = circuit.Root->CalcOrder;
    ASSERT_NE(std::find(rootOrder.begin(), rootOrder.end(), inner), rootOrder.end())
        << "the inner gate drives the sink through the tag, so the root orders it";

    part->Closed = false;
    canvas->OpenMacro(part);
    part->DeleteChild(inner->Pin(0)->Wire);
    part->DeleteChild(inner->Pin(1)->Wire);
    part->DeleteChild(inner);
    canvas->NeedsRebuild = true;
    canvas->SetModified(true);
    EXPECT_EQ(std::find(rootOrder.begin(), rootOrder.end(), inner), rootOrder.end());
    TCalcResult result;
    canvas->Step(result);
    EXPECT_FALSE(result.Contention || result.Race);
}

TEST_F(CanvasTest, CloseMacroWithNoOpenLevelOnlyEndsTheDrawing) {
    TMacro* root = canvas->CurrentMacro;
    canvas->SetWiringMode(true);
    canvas->NewWire = std::make_unique<TWire>();
    canvas->NewWire->AddPoint(QPoint(10, 10));
    canvas->Drawing = true;
    canvas->CloseMacro();
    EXPECT_FALSE(canvas->WiringMode);
    EXPECT_FALSE(canvas->Drawing);
    EXPECT_EQ(canvas->NewWire, nullptr);
    EXPECT_EQ(canvas->CurrentMacro, root);
    EXPECT_TRUE(root->Displayed);
}

// Leaving a level tidies its wiring: a joint left with two wires becomes one wire from end to end,
// a joint with one wire goes with that wire, and wires with a loose end go.
TEST_F(CanvasTest, ClosingALevelCleansUpTheWiringOfTheLevelShown) {
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* source = circuit.Add<TNotGate>(0, 0);
    auto* sink = circuit.Add<T2OrGate>(200, 0);
    auto* other = circuit.Add<T2OrGate>(200, 100);
    circuit.Joint({source->Pin(0), sink->Pin(1), other->Pin(1)});
    TWire* toOther = other->Pin(1)->Wire;
    circuit.Joint({other->Pin(2)});
    TWire* loose = circuit.Wire(source->Pin(1), sink->Pin(2));
    loose->Detach(sink->Pin(2));
    sink->Pin(2)->DetachWire(loose);
    TMacro* part = circuit.AddInverterMacro(0, 300);
    part->Closed = false;
    canvas->OpenMacro(part);
    canvas->ProbeTarget = source->Pin(0)->Wire; // one of the two wires that become one

    circuit.Root->DeleteChild(toOther); // an edit in the level above, made behind the canvas's back
    canvas->CloseMacro();

    ASSERT_EQ(circuit.Root->Solders->Children->Count(), 0) << "both joints were left with too few wires";
    ASSERT_EQ(circuit.Root->Wires->Children->Count(), 1);
    auto* joined = KindCast<TWire>(circuit.Root->Wires->Children->Items(0));
    ASSERT_NE(joined, nullptr);
    EXPECT_EQ(joined->ConnectedEnds(), 2);
    EXPECT_EQ(source->Pin(0)->Wire, joined);
    EXPECT_EQ(sink->Pin(1)->Wire, joined);
    EXPECT_EQ(other->Pin(2)->Wire, nullptr);
    EXPECT_EQ(source->Pin(1)->Wire, nullptr);
    EXPECT_EQ(canvas->ProbeTarget, nullptr);
    EXPECT_TRUE(canvas->NeedsRebuild);

    // The joined wire carries the level as the two wires did.
    canvas->SetModified(true);
    TCalcResult result;
    canvas->Step(result);
    EXPECT_EQ(sink->Pin(1)->Level, source->Pin(0)->Level);
}

TEST_F(CanvasTest, AbandoningAWireMergesTheJointItsStartLeftBehind) {
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* a = circuit.Add<TNotGate>(0, 0);
    auto* b = circuit.Add<TNotGate>(200, 0);
    circuit.Joint({a->Pin(0), b->Pin(1)}); // as splitting a wire to start a new one leaves it
    canvas->SetWiringMode(true);
    canvas->NewWire = std::make_unique<TWire>();
    canvas->Drawing = true;
    canvas->SetWiringMode(false);
    EXPECT_EQ(circuit.Root->Solders->Children->Count(), 0);
    ASSERT_EQ(circuit.Root->Wires->Children->Count(), 1);
    EXPECT_EQ(a->Pin(0)->Wire, b->Pin(1)->Wire);

    // Without a wire being drawn, leaving the mode touches nothing.
    circuit.Joint({a->Pin(1), b->Pin(0)});
    canvas->SetWiringMode(true);
    canvas->SetWiringMode(false);
    EXPECT_EQ(circuit.Root->Solders->Children->Count(), 1);
}

TEST_F(CanvasTest, AWireLoopOnItsOwnJointIsRemovedWithTheJoint) {
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* solder = new TSolder;
    circuit.Root->AddObject(solder);
    auto* loop = new TWire;
    loop->AddPoint(QPoint(0, 0));
    loop->AddPoint(QPoint(0, 0));
    loop->Attach(solder);
    loop->Attach(solder);
    solder->AttachWire(loop);
    solder->AttachWire(loop);
    circuit.Root->AddObject(loop);
    canvas->CleanSolders(circuit.Root);
    EXPECT_EQ(circuit.Root->Solders->Children->Count(), 0);
    EXPECT_EQ(circuit.Root->Wires->Children->Count(), 0);
}

TEST_F(CanvasTest, ModeSettersKeepAtMostOneModeOn) {
    canvas->SetSelectMode(true);
    canvas->SetProbeMode(true);
    EXPECT_FALSE(canvas->SelectMode);
    EXPECT_TRUE(canvas->ProbeMode);
    canvas->SetWiringMode(true);
    EXPECT_FALSE(canvas->ProbeMode);
    EXPECT_TRUE(canvas->WiringMode);
    canvas->SetInteractMode(true);
    EXPECT_FALSE(canvas->WiringMode);
    EXPECT_TRUE(canvas->InteractMode);
}

TEST_F(CanvasTest, ProbeFollowsTheLevelOfItsWire) {
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* high = circuit.Add<TNotGate>(0, 0);
    auto* sink = circuit.Add<T2OrGate>(100, 0);
    TWire* wire = circuit.Wire(high->Pin(0), sink->Pin(1));
    auto* loose = new TWire;
    loose->AddPoint(QPoint(0, 300));
    loose->AddPoint(QPoint(50, 300));
    circuit.Root->AddObject(loose);
    canvas->ResetCircuit();
    canvas->SetProbeMode(true);
    canvas->ProbeTarget = wire;
    TCalcResult result;
    canvas->Step(result);
    EXPECT_EQ(canvas->ProbeState, 1);
    canvas->ProbeTarget = loose;
    canvas->Step(result);
    EXPECT_EQ(canvas->ProbeState, 0) << "an undriven wire floats";
}

TEST_F(CanvasTest, HistoryDevicesAreTheRecordedInputsThenOutputs) {
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* shown = circuit.Add<TLEDDevice>(100, 0);
    auto* hidden = circuit.Add<TLEDDevice>(100, 50);
    auto* clock = circuit.Add<TClockDevice>(0, 0);
    shown->InHistory = true;
    clock->InHistory = true;
    std::vector<THistoryDevice*> list{hidden};
    canvas->GetHistoryDevices(list);
    EXPECT_EQ(list, (std::vector<THistoryDevice*>{clock, shown}));

    // Each step records one sample per shown device.
    canvas->ResetCircuit();
    TCalcResult result;
    canvas->Step(result);
    canvas->Step(result);
    EXPECT_EQ(shown->History.size(), 2);
}

TEST(CanvasPaint, GridDotsEveryDisplayedPitchFromTheOrigin) {
    TDigitalDrawing canvas;
    canvas.resize(100, 100);
    canvas.Grid.SnapSize = 10;
    canvas.Grid.DisplaySize = 2;
    const QColor dot(0, 128, 0);
    QImage picture = canvas.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), dot);
    EXPECT_EQ(picture.pixelColor(20, 0), dot);
    EXPECT_EQ(picture.pixelColor(40, 60), dot);
    EXPECT_EQ(picture.pixelColor(10, 0), Qt::white);
    EXPECT_EQ(picture.pixelColor(20, 10), Qt::white);
    EXPECT_EQ(picture.pixelColor(21, 20), Qt::white);

    canvas.Grid.ShowGrid = false;
    canvas.InvalidateAll();
    picture = canvas.grab().toImage();
    int green = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            green += picture.pixelColor(x, y) == dot;
    EXPECT_EQ(green, 0);
}

TEST(CanvasPaint, StepShowsTheNewLevels) {
    QWidget parent;
    parent.resize(300, 200);
    auto* canvas = new TDigitalDrawing(&parent);
    canvas->resize(1000, 1000);
    canvas->Grid.ShowGrid = false;
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* low = circuit.Add<T2AndGate>(50, 50);
    auto* sink = circuit.Add<T2OrGate>(200, 50);
    TWire* wire = circuit.Wire(low->Pin(0), sink->Pin(1));
    canvas->ResetCircuit();
    parent.show();
    const QPoint middle = wire->RoundedCentre();
    EXPECT_EQ(canvas->grab(QRect(0, 0, 300, 200)).toImage().pixelColor(middle), QColor(Qt::black));
    TCalcResult result;
    canvas->Step(result);
    EXPECT_EQ(wire->Level, 0);
    EXPECT_EQ(canvas->grab(QRect(0, 0, 300, 200)).toImage().pixelColor(middle), QColor(192, 192, 192))
        << "a low wire is light grey";
}

// ---------------------------------------------------------------------------------------------------
// Files

TEST_F(CanvasTest, SaveAndLoadGiveTheSameCircuitAndBytes) {
    TTestCircuit circuit(canvas->CurrentMacro);
    circuit.AddBusFight();
    canvas->MacroName = QStringLiteral("Bus fight");
    canvas->ResetCircuit();
    canvas->SaveToFile(Path("fight.tvm"));
    EXPECT_EQ(canvas->FileName, Path("fight.tvm"));
    EXPECT_FALSE(canvas->Modified);

    // A circuit read from a file is written back byte for byte.
    canvas->LoadFromFile(Path("fight.tvm"));
    canvas->SaveToFile(Path("fight.tvm"));
    TDigitalDrawing other;
    ASSERT_TRUE(other.LoadFromFile(Path("fight.tvm")));
    EXPECT_EQ(other.MacroName, "Bus fight");
    EXPECT_FALSE(other.Modified);
    EXPECT_EQ(other.CurrentMacro->Devices->ChildCount(), 5);
    EXPECT_FALSE(other.CurrentMacro->CalcOrder.empty()) << "loading builds the calculation order";
    other.SaveToFile(Path("again.tvm"));
    const QByteArray saved = testsupport::ReadFile(Path("fight.tvm"));
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_EQ(testsupport::ReadFile(Path("again.tvm")), saved);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(CanvasTest, AFileWhoseWiringWasMendedLoadsWithAWarning) {
    testsupport::WriteFile(Path("damaged.tvm"), DamagedWiringBytes());
    ASSERT_TRUE(canvas->LoadFromFile(Path("damaged.tvm")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(kinds[0], TUserDialogs::TKind::Warning);
    EXPECT_EQ(messages[0],
              "The wiring in 'damaged.tvm' was damaged and has been repaired: 1 wire that no list "
              "held was removed; 1 connection recorded at one end only was cut. The circuit "
              "may not behave as it did when it was saved.");
    EXPECT_EQ(canvas->MacroName, "damaged");
    EXPECT_EQ(canvas->CurrentMacro->Wires->ChildCount(), 1);
}

TEST_F(CanvasTest, FailedLoadsReportAndKeepTheCircuit) {
    TFileStatusDialog status;
    const QString good = WriteSample("good.tvm", "Kept");
    ASSERT_TRUE(canvas->LoadFromFile(good));
    TMacro* kept = canvas->CurrentMacro;
    const QByteArray bytes = testsupport::ReadFile(good);
    auto writeBytes = [this](const QString& name, const QByteArray& content) {
        testsupport::WriteFile(Path(name), content);
        return Path(name);
    };
    struct TCase {
        QString Path;
        TUserDialogs::TKind Kind;
        QString Text;
    };
    QByteArray later = bytes;
    later[3] = 35;
    QByteArray wrongType = bytes;
    wrongType[1] = 0;
    const TCase cases[] = {
        {Path("missing.tvm"), TUserDialogs::TKind::Information,
         "Unable to locate the Tessivar file 'missing.tvm'"},
        {writeBytes("later.tvm", later), TUserDialogs::TKind::Information,
         "You need a later version of Tessivar to read this file."},
        {writeBytes("other.tvm", wrongType), TUserDialogs::TKind::Error,
         "This is not a valid Tessivar file."},
        {writeBytes("cut.tvm", bytes.left(bytes.size() - 6)), TUserDialogs::TKind::Error,
         "An error has occurred trying to read this Tessivar file."},
    };
    for (const TCase& c : cases) {
        messages.clear();
        kinds.clear();
        EXPECT_FALSE(canvas->LoadFromFile(c.Path)) << c.Path.toStdString();
        ASSERT_EQ(messages.size(), 1) << c.Path.toStdString();
        EXPECT_EQ(kinds[0], c.Kind);
        EXPECT_EQ(messages[0], c.Text);
        EXPECT_EQ(canvas->CurrentMacro, kept);
        EXPECT_EQ(canvas->FileName, good);
        EXPECT_EQ(canvas->MacroName, "Kept");
        EXPECT_FALSE(status.isVisible());
    }
    EXPECT_EQ(status.LabelStatus->text(), "Reading cut.tvm, please wait...");
}

TEST_F(CanvasTest, VersionThirtyFileNamesTheCircuit) {
    TTestCircuit circuit;
    circuit.Add<T2AndGate>(0, 0);
    QByteArray bytes;
    {
        TSerializeWriter writer(&bytes);
        writer.FileType = kCircuitFileType;
        writer.Version = 30;
        writer.WriteSignature();
        writer.WriteBoolean(false);
        writer.WriteString(QStringLiteral("Old adder"));
        writer.WriteString(QString());
        writer.WriteInteger(0);
        writer.WriteObject(circuit.Root);
        writer.Finish();
    }
    testsupport::WriteFile(Path("old.tvm"), bytes);
    ASSERT_TRUE(canvas->LoadFromFile(Path("old.tvm")));
    EXPECT_EQ(canvas->MacroName, "Old adder");
    EXPECT_EQ(canvas->CurrentMacro->Devices->ChildCount(), 1);
}

TEST_F(CanvasTest, LoadingWhileALevelIsOpenReturnsToTheNewRoot) {
    TTestCircuit circuit(canvas->CurrentMacro);
    TMacro* part = circuit.AddInverterMacro(0, 0);
    canvas->ResetCircuit();
    part->Closed = false;
    canvas->OpenMacro(part);
    ASSERT_TRUE(canvas->LoadFromFile(WriteSample("next.tvm")));
    EXPECT_FALSE(canvas->MacroOpen());
    EXPECT_EQ(canvas->RootMacro(), canvas->CurrentMacro);
    EXPECT_TRUE(canvas->CurrentMacro->Displayed);
    EXPECT_FALSE(canvas->CurrentMacro->Nested);
    EXPECT_EQ(canvas->CurrentMacro->Devices->ChildCount(), 1);
}

TEST_F(CanvasTest, InsertedFileIsAClosedPartCentredOnTheSnappedPoint) {
    const QString path = WriteSample("part.tvm");
    canvas->Grid.SnapSize = 10;
    ASSERT_TRUE(canvas->InsertFile(path, 203, 148, false));
    ASSERT_EQ(canvas->CurrentMacro->Devices->ChildCount(), 1);
    auto* part = KindCast<TMacro>(canvas->CurrentMacro->Devices->Child(0));
    ASSERT_NE(part, nullptr);
    EXPECT_TRUE(part->Closed);
    EXPECT_TRUE(part->Nested);
    EXPECT_FALSE(part->Displayed);
    EXPECT_TRUE(canvas->Modified);

    part->ShowPins = false;
    const FloatRect e = part->GetExtent();
    const float halfWidth = (e.MaxX - e.MinX) / 2;
    const float halfHeight = (e.MaxY - e.MinY) / 2;
    const QPoint corner =
        canvas->Grid.SnapPoint(QPoint(RoundToInt(203 - halfWidth), RoundToInt(148 - halfHeight)));
    EXPECT_FLOAT_EQ(e.MinX, static_cast<float>(corner.x()));
    EXPECT_FLOAT_EQ(e.MinY, static_cast<float>(corner.y()));

    EXPECT_FALSE(canvas->InsertFile(Path("none.tvm"), 0, 0, false));
    EXPECT_EQ(canvas->CurrentMacro->Devices->ChildCount(), 1);
}

} // namespace
