// Printing goes through Qt's real print path into a PDF file, which pdftoppm turns back into a
// picture of the page.

#include "GuiFixture.h"
#include "TestCircuit.h"

#include "model/Gates.h"
#include "shell/PrintPreviewForm.h"
#include "shell/Printing.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

constexpr int kRenderDpi = 100;

// The page at kRenderDpi, or a null image when it could not be rendered.
QImage RenderPdf(const QString& pdf) {
    const QString prefix = pdf + ".page";
    QProcess::execute("pdftoppm", {"-r", QString::number(kRenderDpi), "-png", "-singlefile", pdf, prefix});
    return QImage(prefix + ".png");
}

// The box of the pixels that are not white (thin lines come out light grey).
QRect InkBox(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 230)
                box |= QRect(x, y, 1, 1);
    return box;
}

class PrintingTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        TPrintPreview::PrinterAvailableHook = [] { return false; };
        FileAnswer = pdfPath;
        Answer = QMessageBox::Ok;
        // A row of gates far from the canvas origin, whose extent is known.
        for (int i = 0; i < 4; ++i)
            circuit.Add<T2AndGate>(1500 + 100 * i, 1200);
        extent = circuit.Root->GetExtent();
    }
    void TearDown() override {
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        TGuiTest::TearDown();
    }

    // Prints through the preview's options and returns where the ink lies on the page, in inches,
    // measured from the printable area's top left; size receives the printable area.
    QRectF PrintedInches(TPrintPreview& preview, QSizeF& size) {
        preview.PrintMacro = circuit.Root;
        EXPECT_TRUE(preview.PrintToPdf(pdfPath));
        const QImage page = RenderPdf(pdfPath);
        EXPECT_FALSE(page.isNull()) << "pdftoppm (poppler-utils) renders the page";
        const QPageLayout layout = preview.Printer().pageLayout();
        const QRectF printable = layout.paintRect(QPageLayout::Inch);
        size = printable.size();
        const QRect ink = InkBox(page);
        return QRectF(ink.left() / double(kRenderDpi) - printable.left(),
                      ink.top() / double(kRenderDpi) - printable.top(), ink.width() / double(kRenderDpi),
                      ink.height() / double(kRenderDpi));
    }

    TTestCircuit circuit;
    FloatRect extent;
    QString pdfPath = dir.filePath("circuit.pdf");
};

TEST_F(PrintingTest, CentredPageAtBothScales) {
    TPrintPreview preview;
    const QByteArray before = WriteCircuitBytes(circuit.Root, "c");
    for (const bool zoom : {false, true}) {
        preview.SpeedEnlarge->setChecked(zoom);
        QSizeF page;
        const QRectF ink = PrintedInches(preview, page);
        // 2 or 4 printer pixels of 1/300 inch per canvas pixel.
        const double inchesPerPixel = PrintScale(zoom) / 300.0;
        EXPECT_NEAR(ink.width(), (extent.MaxX - extent.MinX) * inchesPerPixel, 0.05) << zoom;
        EXPECT_NEAR(ink.height(), (extent.MaxY - extent.MinY) * inchesPerPixel, 0.05) << zoom;
        EXPECT_NEAR(ink.center().x(), page.width() / 2, 0.05) << zoom;
        EXPECT_NEAR(ink.center().y(), page.height() / 2, 0.05) << zoom;
    }
    EXPECT_EQ(WriteCircuitBytes(circuit.Root, "c"), before) << "printing moves nothing";
}

TEST_F(PrintingTest, UncentredPageKeepsTheCanvasPositionAndOrientationCounts) {
    TPrintPreview preview;
    preview.SpeedCentre->setChecked(false);
    QSizeF landscape;
    const QRectF ink = PrintedInches(preview, landscape);
    EXPECT_NEAR(ink.left(), extent.MinX * 2 / 300.0, 0.05);
    EXPECT_NEAR(ink.top(), extent.MinY * 2 / 300.0, 0.05);
    EXPECT_GT(landscape.width(), landscape.height()) << "the page starts in landscape";

    preview.SpeedPortrait->trigger();
    QSizeF portrait;
    PrintedInches(preview, portrait);
    EXPECT_LT(portrait.width(), portrait.height());
}

TEST_F(PrintingTest, MainWindowPrintsTheLevelShownWithoutAPrinter) {
    TPrintPreview preview(&MakeForm());
    ShowForm();
    QAction* print = Act("MenuPrint");
    ASSERT_TRUE(print->isEnabled()) << "a PDF file can always be printed to";
    // The level shown: a macro part opened in place.
    TTestCircuit onCanvas(canvas->CurrentMacro);
    TMacro* part = onCanvas.AddInverterMacro(300, 300);
    canvas->EditMacro(part);
    print->trigger();
    EXPECT_EQ(preview.PrintMacro, part);
    EXPECT_FALSE(RenderPdf(pdfPath).isNull());

    Act("MenuPrintPreview")->trigger();
    EXPECT_TRUE(preview.isVisible());
    // The sheet is a page of 30 screen pixels per inch.
    EXPECT_NEAR(preview.PanelPage->width(), preview.Printer().width() / 10, 1);
    const QImage shown = preview.Image->grab().toImage();
    EXPECT_FALSE(InkBox(shown).isEmpty()) << "the preview draws the level";
}

} // namespace
