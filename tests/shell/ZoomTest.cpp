#include "GuiFixture.h"
#include "TestSupport.h"

#include "devices/Interactive.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A shown main window driven by mouse and key events. Points are given in circuit coordinates and
// sent to the widget pixel that shows them at the current zoom.
class ZoomTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        Answer = QMessageBox::No;
        Open();
    }
    void Open() {
        form.reset();
        ShowForm({800, 600});
    }

    QPoint Shown(QPoint p) const { return canvas->View().ToWidget(p); }
    QString ZoomShown() const { return form->findChild<QLabel*>("ZoomLabel")->text(); }
    // The circuit point under a point of the scroll box's viewport.
    QPoint UnderViewport(QPoint p) const {
        return canvas->View().ToCircuit(canvas->mapFrom(form->ScrollBox->viewport(), p));
    }
    // Whether a pixel near the widget pixel showing p has the colour.
    bool PaintedNear(QPoint p, QColor colour) {
        const QImage image = canvas->grab(QRect(Shown(p) - QPoint(2, 2), QSize(5, 5))).toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour)
                    return true;
        return false;
    }
};

// A half adder built, wired with joints, moved as a group and run with the mouse at 50, 100 and 200
// percent: the same clicks in circuit coordinates give the same file, and the adder adds.
TEST_F(ZoomTest, SameClicksMakeTheSameCircuitAtEveryZoom) {
    struct TZoomKeys {
        int Percent;
        int Key;
        int Presses;
    };
    QByteArray reference;
    for (const TZoomKeys zoom :
         {TZoomKeys{100, Qt::Key_0, 1}, TZoomKeys{50, Qt::Key_Minus, 3}, TZoomKeys{200, Qt::Key_Equal, 3}}) {
        SCOPED_TRACE(zoom.Percent);
        Act("SpeedNew")->trigger();
        messages.clear();
        Key(Qt::Key_0, Qt::ControlModifier);
        for (int i = 0; i < zoom.Presses; ++i)
            Key(zoom.Key, Qt::ControlModifier);
        ASSERT_EQ(canvas->ZoomPercent(), zoom.Percent);
        EXPECT_EQ(ZoomShown(), QStringLiteral("%1%").arg(zoom.Percent));

        auto* a = Place<TInteractiveInput>("SpeedPresetSwitch", {100, 100});
        auto* b = Place<TInteractiveInput>("SpeedPresetSwitch", {100, 200});
        auto* sumGate = Place<T2XorGate>("SpeedXORGate", {300, 150});
        auto* carryGate = Place<T2AndGate>("SpeedANDGate", {300, 300});
        auto* sum = Place<TLEDDevice>("SpeedLED", {450, 150});
        auto* carry = Place<TLEDDevice>("SpeedLED", {450, 300});
        ASSERT_TRUE(a && b && sumGate && carryGate && sum && carry);
        // Bends on the grid; the branches end on the straight runs between them, making joints.
        Wire({a->Pin(0)->RoundedCentre(), {160, 100}, {230, 100}, sumGate->Pin(1)->RoundedCentre()});
        Wire({b->Pin(0)->RoundedCentre(), {160, 200}, {230, 200}, sumGate->Pin(2)->RoundedCentre()});
        Wire({carryGate->Pin(1)->RoundedCentre(), {200, 295}, {190, 100}});
        Wire({carryGate->Pin(2)->RoundedCentre(), {210, 305}, {210, 200}});
        Wire({sumGate->Pin(0)->RoundedCentre(), sum->Pin(0)->RoundedCentre()});
        Wire({carryGate->Pin(0)->RoundedCentre(), carry->Pin(0)->RoundedCentre()});
        EXPECT_EQ(canvas->CurrentMacro->Solders->ChildCount(), 2);
        EXPECT_EQ(canvas->CurrentMacro->Wires->ChildCount(), 8);
        EXPECT_TRUE(messages.isEmpty());

        // A band around everything, then the group dragged by the overlay a snapped distance.
        Act("SpeedPointer")->trigger();
        Drag({50, 50}, {520, 360});
        ASSERT_TRUE(canvas->GroupSelected());
        const QPoint before = a->RoundedCentre();
        Drag(before, before + QPoint(51, 29));
        EXPECT_EQ(a->RoundedCentre() - before, QPoint(50, 30));
        EXPECT_EQ(sum->Pin(0)->Wire->LastVertex(), sum->Pin(0)->RoundedCentre());

        const QByteArray bytes = SaveBytes(QStringLiteral("adder%1.tvm").arg(zoom.Percent));
        ASSERT_FALSE(bytes.isEmpty());
        if (reference.isEmpty())
            reference = bytes;
        EXPECT_EQ(bytes, reference) << "the zoom is not stored and changes no coordinate";

        // Flip the inputs with the mouse and step with F12; the wires are painted by level.
        Act("SpeedInteraction")->trigger();
        const int expected[][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}};
        for (int row = 0; row < 4; ++row) {
            if (row == 1 || row == 3)
                Click(a->RoundedCentre());
            if (row == 2)
                Click(b->RoundedCentre());
            Key(Qt::Key_F12);
            EXPECT_EQ(sum->LastLevel & 1, expected[row][0]) << "row " << row;
            EXPECT_EQ(carry->LastLevel & 1, expected[row][1]) << "row " << row;
        }
        const TWire* sumWire = sum->Pin(0)->Wire;
        const QPoint middle = (sumWire->FirstVertex() + sumWire->LastVertex()) / 2;
        // At 200 % the wire may lie beyond the window: scroll it into view first.
        form->ScrollBox->ensureVisible(Shown(middle).x(), Shown(middle).y());
        QCoreApplication::processEvents();
        EXPECT_TRUE(PaintedNear(middle, Qt::black)) << "a high wire is drawn black where it is shown";
    }
}

// Control and the wheel zoom about the mouse; the zoom outlives the window through the settings, and
// Zoom to Fit brings the whole level into view.
TEST_F(ZoomTest, WheelKeepsThePointUnderTheMouseAndTheZoomIsRemembered) {
    QWidget* viewport = form->ScrollBox->viewport();
    form->ScrollBox->horizontalScrollBar()->setValue(2000);
    form->ScrollBox->verticalScrollBar()->setValue(2000);
    const QPoint mouse(300, 200);
    const QPoint under = UnderViewport(mouse);
    auto wheel = [&](int notches, Qt::KeyboardModifiers keys) {
        const QPointF at = canvas->mapFrom(viewport, mouse);
        QWheelEvent event(at, viewport->mapToGlobal(mouse), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          keys, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &event);
    };
    wheel(2, Qt::ControlModifier);
    EXPECT_EQ(canvas->ZoomPercent(), 150);
    EXPECT_LE((UnderViewport(mouse) - under).manhattanLength(), 1);
    wheel(-5, Qt::ControlModifier);
    EXPECT_EQ(canvas->ZoomPercent(), 50);
    EXPECT_LE((UnderViewport(mouse) - under).manhattanLength(), 2);
    wheel(-9, Qt::ControlModifier);
    EXPECT_EQ(canvas->ZoomPercent(), 25) << "no smaller than 25 %";
    wheel(1, Qt::NoModifier);
    EXPECT_EQ(canvas->ZoomPercent(), 25) << "the plain wheel scrolls";

    // Far from the origin, a fit zooms in until the part fills the view.
    Place<T2AndGate>("SpeedANDGate", {3000, 4000});
    Act("MenuZoomToFit")->trigger();
    EXPECT_EQ(canvas->ZoomPercent(), 400);
    EXPECT_TRUE(canvas->VisibleArea().contains(canvas->CurrentMacro->GetBounds().ToQRect()));
    Key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(ZoomShown(), "300%");

    ASSERT_TRUE(form->close());
    Open();
    EXPECT_EQ(canvas->ZoomPercent(), 300);
    EXPECT_EQ(canvas->size(), canvas->CircuitSize() * 3);

    // A value no zoom command makes starts at actual size.
    form->close();
    QSettings().setValue("View/Zoom", 4000);
    Open();
    EXPECT_EQ(canvas->ZoomPercent(), 100);
}

} // namespace
