// File > Export Image on a circuit built with the mouse: the selection and the whole level, in the
// levels the circuit shows, as PNG, SVG and PDF.

#include "GuiFixture.h"
#include "TestSupport.h"

#include "devices/Interactive.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"
#include "model/Macro.h"
#include "shell/ExportImageDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ExportImageTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        new TExportImageDialog(&MakeForm());
        ShowForm({800, 600});
    }

    // Exports through the menu with the dialog set to these choices.
    void Export(const QString& name, int percent, bool transparent, bool selectionOnly) {
        Drive = [&](QDialog* dialog) {
            auto& shown = *static_cast<TExportImageDialog*>(dialog);
            shown.EditFileName->clear();
            QTest::keyClicks(shown.EditFileName, dir.filePath(name));
            shown.ScaleUpDown->setValue(percent);
            // On the indicator: a button takes clicks on its indicator and text only.
            QRadioButton* background = transparent ? shown.RadioTransparent : shown.RadioWhite;
            QTest::mouseClick(background, Qt::LeftButton, {}, QPoint(8, background->height() / 2));
            if (shown.CheckSelection->isChecked() != selectionOnly && shown.CheckSelection->isEnabled())
                QTest::mouseClick(shown.CheckSelection, Qt::LeftButton, {},
                                  QPoint(8, shown.CheckSelection->height() / 2));
            ClickControl(dialog, "ButtonOk");
        };
        Act("MenuExportImage")->trigger();
    }
    // The darkest grey near the pixel that shows a circuit point in a picture of the bounds.
    static int DarkestNear(const QImage& image, QPoint p, const TRect& bounds, double scale) {
        const QPoint at(int((p.x() - bounds.Left + 10) * scale), int((p.y() - bounds.Top + 10) * scale));
        int darkest = 255;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                darkest = std::min(darkest, qGray(image.pixel(at + QPoint(dx, dy))));
        return darkest;
    }
};

TEST_F(ExportImageTest, WritesTheSelectionOrTheLevelAsShown) {
    auto* input = Place<TInteractiveInput>("SpeedPresetSwitch", {100, 100});
    auto* led = Place<TLEDDevice>("SpeedLED", {400, 100});
    auto* gate = Place<T2AndGate>("SpeedANDGate", {250, 300});
    ASSERT_TRUE(input && led && gate);
    Wire({input->Pin(0)->RoundedCentre(), led->Pin(0)->RoundedCentre()});
    TWire* wire = led->Pin(0)->Wire;
    ASSERT_NE(wire, nullptr);
    // Raise the input and step: the wire is drawn black, as the canvas shows it.
    Act("SpeedInteraction")->trigger();
    Click(input->RoundedCentre());
    QTest::keyClick(canvas, Qt::Key_F12);
    ASSERT_EQ(led->LastLevel & 1, 1);

    // The gate alone, doubled, on a transparent background.
    Act("SpeedPointer")->trigger();
    Click(gate->RoundedCentre());
    ASSERT_TRUE(canvas->SingleObjectSelected());
    Export("gate.png", 200, true, true);
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const QImage selection(dir.filePath("gate.png"));
    const TRect gateBounds = gate->GetBounds();
    EXPECT_EQ(selection.size(), QSize(gateBounds.Width() + 20, gateBounds.Height() + 20) * 2);
    EXPECT_EQ(qAlpha(selection.pixel(0, 0)), 0);
    int ink = 0;
    for (int y = 0; y < selection.height(); ++y)
        for (int x = 0; x < selection.width(); ++x)
            ink += qAlpha(selection.pixel(x, y)) == 255 ? 1 : 0;
    EXPECT_GT(ink, 200) << "the gate is drawn";

    // Without a selection the whole level, on white, with the wire in its level's colour.
    Click({600, 500});
    ASSERT_FALSE(canvas->HasSelection());
    const TRect level = canvas->CurrentMacro->GetBounds();
    const QPoint onWire = (wire->FirstVertex() + wire->LastVertex()) / 2;
    Export("level.png", 100, false, true);
    const QImage high(dir.filePath("level.png"));
    EXPECT_EQ(high.size(), QSize(level.Width() + 20, level.Height() + 20));
    EXPECT_EQ(high.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(DarkestNear(high, onWire, level, 1), 0);
    Act("SpeedInteraction")->trigger();
    Click(input->RoundedCentre());
    QTest::keyClick(canvas, Qt::Key_F12);
    ASSERT_EQ(led->LastLevel & 1, 0);
    canvas->Handles->HideSelection();
    Export("low.png", 100, false, true);
    const QImage low(dir.filePath("low.png"));
    const int lowGrey = DarkestNear(low, onWire, level, 1);
    EXPECT_GT(lowGrey, 100) << "a low wire is drawn in the low colour";
    EXPECT_LT(lowGrey, 255);

    Export("level.svg", 100, false, true);
    QFile svg(dir.filePath("level.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
    Export("level.pdf", 300, false, true);
    const QString prefix = dir.filePath("page");
    QProcess::execute("pdftoppm", {"-r", "96", "-png", "-singlefile", dir.filePath("level.pdf"), prefix});
    const QImage page(prefix + ".png");
    ASSERT_FALSE(page.isNull()) << "pdftoppm (poppler-utils) renders the page";
    EXPECT_NEAR(page.width(), (level.Width() + 20) * 3, 2);
    EXPECT_NEAR(DarkestNear(page, onWire, level, 3), lowGrey, 40);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // A name the program cannot write keeps the dialog open; a folder that is missing is reported.
    Drive = [&](QDialog* shown) {
        static_cast<TExportImageDialog*>(shown)->EditFileName->setText(dir.filePath("level.bmp"));
        ClickControl(shown, "ButtonOk");
    };
    Act("MenuExportImage")->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.takeFirst(), "The file name must end in .png, .svg or .pdf.");
    EXPECT_FALSE(QFile::exists(dir.filePath("level.bmp")));
    Export("missing/level.png", 100, false, true);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().startsWith("Unable to write the image")) << messages.first().toStdString();
}

} // namespace
