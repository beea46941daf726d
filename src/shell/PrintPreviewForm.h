#pragma once

// The print preview: a sheet of paper at 30 screen pixels per inch showing the circuit level to be
// printed, with the print options (zoom, centring, orientation). The main window's print commands
// print with the options this window has, whether or not it was ever shown. Printing goes to the
// installed printer; without one, and whenever asked, to a PDF file.

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QFrame;
class QPrinter;
class QScrollArea;
class TMacro;
struct TPrintOptions;

class TPrintPreview : public QMainWindow {
    Q_OBJECT
public:
    explicit TPrintPreview(QWidget* parent = nullptr);
    ~TPrintPreview() override;

    static TPrintPreview* Instance();

    // At least one printer is installed. Tests replace the answer.
    static bool PrinterAvailable();
    static std::function<bool()> PrinterAvailableHook;

    TPrintOptions Options() const;
    // The printer whose page the preview shows and the print command uses.
    QPrinter& Printer() { return *m_printer; }

    // Prints PrintMacro on the printer or, without one, into a PDF file the user names; false when
    // nothing was printed.
    bool PrintCircuit();
    // Prints PrintMacro into a PDF file the user names.
    bool PrintToPdfClick();
    bool PrintToPdf(const QString& path);
    void LayoutPage();

    void SpeedEnlargeClick();
    void SpeedPortraitClick();
    void SpeedLandscapeClick();
    void MenuPrintSetupClick();

    TMacro* PrintMacro = nullptr; // not owned; set by the main window before every print or preview
    int ZoomDivisor = 10;
    QAction* SpeedEnlarge;
    QAction* SpeedCentre;
    QAction* SpeedPortrait;
    QAction* SpeedLandscape;
    QAction* SpeedPrint;
    QScrollArea* ScrollBox;
    QFrame* PanelPage;
    QWidget* Image;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ImagePaint();
    void ShowOrientation();

    std::unique_ptr<QPrinter> m_printer;
};
