#include "shell/PrintPreviewForm.h"

#include "canvas/UserDialogs.h"
#include "drawing/Help.h"
#include "shell/Printing.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollArea>
#include <QToolBar>

#include <cmath>

namespace {

TPrintPreview* g_instance = nullptr;

} // namespace

std::function<bool()> TPrintPreview::PrinterAvailableHook;

bool TPrintPreview::PrinterAvailable() {
    return PrinterAvailableHook ? PrinterAvailableHook() : !QPrinterInfo::availablePrinters().isEmpty();
}

TPrintPreview::TPrintPreview(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Tessivar - Print Preview"));
    resize(379, 445);
    if (!g_instance)
        g_instance = this;

    if (PrinterAvailable()) {
        m_printer = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    } else {
        // The PDF file stands in for a printer.
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setResolution(300);
    }
    m_printer->setPageOrientation(QPageLayout::Landscape);

    auto action = [this](const char* name, const QString& text) {
        auto* created = new QAction(text, this);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    QAction* printSetup = action("MenuPrintSetup", QStringLiteral("Print Set&up..."));
    QAction* print = action("MenuPrint", QStringLiteral("&Print"));
    QAction* printPdf = action("MenuPrintPdf", QStringLiteral("Print to P&DF..."));
    QAction* close = action("MenuExit", QStringLiteral("&Close"));
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(printSetup);
    file->addAction(print);
    file->addAction(printPdf);
    file->addSeparator();
    file->addAction(close);
    connect(printSetup, &QAction::triggered, this, &TPrintPreview::MenuPrintSetupClick);
    connect(print, &QAction::triggered, this, &TPrintPreview::PrintCircuit);
    connect(printPdf, &QAction::triggered, this, &TPrintPreview::PrintToPdfClick);
    connect(close, &QAction::triggered, this, &QWidget::close);
    QAction* helpTopics = action("HelpTopics", QStringLiteral("&Help Topics..."));
    menuBar()->addMenu(QStringLiteral("&Help"))->addAction(helpTopics);
    connect(helpTopics, &QAction::triggered, this,
            [] { ShowHelpTopic(HelpFilePath(), kHelpWindowName, QStringLiteral("printing.htm")); });

    SpeedEnlarge = action("SpeedEnlarge", QStringLiteral("Zoom"));
    SpeedCentre = action("SpeedCentre", QStringLiteral("Centre Image"));
    SpeedPortrait = action("SpeedPortrait", QStringLiteral("Portrait"));
    SpeedLandscape = action("SpeedLandscape", QStringLiteral("Landscape"));
    SpeedPrint = action("SpeedPrint", QStringLiteral("Print"));
    for (QAction* check : {SpeedEnlarge, SpeedCentre, SpeedPortrait, SpeedLandscape})
        check->setCheckable(true);
    SpeedCentre->setChecked(true);
    auto* orientation = new QActionGroup(this);
    orientation->addAction(SpeedPortrait);
    orientation->addAction(SpeedLandscape);
    QToolBar* tools = addToolBar(QStringLiteral("Print Preview"));
    tools->setObjectName(QStringLiteral("ToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* button : {SpeedEnlarge, SpeedCentre, SpeedPortrait, SpeedLandscape, SpeedPrint})
        tools->addAction(button);
    connect(SpeedEnlarge, &QAction::triggered, this, &TPrintPreview::SpeedEnlargeClick);
    connect(SpeedCentre, &QAction::triggered, this, [this] { Image->update(); });
    connect(SpeedPortrait, &QAction::triggered, this, &TPrintPreview::SpeedPortraitClick);
    connect(SpeedLandscape, &QAction::triggered, this, &TPrintPreview::SpeedLandscapeClick);
    connect(SpeedPrint, &QAction::triggered, this, &TPrintPreview::PrintCircuit);

    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setBackgroundRole(QPalette::Dark);
    ScrollBox->setWidgetResizable(false);
    auto* sheetArea = new QWidget;
    PanelPage = new QFrame(sheetArea);
    PanelPage->setObjectName(QStringLiteral("PanelPage"));
    PanelPage->setFrameStyle(QFrame::Box | QFrame::Plain);
    PanelPage->setStyleSheet(
        QStringLiteral("QFrame#PanelPage { background: white; border: 1px solid black; }"));
    Image = new QWidget(PanelPage);
    Image->setObjectName(QStringLiteral("Image"));
    Image->installEventFilter(this);
    ScrollBox->setWidget(sheetArea);
    setCentralWidget(ScrollBox);
    ShowOrientation();
    LayoutPage();
}

TPrintPreview::~TPrintPreview() {
    if (g_instance == this)
        g_instance = nullptr;
}

TPrintPreview* TPrintPreview::Instance() {
    return g_instance;
}

TPrintOptions TPrintPreview::Options() const {
    return {SpeedEnlarge->isChecked(), SpeedCentre->isChecked()};
}

void TPrintPreview::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    LayoutPage();
    ShowOrientation();
    ZoomDivisor = SpeedEnlarge->isChecked() ? 5 : 10;
    QMainWindow::showEvent(event);
}

void TPrintPreview::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutPage();
}

void TPrintPreview::ShowOrientation() {
    const bool landscape = m_printer->pageLayout().orientation() == QPageLayout::Landscape;
    SpeedLandscape->setChecked(landscape);
    SpeedPortrait->setChecked(!landscape);
}

// A page of 30 screen pixels per inch, centred in the scroll box (or at its top left when larger).
void TPrintPreview::LayoutPage() {
    const int divisorX = std::max(1, static_cast<int>(std::lround(m_printer->resolution() * 10.0 / 300)));
    const int divisorY = divisorX;
    const int width = m_printer->width() / divisorX;
    const int height = m_printer->height() / divisorY;
    const QSize client = ScrollBox->viewport()->size();
    QWidget* sheetArea = ScrollBox->widget();
    sheetArea->resize(std::max(client.width(), width + 20), std::max(client.height(), height + 20));
    PanelPage->setGeometry(std::max(10, sheetArea->width() / 2 - width / 2),
                           std::max(10, sheetArea->height() / 2 - height / 2), width, height);
    Image->setGeometry(PanelPage->contentsRect());
    Image->update();
}

bool TPrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image && event->type() == QEvent::Paint) {
        ImagePaint();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TPrintPreview::ImagePaint() {
    if (!PrintMacro)
        return;
    QPainter painter(Image);
    const double scale = 2.0 / ZoomDivisor;
    DrawPage(PrintMacro, painter, scale, SpeedCentre->isChecked(), Image->width() / 2.0 / scale,
             Image->height() / 2.0 / scale);
}

void TPrintPreview::SpeedEnlargeClick() {
    ZoomDivisor = SpeedEnlarge->isChecked() ? 5 : 10;
    Image->update();
}

void TPrintPreview::SpeedPortraitClick() {
    m_printer->setPageOrientation(QPageLayout::Portrait);
    LayoutPage();
}

void TPrintPreview::SpeedLandscapeClick() {
    m_printer->setPageOrientation(QPageLayout::Landscape);
    LayoutPage();
}

void TPrintPreview::MenuPrintSetupClick() {
    if (m_printer->outputFormat() == QPrinter::NativeFormat) {
        QPrintDialog dialog(m_printer.get(), this);
        TUserDialogs::Execute(&dialog);
    } else {
        QPageSetupDialog dialog(m_printer.get(), this);
        TUserDialogs::Execute(&dialog);
    }
    LayoutPage();
    ShowOrientation();
}

bool TPrintPreview::PrintCircuit() {
    if (!PrintMacro)
        return false;
    if (m_printer->outputFormat() == QPrinter::PdfFormat)
        return PrintToPdfClick();
    return ::PrintCircuit(PrintMacro, *m_printer, Options());
}

bool TPrintPreview::PrintToPdfClick() {
    if (!PrintMacro)
        return false;
    TUserDialogs::TFileRequest request;
    request.Title = QStringLiteral("Print to PDF");
    request.InitialName = QStringLiteral("Circuit.pdf");
    request.Filter = QStringLiteral("PDF Files (*.pdf)");
    request.DefaultSuffix = QStringLiteral("pdf");
    request.ConfirmOverwrite = true;
    const QString path = TUserDialogs::SaveFileName(this, request);
    return !path.isEmpty() && PrintToPdf(path);
}

bool TPrintPreview::PrintToPdf(const QString& path) {
    if (!PrintMacro)
        return false;
    QPrinter pdf(QPrinter::HighResolution);
    MakePdfPrinter(pdf, *m_printer, path);
    if (::PrintCircuit(PrintMacro, pdf, Options()))
        return true;
    TUserDialogs::Message(this, TUserDialogs::TKind::Error,
                          QStringLiteral("Unable to print to the file '%1'.").arg(path));
    return false;
}
