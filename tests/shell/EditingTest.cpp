#include "GuiFixture.h"
#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "devices/MemoryDevice.h"
#include "devices/OutputDevice.h"
#include "devices/ui/ChangeMemoryDialog.h"
#include "devices/ui/NumberOutDialog.h"
#include "model/CircuitFile.h"
#include "model/Gates.h"
#include "model/TagDevice.h"
#include "shell/EditTextDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A shown main window with its dialogs, driven through mouse and key events at canvas pixels.
class EditingTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        QGuiApplication::clipboard()->clear();
        MakeForm();
        editText = new TEditTextDialog(form.get());
        changeMemory = new TChangeMemoryDialog(form.get());
        numberOut = new TNumberOutDialog(form.get());
        ShowForm();
    }

    static QPoint PinAt(TDevice* device, int index) { return device->Pin(index)->RoundedCentre(); }
    // A point a fraction of the way along a straight wire drawn from a to b.
    static QPoint Along(QPoint a, QPoint b, double t) {
        return QPoint(a.x() + qRound((b.x() - a.x()) * t), a.y() + qRound((b.y() - a.y()) * t));
    }
    int Count(TGraphicList* list) const { return list->ChildCount(); }

    TEditTextDialog* editText = nullptr;
    TChangeMemoryDialog* changeMemory = nullptr;
    TNumberOutDialog* numberOut = nullptr;
};

// A full adder built on an empty canvas only through the mouse, saved, checked over its whole truth
// table with the runner's step, then undone to the empty circuit and redone to the adder, byte for
// byte.
TEST_F(EditingTest, FullAdderBuiltWithTheMouse) {
    const QByteArray empty = SaveBytes("empty.tvm");
    auto* a = Place<TInteractiveInput>("SpeedPresetSwitch", {100, 100});
    auto* b = Place<TInteractiveInput>("SpeedPresetSwitch", {100, 250});
    auto* cin = Place<TInteractiveInput>("SpeedPresetSwitch", {100, 500});
    auto* xor1 = Place<T2XorGate>("SpeedXORGate", {300, 150});
    auto* and1 = Place<T2AndGate>("SpeedANDGate", {300, 300});
    auto* xor2 = Place<T2XorGate>("SpeedXORGate", {500, 200});
    auto* and2 = Place<T2AndGate>("SpeedANDGate", {500, 400});
    auto* orGate = Place<T2OrGate>("SpeedORGate", {700, 350});
    auto* sum = Place<TLEDDevice>("SpeedLED", {700, 200});
    auto* carry = Place<TLEDDevice>("SpeedLED", {900, 350});
    ASSERT_EQ(Count(canvas->CurrentMacro->Inputs.get()), 3);
    EXPECT_EQ(xor1->RoundedCentre().x() % 5, 0) << "placed on the grid";

    // Gates: pin 0 is the output, pins 1 and 2 the inputs.
    Wire({PinAt(a, 0), PinAt(xor1, 1)});
    Wire({PinAt(b, 0), PinAt(xor1, 2)});
    Wire({PinAt(xor1, 0), PinAt(xor2, 1)});
    Wire({PinAt(cin, 0), PinAt(xor2, 2)});
    Wire({PinAt(xor2, 0), PinAt(sum, 0)});
    // Branches start on free pins and end on the wires above, each at a new joint.
    Wire({PinAt(and1, 1), Along(PinAt(a, 0), PinAt(xor1, 1), 0.3)});
    Wire({PinAt(and1, 2), Along(PinAt(b, 0), PinAt(xor1, 2), 0.3)});
    Wire({PinAt(and2, 1), Along(PinAt(xor1, 0), PinAt(xor2, 1), 0.5)});
    Wire({PinAt(and2, 2), Along(PinAt(cin, 0), PinAt(xor2, 2), 0.3)});
    Wire({PinAt(and1, 0), PinAt(orGate, 1)});
    Wire({PinAt(and2, 0), PinAt(orGate, 2)});
    Wire({PinAt(orGate, 0), PinAt(carry, 0)});
    EXPECT_EQ(Count(canvas->CurrentMacro->Solders.get()), 4);
    EXPECT_EQ(Count(canvas->CurrentMacro->Wires.get()), 16);
    EXPECT_TRUE(messages.isEmpty());

    const QByteArray adder = SaveBytes("adder.tvm");

    // Run: flip A in interact mode and step with F12.
    Act("SpeedInteraction")->trigger();
    Click(a->RoundedCentre());
    Key(Qt::Key_F12);
    EXPECT_EQ(sum->LastLevel & 1, 1);
    EXPECT_EQ(carry->LastLevel & 1, 0);
    Act("SpeedPointer")->trigger();

    TCircuit circuit = ReadCircuit(dir.filePath("adder.tvm"));
    PrepareRoot(*circuit.Root);
    TMacro& root = *circuit.Root;
    for (int row = 0; row < 8; ++row) {
        for (int bit = 0; bit < 3; ++bit)
            static_cast<TInteractiveInput*>(root.Inputs->Child(bit))->Preset =
                (row >> (2 - bit)) & 1 ? 65535 : 0;
        root.Reset();
        TCalcResult result;
        root.ClearDrivers();
        root.Calculate(result);
        ASSERT_FALSE(result.Contention || result.Race) << row;
        const int ones = (row & 1) + ((row >> 1) & 1) + ((row >> 2) & 1);
        EXPECT_EQ(static_cast<TLEDDevice*>(root.Outputs->Child(0))->LastLevel & 1, ones & 1)
            << "sum, row " << row;
        EXPECT_EQ(static_cast<TLEDDevice*>(root.Outputs->Child(1))->LastLevel & 1, ones >> 1)
            << "carry, row " << row;
    }

    // Every edit undone gives the empty circuit's bytes and leaves nothing modified; every edit
    // redone gives the adder's.
    int undone = 0;
    while (canvas->CanUndo()) {
        Key(Qt::Key_Z, Qt::ControlModifier);
        ++undone;
        ASSERT_LT(undone, 100);
    }
    EXPECT_GE(undone, 22);
    EXPECT_EQ(SaveBytes("undone.tvm"), empty);
    while (canvas->CanRedo())
        Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(SaveBytes("redone.tvm"), adder);
}

TEST_F(EditingTest, WiringRefusesTwoOutputsAndEndsOnATagWithTheRightButton) {
    auto* first = Place<TNotGate>("SpeedNOTGate", {200, 100});
    auto* second = Place<TNotGate>("SpeedNOTGate", {200, 300});
    auto* sink = Place<T2AndGate>("SpeedANDGate", {400, 200});
    Wire({PinAt(first, 0), PinAt(sink, 1)});
    // From the second output onto the first output's wire, then onto the first output itself.
    WireTool();
    QTest::mouseMove(canvas, PinAt(second, 0));
    EXPECT_EQ(form->statusBar()->currentMessage(), "Use the left mouse button to begin wiring");
    Click(PinAt(second, 0));
    const int points = canvas->NewWire->PointCount();
    Click(Along(PinAt(first, 0), PinAt(sink, 1), 0.5));
    EXPECT_EQ(canvas->Callout->Lines.join(' '), "Unable to connect two outputs");
    EXPECT_TRUE(canvas->Drawing) << "the wire in progress is kept";
    EXPECT_EQ(canvas->NewWire->PointCount(), points) << "and gets no point";
    EXPECT_EQ(Count(canvas->CurrentMacro->Solders.get()), 0);

    // Delete abandons the wire without a question and leaves wiring mode on.
    Key(Qt::Key_Delete);
    EXPECT_FALSE(canvas->Drawing);
    EXPECT_TRUE(canvas->WiringMode);
    EXPECT_TRUE(messages.isEmpty());

    // A right click while wiring ends the wire on a new tag there.
    Click(PinAt(second, 0));
    Click({350, 400}, Qt::RightButton);
    ASSERT_EQ(Count(canvas->CurrentMacro->Tags.get()), 1);
    auto* tag = static_cast<TTagDevice*>(canvas->CurrentMacro->Tags->Child(0));
    EXPECT_EQ(tag->GetPin()->Wire, second->Pin(0)->Wire);
    EXPECT_EQ(tag->Direction, TTagDirection::Output) << "tags are classified after wiring";
    EXPECT_TRUE(canvas->SelectMode);
}

TEST_F(EditingTest, PlacementRulesForArmedParts) {
    // Control-clicks keep the part armed.
    Act("SpeedLED")->trigger();
    for (int i = 0; i < 3; ++i)
        Click({100 + 50 * i, 100}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Count(canvas->CurrentMacro->Outputs.get()), 3);
    EXPECT_TRUE(Act("SpeedLED")->isChecked());
    EXPECT_FALSE(canvas->SelectMode);

    // A cancelled dialog places nothing and keeps the button armed.
    DialogAnswer = false;
    Act("SpeedNumericDevice")->trigger();
    Click({300, 300});
    EXPECT_EQ(Count(canvas->CurrentMacro->Outputs.get()), 3);
    EXPECT_TRUE(Act("SpeedNumericDevice")->isChecked());

    // The dialogs' choices make the part.
    DialogAnswer = true;
    numberOut->RadioHexadecimal->setChecked(true);
    numberOut->LinesUpDown->setValue(3);
    Click({300, 300});
    auto* display = KindCast<TNumericDevice>(canvas->Handles->Selected());
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->LineCount, 8);
    EXPECT_EQ(display->Format, TNumericDevice::kHexadecimal | TNumericDevice::kSuppressZeros);
    EXPECT_TRUE(Act("SpeedPointer")->isChecked());
    EXPECT_TRUE(canvas->SelectMode);

    changeMemory->RadioROM->setChecked(true);
    changeMemory->AddressUpDown->setValue(10);
    changeMemory->DataUpDown->setValue(2);
    auto* memory = Place<TMemoryDevice>("SpeedMemoryDevice", {600, 300});
    EXPECT_FALSE(memory->IsRAM);
    EXPECT_EQ(memory->AddressBits, 10);
    EXPECT_EQ(memory->DataBits, 4);

    editText->CheckBoxBold->setChecked(true);
    auto* text = Place<TGraphicText>("SpeedAnnotation", {300, 600});
    EXPECT_EQ(text->Text, "Annotation");
    EXPECT_TRUE(text->IsBold());
}

TEST_F(EditingTest, RubberBandMoveRotateAndNudge) {
    auto* gate = Place<T2AndGate>("SpeedANDGate", {200, 200});
    auto* led = Place<TLEDDevice>("SpeedLED", {300, 200});
    Wire({PinAt(gate, 0), PinAt(led, 0)});
    Act("SpeedPointer")->trigger();

    // A band around both parts selects them and the wire between them as a group.
    Drag({120, 140}, {340, 260});
    ASSERT_TRUE(canvas->GroupSelected());
    EXPECT_EQ(canvas->Handles->Items->ChildCount(), 3);
    // Dragging the group moves all three by the snapped distance.
    const QPoint before = gate->RoundedCentre();
    Drag({200, 200}, {251, 229});
    EXPECT_EQ(gate->RoundedCentre() - before, QPoint(50, 30));
    EXPECT_EQ(led->Pin(0)->Wire->LastVertex(), PinAt(led, 0));

    // The knob of a single gate turns it in steps: straight down is a quarter turn clockwise.
    Click({600, 600});
    EXPECT_FALSE(canvas->HasSelection());
    Click(gate->RoundedCentre());
    ASSERT_TRUE(canvas->SingleObjectSelected());
    const QRect frame = canvas->Handles->geometry();
    const QPoint knob(frame.right() - 3, frame.top() + frame.height() / 2);
    Drag(knob, knob + QPoint(-frame.width() / 2 + 3, 80));
    const QPoint centre = gate->RoundedCentre();
    EXPECT_NEAR(PinAt(gate, 0).x(), centre.x(), 1);
    EXPECT_GT(PinAt(gate, 0).y(), centre.y()) << "the output now points down";
    EXPECT_EQ(led->Pin(0)->Wire->FirstVertex(), PinAt(gate, 0)) << "the wire follows the pin";

    // Arrow keys nudge the selection one pixel; each nudge is an edit of its own.
    Click(led->RoundedCentre());
    const QPoint ledAt = led->RoundedCentre();
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    EXPECT_EQ(led->RoundedCentre(), ledAt + QPoint(1, 1));
    EXPECT_EQ(canvas->UndoName(), "Move");
    form->MenuEditClick();
    EXPECT_EQ(Act("MenuUndo")->text(), "&Undo Move");
}

TEST_F(EditingTest, DeletingABranchJoinsTheJointsOtherWires) {
    auto* source = Place<TNotGate>("SpeedNOTGate", {100, 200});
    auto* sinkA = Place<T2OrGate>("SpeedORGate", {400, 200});
    auto* sinkB = Place<T2OrGate>("SpeedORGate", {400, 350});
    Wire({PinAt(source, 0), PinAt(sinkA, 1)});
    Wire({PinAt(sinkB, 1), Along(PinAt(source, 0), PinAt(sinkA, 1), 0.5)});
    ASSERT_EQ(Count(canvas->CurrentMacro->Wires.get()), 3);
    ASSERT_EQ(Count(canvas->CurrentMacro->Solders.get()), 1);

    Act("SpeedPointer")->trigger();
    TWire* branch = sinkB->Pin(1)->Wire;
    Click(Along(branch->FirstVertex(), branch->LastVertex(), 0.5));
    ASSERT_EQ(canvas->Handles->Selected(), branch);
    Key(Qt::Key_Delete);
    EXPECT_EQ(messages, QStringList({"Are you sure you want to delete this object?"}));
    EXPECT_EQ(Count(canvas->CurrentMacro->Solders.get()), 0);
    ASSERT_EQ(Count(canvas->CurrentMacro->Wires.get()), 1);
    auto* joined = static_cast<TWire*>(canvas->CurrentMacro->Wires->Child(0));
    EXPECT_EQ(source->Pin(0)->Wire, joined);
    EXPECT_EQ(sinkA->Pin(1)->Wire, joined);
    EXPECT_EQ(sinkB->Pin(1)->Wire, nullptr);
}

TEST_F(EditingTest, PastesOffsetAndCrossToAnotherEditor) {
    auto* gate = Place<T2AndGate>("SpeedANDGate", {200, 200});
    const QPoint at = gate->RoundedCentre();
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    TGraphicList* devices = canvas->CurrentMacro->Devices.get();
    ASSERT_EQ(Count(devices), 3);
    EXPECT_EQ(devices->Child(1)->RoundedCentre(), at + QPoint(20, 20));
    EXPECT_EQ(devices->Child(2)->RoundedCentre(), at + QPoint(40, 40));
    EXPECT_EQ(canvas->Handles->Selected(), devices->Child(2)) << "the pasted part is selected";

    // Another editor takes the copy from the system clipboard.
    TMainForm other;
    other.show();
    ASSERT_TRUE(other.CircuitCanvas->CanPaste());
    other.CircuitCanvas->PasteClipboard();
    ASSERT_EQ(other.CircuitCanvas->CurrentMacro->Devices->ChildCount(), 1);
    EXPECT_TRUE(IsA<T2AndGate>(other.CircuitCanvas->CurrentMacro->Devices->Child(0)));

    // Bytes that are not a circuit change nothing.
    auto* junk = new QMimeData;
    junk->setData(QString::fromLatin1(TDigitalDrawing::kClipboardMimeType), QByteArray("not a circuit"));
    QGuiApplication::clipboard()->setMimeData(junk);
    other.CircuitCanvas->PasteClipboard();
    EXPECT_EQ(other.CircuitCanvas->CurrentMacro->Devices->ChildCount(), 1);
    EXPECT_EQ(messages, QStringList({"Unable to copy object to clipboard."}));
}

TEST_F(EditingTest, AMacroLevelOpensInPlaceAndUndoStaysInIt) {
    {
        TTestCircuit inner;
        inner.Add<TNotGate>(100, 100);
        WriteCircuit(dir.filePath("inner.tvm"), inner.Root, QStringLiteral("Inner"));
    }
    ASSERT_TRUE(canvas->InsertFile(dir.filePath("inner.tvm"), 300, 300, true));
    SaveBytes("outer.tvm");
    EXPECT_FALSE(canvas->Modified);

    auto* part = KindCast<TMacro>(canvas->CurrentMacro->Devices->Child(0));
    ASSERT_NE(part, nullptr);
    QTest::mouseDClick(canvas->Handles, Qt::LeftButton, {},
                       canvas->Handles->mapFrom(canvas, QPoint(300, 300)));
    ASSERT_TRUE(canvas->MacroOpen());
    EXPECT_EQ(canvas->CurrentMacro, part);
    EXPECT_FALSE(part->Closed);
    EXPECT_TRUE(Act("SpeedCloseMacro")->isVisible());

    Place<TLEDDevice>("SpeedLED", {600, 600});
    EXPECT_TRUE(canvas->Modified);
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(canvas->MacroOpen()) << "undo keeps the level open";
    EXPECT_EQ(canvas->CurrentMacro->Outputs->ChildCount(), 0);
    EXPECT_EQ(canvas->CurrentMacro->Devices->ChildCount(), 1);
    EXPECT_FALSE(canvas->Modified) << "back at the state saved";
    EXPECT_EQ(canvas->RootMacro()->Devices->Child(0), canvas->CurrentMacro);

    // Closing the level while a wire is drawn from a joint abandons the wire and merges the joint.
    auto* led = Place<TLEDDevice>("SpeedLED", {600, 600});
    TDevice* inverter = static_cast<TDevice*>(canvas->CurrentMacro->Devices->Child(0));
    Wire({PinAt(inverter, 0), PinAt(led, 0)});
    Click(Along(PinAt(inverter, 0), PinAt(led, 0), 0.5));
    ASSERT_TRUE(canvas->Drawing);
    TMacro* level = canvas->CurrentMacro;
    Act("SpeedCloseMacro")->trigger();
    EXPECT_FALSE(canvas->MacroOpen());
    EXPECT_TRUE(KindCast<TMacro>(canvas->CurrentMacro->Devices->Child(0))->Closed);
    EXPECT_EQ(level->Solders->ChildCount(), 0);
    EXPECT_EQ(level->Wires->ChildCount(), 1);
    EXPECT_FALSE(Act("SpeedCloseMacro")->isVisible());
}

// Whatever the user does while the run timer steps, nothing is left pointing at a destroyed
// object (run under the sanitizers).
TEST_F(EditingTest, EditingWhileRunning) {
    auto* clock = Place<TClockDevice>("SpeedClock", {100, 100});
    auto* led = Place<TLEDDevice>("SpeedLED", {300, 100});
    Wire({PinAt(clock, 0), PinAt(led, 0)});
    Act("SpeedProbe")->trigger();
    Click(PinAt(led, 0));
    Act("SpeedRun")->trigger();
    form->RunCircuit();

    // Deleting the probed part mid-run, then undoing and redoing mid-run.
    Act("SpeedPointer")->trigger();
    Click(led->RoundedCentre());
    Key(Qt::Key_Delete);
    form->RunCircuit();
    Key(Qt::Key_Z, Qt::ControlModifier);
    form->RunCircuit();
    EXPECT_EQ(Count(canvas->CurrentMacro->Outputs.get()), 1);
    Key(Qt::Key_Y, Qt::ControlModifier);
    form->RunCircuit();
    EXPECT_EQ(Count(canvas->CurrentMacro->Outputs.get()), 0);

    // Escape in the middle of a drag, and a cut mid-run.
    const QPoint from(100, 100);
    Click(from);
    QWidget* target = Press(from);
    QTest::mouseMove(target, target->mapFrom(canvas, from + QPoint(30, 30)));
    Key(Qt::Key_Escape);
    form->RunCircuit();
    QTest::mouseRelease(target, Qt::LeftButton, {}, target->mapFrom(canvas, from + QPoint(30, 30)));
    Key(Qt::Key_X, Qt::ControlModifier);
    form->RunCircuit();
    EXPECT_TRUE(canvas->CurrentMacro->IsEmpty());
    Key(Qt::Key_Z, Qt::ControlModifier);
    form->RunCircuit();
    EXPECT_EQ(Count(canvas->CurrentMacro->Inputs.get()), 1);
    EXPECT_TRUE(Act("SpeedRun")->isChecked());
}

} // namespace
