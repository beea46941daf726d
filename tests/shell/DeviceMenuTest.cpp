#include "GuiFixture.h"
#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "devices/MemoryDevice.h"
#include "devices/OutputDevice.h"
#include "devices/Signals.h"
#include "devices/Vcd.h"
#include "devices/ui/AnalyserForm.h"
#include "devices/ui/EditContentsDialog.h"
#include "devices/ui/EditSequenceDialog.h"
#include "devices/ui/EditSwitchDialog.h"
#include "devices/ui/NumberOutDialog.h"
#include "model/CircuitFile.h"
#include "model/Gates.h"
#include "model/TagDevice.h"
#include "shell/DeviceMenu.h"
#include "shell/EditTextDialog.h"
#include "shell/RenameDialog.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <map>

namespace {

// The value of every signal of a dump at every time from 1 on, by signal name.
std::map<QString, QString> DumpTable(const QByteArray& dump, int times) {
    std::map<QString, QString> names; // identifier code -> name
    std::map<QString, QString> table;
    std::map<QString, QChar> value;
    int time = -1;
    auto flush = [&](int until) {
        for (int t = std::max(time, 1); t < until && t <= times; ++t)
            for (const auto& [code, name] : names)
                table[name] += value.count(code) ? value[code] : QLatin1Char('?');
    };
    for (const QByteArray& raw : dump.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(QLatin1String("$var "))) {
            const QStringList parts = line.split(QLatin1Char(' '));
            names[parts[3]] = parts[4];
        } else if (line.startsWith(QLatin1Char('#'))) {
            const int next = line.mid(1).toInt();
            flush(next);
            time = next;
        } else if (!line.isEmpty() && (line[0] == QLatin1Char('0') || line[0] == QLatin1Char('1'))) {
            value[line.mid(1)] = line[0];
        }
    }
    flush(times + 1);
    return table;
}

// The main window with every device window, driven through menus, mouse and keys.
class DeviceMenuTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        MakeForm();
        new TEditTextDialog(form.get());
        sequence = new TEditSequenceDialog(form.get());
        switches = new TEditSwitchDialog(form.get());
        history = new TAnalyserForm(form.get());
        new TNumberOutDialog(form.get());
        new TRenameDialog(form.get());
        contents = new TEditContentsDialog(form.get());
        ShowForm();
        menu = form->DeviceMenu;
    }

    // The captions the opened menu shows, separators as "-".
    static QStringList Shown(QMenu* shown) {
        QStringList captions;
        for (QAction* action : shown->actions())
            if (action->isVisible())
                captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return captions;
    }
    void Load(const QString& path) {
        ASSERT_TRUE(canvas->LoadFromFile(path));
        emit form->HistoryDevicesChanged();
    }
    // The first object of class T in a list of the shown level, with the given label if one is given.
    template <class T> T* Find(TGraphicList* list, const QString& label = {}) {
        for (int i = 0; i < list->ChildCount(); ++i) {
            auto* object = KindCast<T>(list->Child(i));
            if (!object)
                continue;
            if constexpr (std::is_base_of_v<TTextDevice, T>) {
                if (!label.isEmpty() && object->GetLabel() != label)
                    continue;
            }
            return object;
        }
        return nullptr;
    }
    template <class T> T* Output(const QString& label) {
        return Find<T>(canvas->CurrentMacro->Outputs.get(), label);
    }
    void Step(int count) {
        for (int i = 0; i < count; ++i)
            Act("SpeedStep")->trigger();
    }

    TDeviceMenu* menu = nullptr;
    TEditSequenceDialog* sequence = nullptr;
    TEditSwitchDialog* switches = nullptr;
    TAnalyserForm* history = nullptr;
    TEditContentsDialog* contents = nullptr;
};

TEST_F(DeviceMenuTest, ItemsFollowTheClassOfTheSelection) {
    TTestCircuit c(canvas->CurrentMacro);
    auto* nand = c.Add<T2NandGate>(200, 100);
    auto* inverter = c.Add<TNotGate>(200, 250);
    auto* led = c.Add<TLEDDevice>(400, 100);
    auto* tag = c.Add<TTagDevice>(400, 250);
    auto* andGate = c.Add<T2AndGate>(200, 400);
    auto* source = c.Add<TInteractiveInput>(80, 400);
    TWire* wire = c.Wire(source->Pin(0), andGate->Pin(1));
    led->Colour = 0xFFFFFF;
    canvas->SetModified(true);
    canvas->repaint();

    const QStringList common = {"&Cut", "C&opy", "&Paste", "-"};
    EXPECT_EQ(Shown(RightClick(nand)), common + QStringList({"&Inputs", "-", "&Delete"}));
    EXPECT_EQ(Shown(RightClick(inverter)), (QStringList{"&Cut", "C&opy", "&Paste", "-", "&Delete"}));
    EXPECT_EQ(Shown(RightClick(wire)), QStringList{"&Delete"});
    EXPECT_FALSE(RightClick(andGate) == nullptr || menu->PopGateInputs->menuAction()->isEnabled());
    EXPECT_EQ(Shown(RightClick(source)),
              common + QStringList({"&Text...", "Text &Style", "-", "Add to Logic &History", "Pulse &Input",
                                    "-", "&Delete"}));

    // A white LED: white is checked but only the numeric display offers it.
    EXPECT_EQ(Shown(RightClick(led)), common + QStringList({"C&hange Color", "&Text...", "-",
                                                            "Add to Logic &History", "-", "&Delete"}));
    menu->ColorLEDClick();
    EXPECT_TRUE(menu->PopWhite->isChecked());
    EXPECT_FALSE(menu->PopWhite->isVisible());
    EXPECT_FALSE(menu->PopCustom->isChecked());

    // A tag without a pin number opens the tag menu with its style disabled.
    EXPECT_EQ(RightClick(tag), menu->TagPopupMenu);
    EXPECT_FALSE(menu->TagTextStyle->menuAction()->isEnabled());
}

TEST_F(DeviceMenuTest, GateInputsReplaceTheGateAsOneUndoableEdit) {
    TTestCircuit c(canvas->CurrentMacro);
    c.Add<T2NandGate>(200, 100);
    canvas->SetModified(true);
    canvas->RecordEdit(QStringLiteral("Place"));
    auto gate = [this] { return KindCast<TGateDevice>(canvas->CurrentMacro->Devices->Child(0)); };
    const QPoint centre = gate()->RoundedCentre();

    RightClick(gate());
    menu->PopGateInputsClick();
    EXPECT_TRUE(menu->Pop2Inputs->isChecked());
    menu->Pop2Inputs->trigger(); // already so: nothing happens
    EXPECT_EQ(canvas->UndoName(), "Place");
    menu->Pop3Inputs->trigger();
    ASSERT_EQ(canvas->CurrentMacro->Devices->ChildCount(), 1);
    EXPECT_TRUE(IsA<T3NandGate>(gate()));
    EXPECT_EQ(gate()->RoundedCentre(), centre);
    EXPECT_EQ(canvas->UndoName(), "Inputs");

    RightClick(gate());
    menu->Pop2Inputs->trigger();
    EXPECT_TRUE(IsA<T2NandGate>(gate()));
    Act("MenuUndo")->trigger();
    EXPECT_TRUE(IsA<T3NandGate>(gate())) << "one step undoes one replacement";
}

TEST_F(DeviceMenuTest, DialogItemsChangeTheDeviceAndCanBeUndone) {
    TTestCircuit c(canvas->CurrentMacro);
    auto* generator = c.Add<TBitGenerator>(100, 100);
    auto* toggle = c.Add<TInteractiveSwitch>(300, 100);
    auto* display = c.Add<TNumericDevice>(500, 100);
    toggle->IsClosed = true;
    canvas->SetModified(true);
    canvas->RecordEdit(QStringLiteral("Place"));

    // The sequence editor, typed into through its radio button.
    RightClick(generator);
    Dialog = [this](QDialog*) {
        sequence->RadioHexClick();
        QTest::keyClicks(sequence->ActiveRadio, "a5");
        sequence->ButtonOkClick();
        return true;
    };
    menu->PopEditSequence->trigger();
    EXPECT_EQ(generator->Sequence, "10100101");
    EXPECT_EQ(canvas->UndoName(), "Edit Sequence");
    EXPECT_TRUE(canvas->Modified);

    // A new label is an edit of the circuit like any other.
    canvas->SaveToFile(dir.filePath("saved.tvm"));
    RightClick(generator);
    Dialog = [](QDialog*) {
        TRenameDialog::Instance()->EditRename->setText(QStringLiteral("pattern"));
        return true;
    };
    menu->PopName->trigger();
    EXPECT_EQ(generator->GetLabel(), "pattern");
    EXPECT_EQ(canvas->UndoName(), "Text");
    EXPECT_TRUE(canvas->Modified);

    // Accepting the switch type, even unchanged, puts the switch at rest.
    RightClick(toggle);
    Dialog = [](QDialog*) { return true; };
    menu->PopSetSwitchType->trigger();
    EXPECT_FALSE(toggle->IsClosed);
    RightClick(toggle);
    Dialog = [this](QDialog*) {
        switches->RadioPushToBreak->click();
        return true;
    };
    menu->PopSetSwitchType->trigger();
    EXPECT_EQ(toggle->SwitchType, TInteractiveSwitch::kPushToBreak);
    EXPECT_TRUE(toggle->IsClosed);

    // Properties moves the pins by 25 units and keeps their order.
    RightClick(display);
    const float pinY = display->Pin(0)->GetBounds().Top;
    Dialog = [](QDialog*) {
        TNumberOutDialog::Instance()->CheckPinsAtBottom->setChecked(true);
        TNumberOutDialog::Instance()->RadioHexadecimal->setChecked(true);
        return true;
    };
    menu->PopProperties->trigger();
    EXPECT_FALSE(TNumberOutDialog::Instance()->GroupSize->isVisibleTo(TNumberOutDialog::Instance()));
    EXPECT_EQ(display->Pin(0)->GetBounds().Top, pinY + 25);
    EXPECT_EQ(display->Format, TNumericDevice::kHexadecimal | TNumericDevice::kSuppressZeros);

    // Undo walks back through the three kinds of edit.
    for (int i = 0; i < 5; ++i)
        Act("MenuUndo")->trigger();
    TMacro* root = canvas->CurrentMacro;
    EXPECT_EQ(Find<TBitGenerator>(root->Inputs.get())->Sequence, "");
    EXPECT_EQ(Find<TBitGenerator>(root->Inputs.get())->GetLabel(), "sequence");
    EXPECT_TRUE(Find<TInteractiveSwitch>(root->Devices.get())->IsClosed);
    EXPECT_FALSE(Find<TNumericDevice>(root->Outputs.get())->PinsAtBottom);
}

// The counter example as a new user meets it: the clock and two bits go to the logic history, the
// circuit is stepped, the traces are checked against the levels, a column is clicked, and the traces
// are exported and read back.
TEST_F(DeviceMenuTest, LogicHistoryTracesACounterAndExportsIt) {
    Load(testsupport::ExamplePath("counter.tvm"));
    auto* clock = Find<TClockDevice>(canvas->CurrentMacro->Inputs.get());
    for (TGraphicObject* device :
         std::vector<TGraphicObject*>{clock, Output<TLEDDevice>("Q0"), Output<TLEDDevice>("Q1")}) {
        RightClick(device);
        EXPECT_FALSE(menu->PopHistory->isChecked());
        menu->PopHistory->trigger();
    }
    EXPECT_EQ(history->Traces.size(), 3u) << "added at once";
    EXPECT_FALSE(canvas->Modified);
    RightClick(clock);
    EXPECT_TRUE(menu->PopHistory->isChecked()) << "the next opening shows the mark";

    Act("ToolsLogicHistory")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(history));
    EXPECT_EQ(history->StatusPanel->text(), "");
    Step(1);
    EXPECT_EQ(history->StatusPanel->text(), "") << "after the first step";
    Step(1);
    EXPECT_EQ(history->StatusPanel->text(), "Cycle 1 completed");
    Step(6);
    EXPECT_EQ(clock->History, "01010101");
    EXPECT_EQ(Output<TLEDDevice>("Q0")->History, "01100110");
    EXPECT_EQ(Output<TLEDDevice>("Q1")->History, "00011110");

    // The picture: each trace high or low in its row, at the column of each step.
    const QImage picture = history->TracesBox->widget()->grab().toImage();
    for (int row = 0; row < 3; ++row)
        for (int k = 1; k <= 8; ++k) {
            const bool high = history->Traces[static_cast<size_t>(row)]->History[k - 1] == QLatin1Char('1');
            const int x = history->LeftMargin + 8 * k + 4;
            const int y = history->TopMargin + 16 * row;
            EXPECT_NE(picture.pixel(x, high ? y : y + 8), picture.pixel(x, high ? y + 8 : y))
                << "row " << row << " step " << k;
        }

    // The time cursor names the step and every level at it.
    QTest::mouseClick(history->TracesBox->widget(), Qt::LeftButton, {},
                      QPoint(history->LeftMargin + 8 * 4 + 3, 10));
    EXPECT_EQ(history->CursorPanel->text(), "Step 4: Clock 1, Q0 0, Q1 1");

    // The dump holds what the runner's dump of the same steps holds.
    FileAnswer = dir.filePath("trace.vcd");
    history->MenuExportVcd->trigger();
    QFile exported(FileAnswer);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const std::map<QString, QString> ours = DumpTable(exported.readAll(), 8);
    TCircuit circuit = ReadCircuit(testsupport::ExamplePath("counter.tvm"));
    PrepareRoot(*circuit.Root);
    const std::vector<TSignal> signalList = HistorySignals(*circuit.Root);
    QBuffer runner;
    runner.open(QIODevice::WriteOnly);
    {
        TVcdWriter writer(runner, signalList, QStringLiteral("counter"));
        writer.Sample(0);
        for (int step = 1; step <= 8; ++step) {
            TCalcResult result;
            circuit.Root->ClearDrivers();
            circuit.Root->Calculate(result);
            writer.Sample(step);
        }
        writer.Finish(9);
    }
    const std::map<QString, QString> theirs = DumpTable(runner.data(), 8);
    ASSERT_EQ(ours.size(), 3u);
    for (const auto& [name, levels] : ours) {
        EXPECT_EQ(levels.size(), 8);
        EXPECT_EQ(levels, theirs.at(name)) << name.toStdString();
    }

    // The pictures, read back: the PNG is what the window shows; the SVG names every trace.
    FileAnswer = dir.filePath("trace.png");
    history->MenuExportPicture->trigger();
    EXPECT_EQ(QImage(FileAnswer), history->Picture());
    FileAnswer = dir.filePath("trace.svg");
    history->MenuExportPicture->trigger();
    QFile svg(FileAnswer);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    QStringList texts;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts << xml.readElementText().trimmed();
    EXPECT_FALSE(xml.hasError());
    EXPECT_EQ(texts, QStringList({"Clock", "Q0", "Q1"}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

// Steps paint only the columns they add, and the picture stops at twice the cycle range.
TEST_F(DeviceMenuTest, LogicHistoryPaintsOnlyNewColumnsWithinTheRange) {
    Load(testsupport::ExamplePath("counter.tvm"));
    Find<TClockDevice>(canvas->CurrentMacro->Inputs.get())->InHistory = true;
    emit form->HistoryDevicesChanged();
    history->UpDownRange->setValue(2); // 4 cycles
    Act("ToolsLogicHistory")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(history));
    Step(2);
    QCoreApplication::processEvents();

    struct TPaintSpy : QObject {
        QRegion Painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                Painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } spy;
    QWidget* box = history->TracesBox->widget();
    box->installEventFilter(&spy);
    Step(1);
    QCoreApplication::processEvents();
    const int column = history->LeftMargin + 8 * 3;
    EXPECT_FALSE(spy.Painted.isEmpty());
    EXPECT_GE(spy.Painted.boundingRect().left(), column - 9);
    EXPECT_LE(spy.Painted.boundingRect().right(), column + 10);

    Step(17);
    EXPECT_EQ(history->ShownSamples(), 8);
    EXPECT_EQ(history->StatusPanel->text(), "Cycle 4 completed");
    box->removeEventFilter(&spy);
}

TEST_F(DeviceMenuTest, MemoryContentsFollowTheCounterAndEditTheRom) {
    Load(testsupport::ExamplePath("counter.tvm"));
    auto* rom = Find<TMemoryDevice>(canvas->CurrentMacro->Devices.get());
    auto* display = Find<TLEDSegmentDevice>(canvas->CurrentMacro->Outputs.get());
    // A double click on the memory opens its contents, as its menu item does.
    RightClick(rom);
    const QPoint at = canvas->Handles->mapFrom(canvas, rom->RoundedCentre());
    QTest::mouseDClick(canvas->Handles, Qt::LeftButton, {}, at);
    QTest::mouseRelease(canvas->Handles, Qt::LeftButton, {}, at);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(contents));
    EXPECT_EQ(contents->Memory, rom);

    QSet<int> rows;
    for (int i = 0; i < 8; ++i) {
        Step(1);
        EXPECT_EQ(contents->CurrentRow(), rom->LastAddress + 1);
        rows << contents->CurrentRow();
    }
    EXPECT_EQ(rows.size(), 5) << "the count moves on every second step";

    // Change the word of the address shown now, through the grid's editor.
    const int address = rom->LastAddress;
    QTableView* grid = contents->Grid;
    const QRect cell = grid->visualRect(grid->model()->index(address, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QWidget* editor = grid->viewport()->findChild<QWidget*>(QStringLiteral("WordEditor"));
    ASSERT_NE(editor, nullptr);
    for (int i = 0; i < 16; ++i)
        QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, contents->HexMode() ? "00" : "00000000");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(rom->GetWord(address), 0u);
    EXPECT_EQ(canvas->UndoName(), "Edit Memory");
    // The display goes dark whenever the count comes back to that address.
    bool seen = false;
    for (int i = 0; i < 40 && !seen; ++i) {
        Step(1);
        seen = rom->LastAddress == address;
    }
    ASSERT_TRUE(seen);
    for (bool lit : display->Segments)
        EXPECT_FALSE(lit);

    // A map file of the wrong kind, and one that breaks off, change nothing.
    const std::vector<uint16_t> words = rom->Words;
    for (const QByteArray& bad : {testsupport::Bytes({0xCD, 0xAB, 0x01, 0x00, 1, 0, 0, 0, 7, 0, 0, 0}),
                                  testsupport::Bytes({0xCD, 0xAB, 0, 0, 4, 0, 0, 0, 7, 0, 0, 0, 9})}) {
        FileAnswer = dir.filePath("bad.map");
        testsupport::WriteFile(FileAnswer, bad);
        messages.clear();
        contents->MenuOpen->trigger();
        EXPECT_EQ(messages.size(), 1);
        EXPECT_EQ(rom->Words, words);
    }
    EXPECT_EQ(messages.value(0), "Read beyond end of file");
}

// No window keeps a device that a delete, a cut, an undo or a load destroyed.
TEST_F(DeviceMenuTest, WindowsLetGoOfDestroyedDevices) {
    Load(testsupport::ExamplePath("counter.tvm"));
    auto rom = [this] { return Find<TMemoryDevice>(canvas->CurrentMacro->Devices.get()); };
    for (const char* bit : {"Q0", "Q1", "Q2", "Q3"}) {
        RightClick(Output<TLEDDevice>(QString::fromLatin1(bit)));
        menu->PopHistory->trigger();
    }
    Act("ToolsLogicHistory")->trigger();
    ASSERT_EQ(history->Traces.size(), 4u);

    auto showRom = [&] {
        RightClick(rom());
        menu->PopEditMemory->trigger();
        ASSERT_EQ(contents->Memory, rom());
    };
    showRom();
    RightClick(rom());
    menu->PopDelete->trigger();
    EXPECT_EQ(contents->Memory, nullptr);
    EXPECT_FALSE(contents->isVisible());

    Act("MenuUndo")->trigger();
    QCoreApplication::processEvents();
    showRom();
    RightClick(Output<TLEDDevice>("Q0"));
    menu->PopCut->trigger();
    EXPECT_EQ(history->Traces.size(), 3u);
    Step(2);

    Act("MenuUndo")->trigger();
    EXPECT_EQ(contents->Memory, nullptr);
    EXPECT_TRUE(history->Traces.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(history->Traces.size(), 4u) << "refilled from the circuit undo brought back";
    Step(2);
    EXPECT_EQ(history->Traces.front()->History.size(), 2);

    showRom();
    Load(testsupport::ExamplePath("adder.tvm"));
    EXPECT_EQ(contents->Memory, nullptr);
    QCoreApplication::processEvents();
    for (THistoryDevice* device : history->Traces)
        EXPECT_GE(canvas->CurrentMacro->Outputs->Children->IndexOf(device), 0) << "of the new circuit";
    Step(2);
    history->DrawTraces();
}

} // namespace
