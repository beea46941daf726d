#include "GuiFixture.h"
#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/InputDevice.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Each test starts without stored settings; message boxes are answered with Answer and recorded.
class MainFormTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        Answer = QMessageBox::Ok;
    }

    static void Store(const QString& group, std::initializer_list<std::pair<const char*, QVariant>> values) {
        QSettings settings;
        settings.beginGroup(group);
        for (const auto& [name, value] : values)
            settings.setValue(QString::fromLatin1(name), value);
    }
    static QVariant Stored(const QString& group, const QString& name) {
        QSettings settings;
        settings.beginGroup(group);
        return settings.value(name);
    }
};

TEST_F(MainFormTest, FirstStartUsesTheDefaults) {
    TMainForm window;
    window.show();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(window.pos(), QPoint(screen.width() / 8, screen.height() / 8));
    EXPECT_EQ(window.size(), QSize(screen.width() / 8 * 6, screen.height() / 8 * 6));
    EXPECT_FALSE(window.isMaximized());

    const TGrid& grid = window.CircuitCanvas->Grid;
    EXPECT_TRUE(grid.ShowGrid);
    EXPECT_TRUE(grid.Snap);
    EXPECT_EQ(grid.SnapSize, 5);
    EXPECT_EQ(grid.DisplaySize, 4);
    EXPECT_EQ(grid.AngleStep, 10);
    EXPECT_EQ(window.Clock->interval(), 100);
    EXPECT_FALSE(window.Clock->isActive());
    EXPECT_FALSE(window.PartsCentre.Visible);
    EXPECT_FALSE(window.PartsCentre.StatusVisible);
    EXPECT_EQ(QPoint(window.PartsCentre.Left, window.PartsCentre.Top), QPoint(32, 32));
    EXPECT_FALSE(window.LogicHistory.Visible);
    EXPECT_EQ(QRect(window.LogicHistory.Left, window.LogicHistory.Top, window.LogicHistory.Width,
                    window.LogicHistory.Height),
              QRect(16, 16, 500, 186));
    EXPECT_TRUE(window.FileHistory.isEmpty());
    EXPECT_TRUE(window.DatasheetPath.isEmpty());
    EXPECT_EQ(window.windowTitle(), "Tessivar - Untitled");
    EXPECT_TRUE(Action(&window, "SpeedPointer")->isChecked());
    EXPECT_TRUE(window.CircuitCanvas->SelectMode);
    EXPECT_TRUE(window.HalfCycleStep);
}

TEST_F(MainFormTest, StoredValuesOutOfRangeAreRepaired) {
    Store("View", {{"Show Grid", 0}, {"Snap", 1}, {"Snap Size", 3}, {"Display Size", 9}, {"Angle", 100}});
    Store("Clock", {{"Interval", 150}});
    Store("Folders", {{"Datasheet Path", "/data/sheets"}});
    TMainForm window;
    window.show();
    const TGrid& grid = window.CircuitCanvas->Grid;
    EXPECT_FALSE(grid.ShowGrid);
    EXPECT_FALSE(Action(&window, "MenuShowGrid")->isChecked());
    EXPECT_TRUE(grid.Snap);
    EXPECT_EQ(grid.SnapSize, 5);
    EXPECT_EQ(grid.DisplaySize, 2) << "repaired, not the missing-value default";
    EXPECT_EQ(grid.AngleStep, 10);
    EXPECT_EQ(window.Clock->interval(), 100);
    EXPECT_EQ(window.DatasheetPath, "/data/sheets");
}

TEST_F(MainFormTest, AGroupWithAMissingValueFallsBackWhole) {
    Store("View", {{"Show Grid", 0}, {"Snap", 0}, {"Snap Size", 20}});
    Store("Clock", {{"Interval", 10}});
    TMainForm window;
    window.show();
    const TGrid& grid = window.CircuitCanvas->Grid;
    EXPECT_TRUE(grid.ShowGrid);
    EXPECT_TRUE(grid.Snap);
    EXPECT_EQ(grid.SnapSize, 5);
    EXPECT_EQ(grid.DisplaySize, 4);
    EXPECT_EQ(window.Clock->interval(), 10);
}

TEST_F(MainFormTest, PlacementIsRestoredAndStored) {
    Store("Window", {{"Maximized", 0}, {"Top", 40}, {"Left", 30}, {"Width", 500}, {"Height", 350}});
    Store("Logic History", {{"Width", 600}, {"Height", 200}, {"Top", 5}, {"Left", 6}, {"Visible", 1}});
    {
        TMainForm window;
        window.show();
        EXPECT_EQ(window.pos(), QPoint(30, 40));
        EXPECT_EQ(window.size(), QSize(500, 350));
        EXPECT_TRUE(window.LogicHistory.Visible);
        window.move(60, 70);
        EXPECT_TRUE(window.close());
    }
    EXPECT_EQ(Stored("Window", "Left").toInt(), 60);
    EXPECT_EQ(Stored("Window", "Top").toInt(), 70);
    EXPECT_EQ(Stored("Window", "Width").toInt(), 500);
    EXPECT_EQ(Stored("Window", "Maximized").toInt(), 0);
    EXPECT_EQ(Stored("Logic History", "Width").toInt(), 600);
    EXPECT_EQ(Stored("Logic History", "Visible").toInt(), 1);
    EXPECT_EQ(Stored("View", "Snap Size").toInt(), 5);
    EXPECT_EQ(Stored("Clock", "Interval").toInt(), 100);
}

TEST_F(MainFormTest, MaximizedStartKeepsTheNormalPlacementStored) {
    Store("Window", {{"Maximized", 1}, {"Top", 40}, {"Left", 30}, {"Width", 500}, {"Height", 350}});
    {
        TMainForm window;
        window.show();
        EXPECT_TRUE(window.isMaximized());
        EXPECT_TRUE(window.close());
    }
    EXPECT_EQ(Stored("Window", "Maximized").toInt(), 1);
    EXPECT_EQ(Stored("Window", "Top").toInt(), 40);
    EXPECT_EQ(Stored("Window", "Width").toInt(), 500);
}

TEST_F(MainFormTest, FileHistorySkipsGapsAndLeavesOldValues) {
    Store("File History", {{"1", "a.tvm"}, {"3", "b.tvm"}});
    {
        TMainForm window;
        window.show();
        EXPECT_EQ(window.FileHistory, QStringList({"a.tvm", "b.tvm"}));
        EXPECT_TRUE(window.close());
    }
    EXPECT_EQ(Stored("File History", "1").toString(), "a.tvm");
    EXPECT_EQ(Stored("File History", "2").toString(), "b.tvm");
    EXPECT_EQ(Stored("File History", "3").toString(), "b.tvm") << "left from the earlier run";
}

TEST_F(MainFormTest, HistoryKeepsFiveNewestWithoutDuplicates) {
    TMainForm window;
    for (const char* name : {"1.tvm", "2.tvm", "3.tvm", "4.tvm", "5.tvm", "6.tvm"})
        window.AddToHistory(QString::fromLatin1(name));
    EXPECT_EQ(window.FileHistory, QStringList({"6.tvm", "5.tvm", "4.tvm", "3.tvm", "2.tvm"}));
    window.AddToHistory(QStringLiteral("4.TVM"));
    EXPECT_EQ(window.FileHistory, QStringList({"4.TVM", "6.tvm", "5.tvm", "3.tvm", "2.tvm"}));
}

TEST_F(MainFormTest, TitleIsTheFileNameBeforeItsFirstFullStop) {
    EXPECT_EQ(TMainForm::TitleFromFileName("adder"), "adder");
    EXPECT_EQ(TMainForm::TitleFromFileName("/home/me/counter.v2.tvm"), "counter");
    EXPECT_EQ(TMainForm::TitleFromFileName("/home/me.d/adder.tvm"), "adder");
}

TEST_F(MainFormTest, CommandLineArgumentsJoinIntoOnePath) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("My Circuits"));
    const QString path = dir.filePath("My Circuits/adder.TVM");
    TTestCircuit circuit;
    circuit.Add<T2AndGate>(50, 50);
    WriteCircuit(path, circuit.Root, QStringLiteral("Adder"));

    TMainForm window;
    window.SetCommandLine({dir.filePath("My"), QStringLiteral("Circuits/adder.TVM")});
    window.show();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(window.CircuitCanvas->FileName, path);
    EXPECT_EQ(window.CircuitCanvas->CurrentMacro->Devices->ChildCount(), 1);
    EXPECT_EQ(window.windowTitle(), "Tessivar - adder");
    EXPECT_TRUE(window.FileHistory.isEmpty()) << "a file opened from the command line is not remembered";
    EXPECT_EQ(window.HomeFolder, QCoreApplication::applicationDirPath());
}

TEST_F(MainFormTest, CommandLineIgnoresOtherFilesSilently) {
    TMainForm window;
    window.SetCommandLine({dir.filePath("notes.txt")});
    window.show();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(window.windowTitle(), "Tessivar - Untitled");
}

TEST_F(MainFormTest, CloseQuestionDecidesWhetherToSaveAndStore) {
    TMainForm window;
    window.show();
    window.CircuitCanvas->Modified = true;

    Answer = QMessageBox::Cancel;
    EXPECT_FALSE(window.close());
    EXPECT_EQ(messages, QStringList({"Circuit has changed, save current circuit?"}));
    EXPECT_FALSE(QSettings().childGroups().contains("Window")) << "nothing stored";

    // Yes saves through the save dialog (the circuit has no file), then closes.
    Answer = QMessageBox::Yes;
    FileAnswer = dir.filePath("Macro.tvm");
    EXPECT_TRUE(window.close());
    EXPECT_EQ(FileTitles(), QStringList({"Save Circuit"}));
    EXPECT_TRUE(QFileInfo::exists(FileAnswer));
    EXPECT_FALSE(window.CircuitCanvas->Modified);
    EXPECT_TRUE(QSettings().childGroups().contains("Window"));
}

// A save that fails on a full disk says why, keeps the old file and the changes, and a close whose
// save fails leaves the window open.
TEST_F(MainFormTest, AFailedSaveKeepsTheFileTheCircuitAndTheWindow) {
    TMainForm window;
    window.show();
    const QString path = dir.filePath("kept.tvm");
    window.CircuitCanvas->SaveToFile(path);
    const QByteArray before = testsupport::ReadFile(path);
    TTestCircuit(window.CircuitCanvas->CurrentMacro).Add<T2AndGate>(100, 100);
    window.CircuitCanvas->SetModified(true);
    {
        testsupport::TFileSizeLimit limit(static_cast<rlim_t>(before.size()));
        Action(&window, "SpeedSave")->trigger();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(path) && messages[0].contains("File too large"))
            << messages[0].toStdString();
        Answer = QMessageBox::Yes;
        EXPECT_FALSE(window.close());
        EXPECT_TRUE(window.isVisible());
    }
    EXPECT_TRUE(window.CircuitCanvas->Modified);
    EXPECT_EQ(testsupport::ReadFile(path), before);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(ReadCircuit(path).Root->Devices->Children->Count(), 1);
}

// ---------------------------------------------------------------------------------------------------
// Run control

class RunControlTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        QObject::connect(&MakeForm(), &TMainForm::CircuitStepped, [this] { ++steps; });
        run = Act("SpeedRun");
        pause = Act("SpeedPause");
    }

    // An inverter driving a wire high; returns the wire.
    TWire* AddHighWire() {
        TTestCircuit circuit(canvas->CurrentMacro);
        auto* high = circuit.Add<TNotGate>(50, 50);
        auto* sink = circuit.Add<T2OrGate>(200, 50);
        TWire* wire = circuit.Wire(high->Pin(0), sink->Pin(1));
        canvas->ResetCircuit();
        return wire;
    }

    QAction* run;
    QAction* pause;
    int steps = 0;
};

TEST_F(RunControlTest, RunPauseStopAndRunAgain) {
    TWire* wire = AddHighWire();
    form->RunCircuit();
    EXPECT_EQ(steps, 0) << "stopped: a tick does nothing";

    run->trigger();
    EXPECT_TRUE(run->isChecked());
    EXPECT_TRUE(form->Clock->isActive());
    form->RunCircuit();
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(wire->Level, 1);

    pause->trigger();
    form->RunCircuit();
    EXPECT_EQ(steps, 1) << "paused: no step and no count";
    pause->trigger();
    form->RunCircuit();
    EXPECT_EQ(steps, 2);

    Act("SpeedStop")->trigger();
    EXPECT_FALSE(run->isChecked());
    EXPECT_TRUE(form->Clock->isActive()) << "Stop leaves the timer running";
    EXPECT_EQ(wire->Level, 1) << "and the levels as they are";
    form->RunCircuit();
    EXPECT_EQ(steps, 2);

    run->trigger();
    run->trigger();
    EXPECT_FALSE(form->Clock->isActive()) << "releasing Run stops the timer";
}

// What is drawn after Run is released is the reset circuit, not the levels of the last tick.
TEST_F(RunControlTest, ReleasingRunShowsTheResetLevels) {
    form->show();
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* clock = circuit.Add<TClockDevice>(50, 50);
    auto* led = circuit.Add<TLEDDevice>(250, 50);
    TWire* wire = circuit.Wire(clock->Pin(0), led->Pin(0));
    const QPoint middle = (wire->GetVertex(0) + wire->GetVertex(1)) / 2;
    auto shown = [&] { return canvas->grab(QRect(middle, QSize(1, 1))).toImage().pixel(0, 0); };
    run->trigger();
    form->RunCircuit();
    form->RunCircuit();
    ASSERT_EQ(wire->Level, 1);
    EXPECT_EQ(shown(), qRgb(0, 0, 0)) << "high: black";
    run->trigger();
    ASSERT_EQ(wire->Level, 0);
    EXPECT_EQ(shown(), qRgb(192, 192, 192)) << "low: light grey";
}

TEST_F(RunControlTest, MenuRunAlwaysStartsAndPauseMenuOnlyToggles) {
    bool mirroredPause = false;
    QObject::connect(form.get(), &TMainForm::PauseButtonChanged, [&](bool down) { mirroredPause = down; });
    Act("MenuRun")->trigger();
    EXPECT_TRUE(run->isChecked());
    Act("MenuRun")->trigger();
    EXPECT_TRUE(run->isChecked());
    EXPECT_TRUE(form->Clock->isActive());

    Act("MenuPause")->trigger();
    EXPECT_TRUE(pause->isChecked());
    EXPECT_FALSE(mirroredPause) << "the menu item does not move the mirrored button";
    pause->trigger();
    EXPECT_FALSE(pause->isChecked());
    EXPECT_FALSE(mirroredPause);
    EXPECT_EQ(Act("MenuRun")->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(Act("MenuStep")->shortcut(), QKeySequence(Qt::Key_F12));
}

TEST_F(RunControlTest, ContentionHaltsTheRunWithItsCallout) {
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* enable = circuit.Add<TNotGate>(100, 100);
    auto* low = circuit.Add<T2AndGate>(100, 200);
    auto* a = circuit.Add<TTriState>(200, 100);
    auto* b = circuit.Add<TTriState>(200, 200);
    circuit.Joint({enable->Pin(0), a->Pin(2), b->Pin(2)});
    circuit.Wire(enable->Pin(0), a->Pin(0));
    circuit.Wire(low->Pin(0), b->Pin(0));
    circuit.Wire(a->Pin(1), b->Pin(1));
    canvas->ResetCircuit();

    run->trigger();
    form->RunCircuit();
    EXPECT_EQ(steps, 1);
    EXPECT_FALSE(run->isChecked());
    EXPECT_TRUE(form->Clock->isActive());
    const TMessageBox& callout = *canvas->Callout;
    EXPECT_TRUE(callout.Visible);
    EXPECT_EQ(callout.Lines.join('\n'), "Bus contention, process halted");

    form->RunCircuit();
    EXPECT_EQ(steps, 1) << "the halted run's ticks do nothing";
    run->trigger();
    EXPECT_FALSE(callout.Visible) << "starting again clears the message";
    form->RunCircuit();
    EXPECT_EQ(steps, 2);
}

TEST_F(RunControlTest, HalfCycleStepMovesAClockAndAFullCycleDoesNot) {
    TTestCircuit circuit(canvas->CurrentMacro);
    auto* clock = circuit.Add<TClockDevice>(50, 50);
    auto* led = circuit.Add<TLEDDevice>(150, 50);
    circuit.Wire(clock->Pin(0), led->Pin(0));
    canvas->ResetCircuit();

    QAction* step = Act("SpeedStep");
    step->trigger();
    const int32_t afterHalf = clock->Pin(0)->Level;
    step->trigger();
    EXPECT_NE(clock->Pin(0)->Level, afterHalf);
    Act("PopFullCycle")->trigger();
    const int32_t beforeFull = clock->Pin(0)->Level;
    step->trigger();
    EXPECT_EQ(clock->Pin(0)->Level, beforeFull);
    EXPECT_EQ(steps, 3);

    // Stop keeps the state; starting again returns to power-on.
    run->trigger();
    form->RunCircuit();
    form->RunCircuit();
    form->RunCircuit();
    Act("SpeedStop")->trigger();
    EXPECT_NE(clock->Position, 1);
    run->trigger();
    EXPECT_EQ(clock->Position, 1);
    EXPECT_FALSE(clock->Phase);
}

TEST_F(RunControlTest, StepWorksWhileStoppedAndCountsOnce) {
    TWire* wire = AddHighWire();
    Act("SpeedStep")->trigger();
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(wire->Level, 1);

    Act("PopFullCycle")->trigger();
    EXPECT_FALSE(form->HalfCycleStep);
    form->PopupStepPopup();
    EXPECT_TRUE(Act("PopFullCycle")->isChecked());
    EXPECT_FALSE(Act("PopHalfCycle")->isChecked());
    Act("MenuStep")->trigger();
    EXPECT_EQ(steps, 2) << "a full cycle is two steps but one sample";
}

TEST_F(RunControlTest, ClockSpeedMenuChecksTheCurrentInterval) {
    form->Clock->setInterval(10);
    form->MenuClockSpeedClick();
    for (const char* name : {"HertzOne", "HertzTwo", "HertzFive", "HertzTen", "HertzHundred"})
        EXPECT_FALSE(Act(name)->isChecked()) << name;
    EXPECT_TRUE(Act("HertzFifty")->isChecked());

    run->trigger();
    Act("HertzOne")->trigger();
    EXPECT_EQ(form->Clock->interval(), 500);
    EXPECT_TRUE(form->Clock->isActive()) << "a running timer keeps running";
}

} // namespace
