#include "GuiFixture.h"
#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/Interactive.h"
#include "devices/OutputDevice.h"
#include "drawing/GraphicText.h"
#include "model/CircuitFile.h"
#include "model/Gates.h"
#include "model/TagDevice.h"
#include "shell/EditTextDialog.h"
#include "template_editor/TemplateForm.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

// The main window with the template editor, both driven through mouse and key events. The editor
// is modal: opening it runs Session while it is shown, as the user would between opening and
// closing it.
class TemplateEditorTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        Dialog = [this](QDialog* dialog) {
            if (dialog == editor)
                RunShown(editor, [&] {
                    if (Session)
                        Session();
                    Act("MenuClose")->trigger();
                });
            return true;
        };
        MakeForm();
        editText = new TEditTextDialog(form.get());
        editor = new TTemplateForm(form.get());
        ShowForm();
        drawing = editor->EditCanvas;
    }

    // The editor's action of that name, else the main window's.
    QAction* Act(const char* name) {
        auto* action = editor->findChild<QAction*>(QString::fromLatin1(name));
        return action ? action : TGuiTest::Act(name);
    }
    void ClickEditor(QPoint p, Qt::KeyboardModifiers keys = {}) { Click(drawing, p, Qt::LeftButton, keys); }
    // Opens the editor on the main circuit with the given object selected there.
    void EditTemplate(TGraphicObject* selected, std::function<void()> session) {
        canvas->Handles->SelectObject(selected);
        bool ran = false;
        Session = [&] {
            ran = true;
            session();
        };
        form->MenuToolsClick(); // the Tools menu opens
        TGuiTest::Act("ToolsTemplateEditor")->trigger();
        Session = nullptr;
        EXPECT_TRUE(ran) << "the editor was shown";
    }
    TMacro* Root() const { return canvas->CurrentMacro; }
    TMacroPin* OutlinePin(int index) const { return KindCast<TMacroPin>(Root()->Pin(index)); }

    TEditTextDialog* editText = nullptr;
    TTemplateForm* editor = nullptr;
    TDigitalDrawing* drawing = nullptr;
    std::function<void()> Session;
};

// An inverter circuit gets its outline entirely through the editor's mouse tools, is saved, placed
// as a part in a new circuit, and inverts the level on its outline pins when the circuit runs.
TEST_F(TemplateEditorTest, OutlineDrawnWithTheMouseMakesAWorkingPart) {
    auto* in = Place<TTagDevice>("SpeedTag", {100, 200});
    auto* gate = Place<TNotGate>("SpeedNOTGate", {200, 200});
    auto* out = Place<TTagDevice>("SpeedTag", {300, 200});
    ASSERT_TRUE(in && gate && out);
    Wire({in->GetPin()->RoundedCentre(), gate->Pin(1)->RoundedCentre()});
    Wire({gate->Pin(0)->RoundedCentre(), out->GetPin()->RoundedCentre()});
    TGuiTest::Act("SpeedPointer")->trigger();
    ASSERT_EQ(in->Direction, TTagDirection::Input);
    ASSERT_EQ(out->Direction, TTagDirection::Output);
    const int shapesBefore = Root()->ChildCount();
    const FloatRect outlineBefore = Root()->TGraphicList::GetExtent();

    QPoint inPin;
    EditTemplate(in, [&] {
        EXPECT_TRUE(drawing->SelectMode);
        EXPECT_TRUE(Root()->Closed) << "the editor shows the circuit's outline";
        // A new outline: a square closed by a press within the first corner's square...
        Act("MenuNew")->trigger();
        EXPECT_EQ(Root()->ChildCount(), 0);
        const QPoint c = drawing->Grid.SnapPoint(drawing->rect().center());
        const QPoint corners[] = {c + QPoint(-30, -30), c + QPoint(30, -30), c + QPoint(30, 30),
                                  c + QPoint(-30, 30)};
        Act("SpeedPolygon")->trigger();
        for (QPoint corner : corners)
            ClickEditor(corner);
        ClickEditor(corners[0] + QPoint(-2, 1));
        ASSERT_EQ(Root()->ChildCount(), 1);
        auto* square = KindCast<TPolygon>(Root()->Child(0));
        ASSERT_NE(square, nullptr);
        EXPECT_EQ(square->PointCount(), 4);
        EXPECT_FALSE(square->Outline);
        EXPECT_TRUE(Act("SpeedSelector")->isChecked()) << "finishing a shape returns to the selector";
        // ...a polyline ended by a double click, and a circle exactly where it was clicked.
        Act("SpeedPolyline")->trigger();
        ClickEditor(c + QPoint(-20, 0));
        DoubleClick(drawing, c + QPoint(0, -20));
        ASSERT_EQ(Root()->ChildCount(), 2);
        auto* line = KindCast<TPolyline>(Root()->Child(1));
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->LastVertex(), c + QPoint(0, -20));
        Act("SpeedCircle")->trigger();
        ClickEditor(c + QPoint(-11, 13));
        ASSERT_EQ(Root()->ChildCount(), 3);
        EXPECT_EQ(Root()->Child(2)->RoundedCentre(), c + QPoint(-11, 13));

        // A pin on the left side, linked to the input tag.
        Act("SpeedPin")->trigger();
        inPin = c + QPoint(-35, 0);
        ClickEditor(inPin);
        ASSERT_EQ(Root()->PinCount(), 1);
        EXPECT_EQ(drawing->Handles->Selected(), OutlinePin(0));
        EXPECT_EQ(editor->StatusBar->currentMessage(), "Pin 1 Selected");
        ASSERT_TRUE(Act("PopAssociate")->isEnabled());
        Act("PopAssociate")->trigger();
        EXPECT_EQ(in->GetPinNumber(), 1);
        EXPECT_EQ(OutlinePin(0)->Kind, TPinKind::Input);
        EXPECT_EQ(OutlinePin(0)->Brush.Colour, TTemplateForm::kCurrentTagPinColour);
        EXPECT_FALSE(Act("PopAssociate")->isEnabled()) << "the pin is taken";
    });
    EXPECT_FALSE(Root()->Closed);
    EXPECT_TRUE(canvas->Modified);
    EXPECT_EQ(canvas->UndoName(), "Outline") << "the session is one step of the circuit's history";
    EXPECT_EQ(OutlinePin(0)->Brush.Colour, TTemplateForm::kFreePinColour);
    // The new outline was drawn in the editor's middle and is back around the old one's centre.
    const FloatRect outlineAfter = Root()->TGraphicList::GetExtent();
    EXPECT_EQ(std::lround(outlineAfter.MinX + outlineAfter.MaxX),
              std::lround(outlineBefore.MinX + outlineBefore.MaxX));
    EXPECT_EQ(std::lround(outlineAfter.MinY + outlineAfter.MaxY),
              std::lround(outlineBefore.MinY + outlineBefore.MaxY));
    EXPECT_EQ(outlineAfter.MaxX - outlineAfter.MinX, 60);

    QPoint outPin;
    const QString templatePath = dir.filePath("inverter.tvt");
    EditTemplate(out, [&] {
        EXPECT_EQ(OutlinePin(0)->Brush.Colour, TTemplateForm::kLinkedPinColour);
        const QPoint c = drawing->Grid.SnapPoint(drawing->rect().center());
        // Control keeps the pin tool for a second pin, which is then deleted with the Delete key.
        Act("SpeedPin")->trigger();
        outPin = c + QPoint(35, 0);
        ClickEditor(outPin, Qt::ControlModifier);
        ClickEditor(c + QPoint(0, 45), Qt::ControlModifier);
        EXPECT_TRUE(Act("SpeedPin")->isChecked());
        ASSERT_EQ(Root()->PinCount(), 3);
        Act("SpeedSelector")->trigger();
        ClickEditor(c + QPoint(0, 45));
        QTest::keyClick(drawing, Qt::Key_Delete);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages.takeLast(), "Are you sure you want to delete this object?");
        ASSERT_EQ(Root()->PinCount(), 2);
        ClickEditor(outPin);
        Act("PopAssociate")->trigger();
        EXPECT_EQ(OutlinePin(1)->Kind, TPinKind::Output);
        FileAnswer = templatePath;
        Act("MenuSaveTemplate")->trigger();
        EXPECT_FALSE(drawing->Modified);
    });
    EXPECT_EQ(fileRequests.takeLast().Request.Title, "Save Template");
    EXPECT_EQ(out->GetPinNumber(), 2);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_NE(Root()->ChildCount(), shapesBefore);

    // Saved, then placed as a part of a new circuit: the outline and the pins are where they were
    // drawn, relative to each other.
    SaveBytes("inverter.tvm");
    TGuiTest::Act("SpeedNew")->trigger();
    ASSERT_TRUE(canvas->InsertFile(FileAnswer, 400, 300, false));
    auto* part = KindCast<TMacro>(Root()->Devices->Child(0));
    ASSERT_NE(part, nullptr);
    ASSERT_EQ(part->ChildCount(), 3);
    ASSERT_EQ(part->PinCount(), 2);
    const QPoint squareCentre = part->Child(0)->RoundedCentre();
    EXPECT_EQ(part->Pin(0)->RoundedCentre() - squareCentre, QPoint(-35, 0));
    EXPECT_EQ(part->Pin(1)->RoundedCentre() - squareCentre, QPoint(35, 0));

    // Run: a switch on the input pin, an LED on the output pin.
    auto* input = Place<TInteractiveInput>("SpeedPresetSwitch", {250, 300});
    auto* led = Place<TLEDDevice>("SpeedLED", {600, 300});
    ASSERT_TRUE(input && led);
    Wire({input->Pin(0)->RoundedCentre(), part->Pin(0)->RoundedCentre()});
    Wire({part->Pin(1)->RoundedCentre(), led->Pin(0)->RoundedCentre()});
    ASSERT_EQ(Root()->Wires->ChildCount(), 2);
    TGuiTest::Act("SpeedInteraction")->trigger();
    Key(Qt::Key_F12);
    EXPECT_EQ(led->LastLevel & 1, 1) << "low in, high out";
    Click(input->RoundedCentre());
    Key(Qt::Key_F12);
    EXPECT_EQ(led->LastLevel & 1, 0) << "high in, low out";

    // The template file holds the same outline with free pins.
    TMacro loaded;
    loaded.LoadTemplate(templatePath);
    EXPECT_EQ(loaded.ChildCount(), 3);
    ASSERT_EQ(loaded.PinCount(), 2);
    EXPECT_EQ(loaded.Pin(1)->RoundedCentre() - loaded.Pin(0)->RoundedCentre(), QPoint(70, 0));
    EXPECT_EQ(KindCast<TMacroPin>(loaded.Pin(0))->Partner, nullptr);
}

// A circuit whose three tags are linked to three outline pins: the pin of the tag selected when the
// editor opens is yellow and the others red; a copied pin pastes free; deleting a pin renumbers the
// tags on closing; files that are not sound templates change nothing; and the session is one step
// that the main window's undo takes back.
TEST_F(TemplateEditorTest, LinksFollowThePinsAndBadTemplatesChangeNothing) {
    TTestCircuit circuit;
    std::vector<TTagDevice*> tags;
    const QPoint places[] = {{-25, -5}, {-25, 5}, {25, 0}};
    for (int i = 0; i < 3; ++i) {
        tags.push_back(circuit.Add<TTagDevice>(100.0f * static_cast<float>(i + 1), 100));
        TTestCircuit::AddOutlinePin(circuit.Root, tags.back(), places[i], i + 1);
    }
    const QString path = dir.filePath("three.tvm");
    WriteCircuit(path, circuit.Root, "three");
    ASSERT_TRUE(canvas->LoadFromFile(path));
    auto tag = [this](int i) { return static_cast<TTagDevice*>(Root()->Tags->Child(i)); };
    auto numbers = [&] {
        return std::vector<int>{tag(0)->GetPinNumber(), tag(1)->GetPinNumber(), tag(2)->GetPinNumber()};
    };

    EditTemplate(tag(0), [&] {
        EXPECT_EQ(OutlinePin(0)->Brush.Colour, TTemplateForm::kCurrentTagPinColour);
        EXPECT_EQ(OutlinePin(1)->Brush.Colour, TTemplateForm::kLinkedPinColour);
        EXPECT_EQ(OutlinePin(2)->Brush.Colour, TTemplateForm::kLinkedPinColour);
        ClickEditor(OutlinePin(1)->RoundedCentre());
        EXPECT_FALSE(Act("PopAssociate")->isEnabled()) << "pin 2 belongs to another tag";

        // Everything copied and pasted: the pasted pins lie 20 pixels off and belong to no tag.
        const int shapes = Root()->ChildCount();
        QTest::keyClick(drawing, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(drawing, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(drawing, Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(Root()->PinCount(), 6);
        EXPECT_EQ(Root()->ChildCount(), 2 * shapes);
        for (int i = 3; i < 6; ++i) {
            EXPECT_EQ(OutlinePin(i)->Partner, nullptr);
            EXPECT_EQ(OutlinePin(i)->Kind, TPinKind::Passive);
            EXPECT_EQ(OutlinePin(i)->RoundedCentre(), OutlinePin(i - 3)->RoundedCentre() + QPoint(20, 20));
        }
        EXPECT_EQ(numbers(), (std::vector<int>{1, 2, 3}));
        QTest::keyClick(drawing, Qt::Key_Delete);
        EXPECT_EQ(messages.takeLast(), "Are you sure you want to delete all of the selected objects?");
        ASSERT_EQ(Root()->PinCount(), 3);

        // Pin 2 goes: its tag loses its number now, the others are numbered again on closing.
        ClickEditor(OutlinePin(1)->RoundedCentre());
        QTest::keyClick(drawing, Qt::Key_Delete);
        ASSERT_EQ(Root()->PinCount(), 2);
        EXPECT_EQ(messages.takeLast(), "Are you sure you want to delete this object?");
        EXPECT_EQ(tag(1)->GetPinNumber(), -1);

        // A circuit file and a cut-off template are refused and change nothing.
        FileAnswer = path;
        Answer = QMessageBox::No;
        Act("MenuOpenTemplate")->trigger();
        EXPECT_EQ(messages.takeFirst(), "Template has changed, save current drawing?");
        EXPECT_EQ(messages.takeFirst(), "This is not a valid Tessivar Template file.");
        FileAnswer = dir.filePath("short.tvt");
        Act("MenuSaveTemplate")->trigger();
        QFile file(FileAnswer);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.resize(file.size() / 2);
        file.close();
        Act("MenuOpenTemplate")->trigger();
        EXPECT_EQ(messages, QStringList{"An error has occurred trying to read this Tessivar file."});
        messages.clear();
        EXPECT_EQ(Root()->PinCount(), 2);
        EXPECT_EQ(tag(0)->MacroPin->Partner, OutlinePin(0));
    });
    EXPECT_EQ(fileRequests.takeFirst().Request.Title, "Open Template");
    EXPECT_EQ(numbers(), (std::vector<int>{1, -1, 2}));
    form->MenuEditClick();
    TGuiTest::Act("MenuUndo")->trigger();
    ASSERT_EQ(Root()->PinCount(), 3);
    EXPECT_EQ(numbers(), (std::vector<int>{1, 2, 3}));

    // A template whose pins outnumber the tags and claim links of their own: pins 1 and 2 name
    // each other as partners and a wire of the outline ends on pin 3. It loads as free pins.
    const QString crafted = dir.filePath("crafted.tvt");
    {
        auto outline = std::make_unique<TSerializeList>();
        auto pins = std::make_unique<TGraphicList>();
        std::vector<TMacroPin*> made;
        for (int i = 0; i < 5; ++i) {
            made.push_back(new TMacroPin);
            made.back()->PlaceAt({10 * i, 0});
            pins->AddChild(made.back());
        }
        made[0]->Partner = made[1];
        made[1]->Partner = made[0];
        auto* wire = new TWire;
        wire->AddPoint({20, 0});
        wire->AddPoint({20, 30});
        wire->Connect(made[2]);
        outline->Add(wire);
        {
            QFile file(crafted);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            TSerializeWriter writer(&file);
            writer.FileType = 60697;
            writer.Version = 20;
            writer.WriteSignature();
            writer.WriteObject(outline.get());
            writer.WriteObject(pins.get());
            writer.Finish();
        }
        outline.reset(); // the wire lets go of its pin first
    }
    EditTemplate(tag(2), [&] {
        FileAnswer = crafted;
        Act("MenuOpenTemplate")->trigger();
        ASSERT_EQ(Root()->PinCount(), 5) << messages.join('\n').toStdString();
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(OutlinePin(i)->Partner, nullptr) << i;
            EXPECT_EQ(OutlinePin(i)->Wire, nullptr) << i;
            EXPECT_EQ(OutlinePin(i)->Brush.Colour, TTemplateForm::kFreePinColour) << i;
        }
        EXPECT_EQ(numbers(), (std::vector<int>{-1, -1, -1}));
        EXPECT_EQ(tag(0)->MacroPin->Partner, nullptr);
        ClickEditor(OutlinePin(4)->RoundedCentre());
        Act("PopAssociate")->trigger();
    });
    EXPECT_EQ(numbers(), (std::vector<int>{-1, -1, 5}));
    EXPECT_TRUE(canvas->Modified);

    // The shipped templates are offered beside the user's own.
    EditTemplate(tag(0), [&] {
        ASSERT_FALSE(editor->ShippedFolder().isEmpty());
        FileAnswer = QDir(editor->ShippedFolder()).filePath("DIP 14.tvt");
        Answer = QMessageBox::No;
        Act("MenuOpenTemplate")->trigger();
        EXPECT_EQ(fileRequests.last().Request.Places,
                  (QStringList{editor->UserFolder(), editor->ShippedFolder()}));
        EXPECT_EQ(Root()->PinCount(), 14);
        Act("SpeedCircle")->trigger();
        ClickEditor(drawing->rect().topLeft() + QPoint(20, 20));
    });
    // A drawing left unsaved belongs to this circuit: a new circuit has nothing to ask about.
    EXPECT_TRUE(drawing->Modified);
    Answer = QMessageBox::No;
    TGuiTest::Act("SpeedNew")->trigger();
    EXPECT_FALSE(drawing->Modified);
}

} // namespace
