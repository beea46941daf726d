#include "devices/ui/AnalyserForm.h"

#include "canvas/UserDialogs.h"
#include "devices/InputDevice.h"
#include "devices/Signals.h"
#include "devices/Vcd.h"
#include "drawing/GraphicObject.h"
#include "drawing/Help.h"
#include "drawing/SafeFile.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QSvgGenerator>
#include <QToolBar>

#include <algorithm>

namespace {

TAnalyserForm* g_instance = nullptr;

constexpr int kColumn = 8;     // pixels per step
constexpr int kRowHeight = 16; // pixels per trace
constexpr int kLevelHeight = 8;
constexpr uint32_t kBackground = 0xF0FFFF;
constexpr uint32_t kNameColour = 0x800000;
constexpr uint32_t kClockColour = 0x800000;
constexpr uint32_t kGeneratorColour = 0x007000;
constexpr uint32_t kOtherColour = 180;
constexpr uint32_t kDimColour = 0xC0C0C0;
constexpr uint32_t kCursorColour = 0x808080;

QFont NameFont(const QFont& base) {
    QFont font = base;
    font.setBold(true);
    font.setItalic(true);
    return font;
}

} // namespace

// The paint box of the names column.
class TNamesBox : public QWidget {
public:
    explicit TNamesBox(TAnalyserForm* form) : QWidget(form), m_form(form) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        m_form->PaintNames(painter);
    }

private:
    TAnalyserForm* m_form;
};

// The paint box of the traces. Its contents stay where they are when it grows, so growing and
// scrolling paint only the area that appears.
class TTraceBox : public QWidget {
public:
    explicit TTraceBox(TAnalyserForm* form) : QWidget(form), m_form(form) {
        setObjectName(QStringLiteral("TraceBox"));
        setAttribute(Qt::WA_StaticContents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::ClickFocus);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        m_form->PaintTraces(painter, event->rect());
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            m_form->SetCursorStep(m_form->SampleAt(event->position().toPoint().x()));
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int step = m_form->CursorStep();
        if (event->key() == Qt::Key_Left && step > 1)
            m_form->SetCursorStep(step - 1);
        else if (event->key() == Qt::Key_Right && step > 0)
            m_form->SetCursorStep(std::min(step + 1, m_form->ShownSamples()));
        else if (event->key() == Qt::Key_Escape)
            m_form->SetCursorStep(0);
        else
            QWidget::keyPressEvent(event);
    }

private:
    TAnalyserForm* m_form;
};

TAnalyserForm::TAnalyserForm(QWidget* parent) : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("AnalyserForm"));
    setWindowTitle(QStringLiteral("Logic History"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(639, 257);

    CreateActions();

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    NamesBox = new QScrollArea(central);
    NamesBox->setObjectName(QStringLiteral("NamesBox"));
    NamesBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    NamesBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    NamesBox->setFrameShape(QFrame::NoFrame);
    NamesBox->setFixedWidth(0);
    m_namesBox = new TNamesBox(this);
    NamesBox->setWidget(m_namesBox);
    TracesBox = new QScrollArea(central);
    TracesBox->setObjectName(QStringLiteral("TracesBox"));
    TracesBox->setBackgroundRole(QPalette::Base);
    QPalette ivory = TracesBox->palette();
    ivory.setColor(QPalette::Base, ColourToQColor(kBackground));
    TracesBox->setPalette(ivory);
    m_traceBox = new TTraceBox(this);
    TracesBox->setWidget(m_traceBox);
    layout->addWidget(NamesBox);
    layout->addWidget(TracesBox, 1);
    setCentralWidget(central);
    // The names scroll with the rows of the traces.
    connect(TracesBox->verticalScrollBar(), &QScrollBar::valueChanged, NamesBox->verticalScrollBar(),
            &QScrollBar::setValue);

    StatusPanel = new QLabel(this);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setFixedWidth(108);
    CursorPanel = new QLabel(this);
    CursorPanel->setObjectName(QStringLiteral("CursorPanel"));
    statusBar()->addWidget(StatusPanel);
    statusBar()->addWidget(CursorPanel, 1);

    FitTraceBox(0);
    UpdateCycleLength();
    if (!g_instance)
        g_instance = this;
}

TAnalyserForm::~TAnalyserForm() {
    if (g_instance == this)
        g_instance = nullptr;
}

TAnalyserForm* TAnalyserForm::Instance() {
    return g_instance;
}

void TAnalyserForm::CreateActions() {
    QStyle* style = this->style();
    auto action = [this](const char* name, const QString& text, bool checkable) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(text);
        a->setCheckable(checkable);
        return a;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    MenuExportVcd = action("MenuExportVcd", QStringLiteral("Export &VCD..."), false);
    MenuExportPicture = action("MenuExportPicture", QStringLiteral("Export &Picture..."), false);
    connect(MenuExportVcd, &QAction::triggered, this, &TAnalyserForm::ExportVcdClick);
    connect(MenuExportPicture, &QAction::triggered, this, &TAnalyserForm::ExportPictureClick);
    file->addAction(MenuExportVcd);
    file->addAction(MenuExportPicture);
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("MenuClose"));
    connect(close, &QAction::triggered, this, &QWidget::hide);

    MenuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    MenuOptions->setObjectName(QStringLiteral("MenuOptions"));
    MenuHighlight = action("MenuHighlight", QStringLiteral("&Highlight When Clock High"), true);
    MenuHighlight->setChecked(true);
    MenuHighlight->setEnabled(false);
    connect(MenuHighlight, &QAction::triggered, this, [this] { m_traceBox->update(); });
    MenuOptions->addAction(MenuHighlight);
    connect(MenuOptions, &QMenu::aboutToShow, this, &TAnalyserForm::MenuOptionsPopup);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    QAction* topics = help->addAction(QStringLiteral("&Help Topics..."));
    topics->setObjectName(QStringLiteral("MenuHelpTopics"));
    connect(topics, &QAction::triggered, this,
            [] { ShowHelpTopic(HelpFilePath(), kHelpWindowName, QStringLiteral("LogicHistory.htm")); });

    SpeedRun = action("SpeedRun", QStringLiteral("Run"), true);
    SpeedRun->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    SpeedStop = action("SpeedStop", QStringLiteral("Stop"), false);
    SpeedStop->setIcon(style->standardIcon(QStyle::SP_MediaStop));
    SpeedPause = action("SpeedPause", QStringLiteral("Pause"), true);
    SpeedPause->setIcon(style->standardIcon(QStyle::SP_MediaPause));
    SpeedStep = action("SpeedStep", QStringLiteral("Step"), false);
    SpeedStep->setIcon(style->standardIcon(QStyle::SP_MediaSkipForward));
    SpeedToggleMode = action("SpeedToggleMode", QStringLiteral("Toggle Display Mode"), true);
    SpeedToggleMode->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    SpeedToggleMode->setChecked(true);
    connect(SpeedRun, &QAction::triggered, this, [this](bool down) { emit RunClicked(down); });
    connect(SpeedStop, &QAction::triggered, this, [this] {
        SpeedRun->setChecked(false);
        emit StopClicked();
    });
    connect(SpeedPause, &QAction::triggered, this, [this](bool down) { emit PauseClicked(down); });
    connect(SpeedStep, &QAction::triggered, this, [this] { emit StepClicked(); });
    connect(SpeedToggleMode, &QAction::triggered, this, &TAnalyserForm::ToggleModeClick);

    QToolBar* tools = addToolBar(QStringLiteral("Run Control"));
    tools->setObjectName(QStringLiteral("ToolBar"));
    tools->setMovable(false);
    tools->addActions({SpeedRun, SpeedStop, SpeedPause, SpeedStep});
    tools->addSeparator();
    tools->addAction(SpeedToggleMode);
    tools->addSeparator();
    EditCycleLength = new QLineEdit(tools);
    EditCycleLength->setObjectName(QStringLiteral("EditCycleLength"));
    EditCycleLength->setToolTip(QStringLiteral("Cycle Length"));
    EditCycleLength->setEnabled(false);
    EditCycleLength->setFixedWidth(40);
    tools->addWidget(EditCycleLength);
    UpDownRange = new QSpinBox(tools);
    UpDownRange->setObjectName(QStringLiteral("UpDownRange"));
    UpDownRange->setToolTip(QStringLiteral("Clock Cycle Range"));
    UpDownRange->setRange(2, 8);
    UpDownRange->setValue(5);
    UpDownRange->setFixedWidth(40);
    tools->addWidget(UpDownRange);
    connect(UpDownRange, &QSpinBox::valueChanged, this, [this] {
        UpdateCycleLength();
        // A shorter range may show fewer samples than were drawn.
        m_painted = 0;
        FitTraceBox(ShownSamples());
        m_traceBox->update();
        DrawTraces();
    });
}

void TAnalyserForm::showEvent(QShowEvent* event) {
    UpdateCycleLength();
    QMainWindow::showEvent(event);
}

void TAnalyserForm::UpdateCycleLength() {
    EditCycleLength->setText(QString::number(CycleRange()));
}

int TAnalyserForm::CycleRange() const {
    return 1 << UpDownRange->value();
}

bool TAnalyserForm::TraceMode() const {
    return SpeedToggleMode->isChecked();
}

int TAnalyserForm::ShownSamples() const {
    int longest = 0;
    for (const THistoryDevice* device : Traces)
        longest = std::max(longest, static_cast<int>(device->History.size()));
    return std::min(longest, 2 * CycleRange());
}

void TAnalyserForm::SetRunDown(bool down) {
    SpeedRun->setChecked(down);
}

void TAnalyserForm::SetPauseDown(bool down) {
    SpeedPause->setChecked(down);
}

void TAnalyserForm::MenuOptionsPopup() {
    MenuHighlight->setEnabled(!TraceMode());
}

void TAnalyserForm::ToggleModeClick() {
    m_painted = 0;
    FitTraceBox(0);
    m_traceBox->update();
    DrawTraces();
}

// ---------------------------------------------------------------------------------------------------
// Rebuilding and drawing

QString TAnalyserForm::TraceName(int row) const {
    return DeviceName(Traces[static_cast<size_t>(row)]);
}

int TAnalyserForm::NamesWidth() const {
    if (Traces.empty())
        return 0;
    const QFontMetrics metrics(NameFont(font()));
    int widest = 0;
    for (int row = 0; row < static_cast<int>(Traces.size()); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(TraceName(row)));
    return widest + 20;
}

void TAnalyserForm::RebuildTraces() {
    m_painted = 0;
    m_cursorStep = 0;
    CursorPanel->clear();
    TickCount = 1;
    HasTiming = false;
    for (THistoryDevice* device : Traces) {
        device->Reset();
        if (IsA<TClockDevice>(device) || IsA<TBitGenerator>(device))
            HasTiming = true;
    }
    const int rowsHeight = TopMargin + kRowHeight * static_cast<int>(Traces.size()) + kRowHeight;
    NamesBox->setFixedWidth(NamesWidth());
    m_namesBox->resize(NamesWidth(), rowsHeight);
    LeftMargin = 10;
    FitTraceBox(0);
    m_namesBox->update();
    m_traceBox->update();
}

void TAnalyserForm::ReleaseDevice(const THistoryDevice* device) {
    const auto end = device ? std::remove(Traces.begin(), Traces.end(), device) : Traces.begin();
    if (end == Traces.end())
        return;
    Traces.erase(end, Traces.end());
    m_painted = 0;
    m_cursorStep = 0;
    CursorPanel->clear();
    NamesBox->setFixedWidth(NamesWidth());
    m_namesBox->update();
    m_traceBox->update();
}

void TAnalyserForm::FitTraceBox(int samples) {
    const int needed =
        TraceMode() ? kColumn * samples + LeftMargin + 2 * kColumn : LeftMargin + kColumn * samples + kColumn;
    const int visible = TracesBox->viewport()->width();
    const int height = std::max(TracesBox->viewport()->height(),
                                TopMargin + kRowHeight * static_cast<int>(Traces.size()) + kRowHeight);
    const QSize size(std::max(visible, needed), height);
    if (m_traceBox->size() != size)
        m_traceBox->resize(size);
    if (needed > visible)
        TracesBox->horizontalScrollBar()->setValue(TracesBox->horizontalScrollBar()->maximum());
}

QRect TAnalyserForm::ColumnRect(int first, int last) const {
    // A trace column k spans [LeftMargin + 8k, LeftMargin + 8k + 8], its edge from the sample
    // before included; a digit k starts 8 pixels earlier.
    const int shift = TraceMode() ? 0 : -kColumn;
    const int left = LeftMargin + kColumn * first + shift - 1;
    const int right = LeftMargin + kColumn * (last + 1) + shift + 1;
    return QRect(left, 0, right - left + 1, m_traceBox->height());
}

int TAnalyserForm::SampleAt(int x) const {
    const int offset = x - LeftMargin;
    if (offset < 0)
        return 0;
    const int sample = offset / kColumn + (TraceMode() ? 0 : 1);
    return sample >= 1 && sample <= ShownSamples() ? sample : 0;
}

void TAnalyserForm::DrawTraces() {
    const int range = CycleRange();
    QString status;
    if (!Traces.empty()) {
        const int cycles = TickCount / 2;
        if (cycles > range)
            status = QStringLiteral("Cycle %1 completed").arg(range);
        else if (cycles != 0)
            status = QStringLiteral("Cycle %1 completed").arg(cycles);
    }
    if (StatusPanel->text() != status)
        StatusPanel->setText(status);

    const int shown = ShownSamples();
    if (shown == m_painted)
        return;
    FitTraceBox(shown);
    if (shown < m_painted) {
        // The histories were emptied behind our back (a reset): everything is drawn again.
        m_traceBox->update();
    } else {
        m_traceBox->update(ColumnRect(m_painted + 1, shown));
    }
    m_painted = shown;
}

QColor TAnalyserForm::TraceColour(const THistoryDevice* device) {
    if (IsA<TClockDevice>(device))
        return ColourToQColor(kClockColour);
    if (IsA<TBitGenerator>(device))
        return ColourToQColor(kGeneratorColour);
    return ColourToQColor(kOtherColour);
}

void TAnalyserForm::PaintNames(QPainter& painter) const {
    painter.setFont(NameFont(font()));
    painter.setPen(ColourToQColor(kNameColour));
    for (int row = 0; row < static_cast<int>(Traces.size()); ++row)
        painter.drawText(QRect(10, TopMargin + kRowHeight * row, 1000, kRowHeight),
                         Qt::AlignLeft | Qt::AlignTop, TraceName(row));
}

void TAnalyserForm::PaintTraces(QPainter& painter, const QRect& area) const {
    painter.fillRect(area, ColourToQColor(kBackground));
    const int limit = 2 * CycleRange();
    // The samples whose columns meet the area.
    const int shift = TraceMode() ? 0 : 1;
    const int first = std::max(1, (area.left() - LeftMargin) / kColumn + shift - 1);
    const int last = (area.right() - LeftMargin) / kColumn + shift + 1;
    const int highlight = MenuHighlight->isChecked() ? 0 : 1;
    for (int row = 0; row < static_cast<int>(Traces.size()); ++row) {
        const int y = TopMargin + kRowHeight * row;
        if (y > area.bottom() || y + kRowHeight <= area.top())
            continue;
        const THistoryDevice* device = Traces[static_cast<size_t>(row)];
        const QString& history = device->History;
        const int n = std::min({static_cast<int>(history.size()), limit, last});
        const QColor colour = TraceColour(device);
        if (TraceMode()) {
            painter.setPen(QPen(colour, 1));
            for (int k = first; k <= n; ++k) {
                const int x = LeftMargin + kColumn * k;
                const int level = history[k - 1] == QLatin1Char('1') ? y : y + kLevelHeight;
                if (k > 1) {
                    const int before = history[k - 2] == QLatin1Char('1') ? y : y + kLevelHeight;
                    if (before != level)
                        painter.drawLine(x, before, x, level);
                }
                painter.drawLine(x, level, x + kColumn, level);
            }
        } else {
            const bool clock = IsA<TClockDevice>(device);
            const QColor dim = ColourToQColor(kDimColour);
            for (int k = first; k <= n; ++k) {
                const bool coloured = clock || !HasTiming || k % 2 == highlight;
                painter.setPen(coloured ? colour : dim);
                painter.drawText(QRect(LeftMargin + kColumn * (k - 1), y, kColumn, kRowHeight),
                                 Qt::AlignLeft | Qt::AlignTop, QString(history[k - 1]));
            }
        }
    }
    if (m_cursorStep > 0) {
        const QRect column = ColumnRect(m_cursorStep, m_cursorStep);
        const int x = column.left() + 1 + kColumn / 2;
        painter.setPen(QPen(ColourToQColor(kCursorColour), 1, Qt::DashLine));
        painter.drawLine(x, 0, x, m_traceBox->height());
    }
}

// ---------------------------------------------------------------------------------------------------
// Time cursor

void TAnalyserForm::SetCursorStep(int step) {
    if (step == m_cursorStep)
        return;
    if (m_cursorStep > 0)
        m_traceBox->update(ColumnRect(m_cursorStep, m_cursorStep));
    m_cursorStep = step;
    if (step > 0)
        m_traceBox->update(ColumnRect(step, step));
    CursorPanel->setText(CursorText());
}

QString TAnalyserForm::CursorText() const {
    if (m_cursorStep <= 0)
        return QString();
    QStringList levels;
    for (int row = 0; row < static_cast<int>(Traces.size()); ++row) {
        const QString& history = Traces[static_cast<size_t>(row)]->History;
        const QString level =
            m_cursorStep <= history.size() ? QString(history[m_cursorStep - 1]) : QStringLiteral("-");
        levels << TraceName(row) + QLatin1Char(' ') + level;
    }
    return QStringLiteral("Step %1: ").arg(m_cursorStep) + levels.join(QStringLiteral(", "));
}

// ---------------------------------------------------------------------------------------------------
// Export

void TAnalyserForm::ExportVcd(const QString& path, const QString& scope) const {
    std::vector<TSignal> signalList;
    for (THistoryDevice* device : Traces)
        signalList.push_back({device, DeviceName(device), 1});
    const int samples = ShownSamples();
    SaveFileSafely(path, [&](QIODevice& device) {
        TVcdWriter writer(device, signalList, scope, QStringLiteral("tessivar"));
        std::vector<QString> values(signalList.size());
        for (int k = 1; k <= samples; ++k) {
            for (size_t i = 0; i < signalList.size(); ++i) {
                const QString& history = Traces[i]->History;
                // A shorter history holds its last level.
                if (k <= history.size())
                    values[i] =
                        history[k - 1] == QLatin1Char('1') ? QStringLiteral("1") : QStringLiteral("0");
                else if (values[i].isEmpty())
                    values[i] = QStringLiteral("0");
            }
            writer.Sample(k, values);
        }
        writer.Finish(samples + 1);
    });
}

QImage TAnalyserForm::Picture() const {
    const int names = NamesWidth();
    const int samples = ShownSamples();
    const int width =
        TraceMode() ? kColumn * samples + LeftMargin + 2 * kColumn : LeftMargin + kColumn * samples + kColumn;
    const int height = TopMargin + kRowHeight * static_cast<int>(Traces.size()) + kRowHeight / 2;
    QImage image(names + width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintNames(painter);
    painter.translate(names, 0);
    PaintTraces(painter, QRect(0, 0, width, height));
    return image;
}

void TAnalyserForm::ExportPicture(const QString& path) const {
    const bool svg = QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
    SaveFileSafely(path, [&](QIODevice& device) {
        const QImage picture = Picture();
        if (!svg) {
            if (!picture.save(&device, "PNG"))
                throw EWriteError(device.errorString().toStdString());
            return;
        }
        QSvgGenerator generator;
        generator.setOutputDevice(&device);
        generator.setSize(picture.size());
        generator.setViewBox(QRect(QPoint(0, 0), picture.size()));
        generator.setTitle(windowTitle());
        QPainter painter(&generator);
        painter.fillRect(QRect(QPoint(0, 0), picture.size()), Qt::white);
        PaintNames(painter);
        painter.translate(NamesWidth(), 0);
        PaintTraces(painter, QRect(0, 0, picture.width() - NamesWidth(), picture.height()));
    });
}

void TAnalyserForm::ExportVcdClick() {
    ExportAs(QStringLiteral("Export Value Change Dump"), QStringLiteral("Value Change Dump (*.vcd)"),
             QStringLiteral("vcd"), [this](const QString& path) { ExportVcd(path, CircuitName); });
}

void TAnalyserForm::ExportPictureClick() {
    ExportAs(QStringLiteral("Export Picture"), QStringLiteral("PNG Image (*.png);;SVG Image (*.svg)"),
             QStringLiteral("png"), [this](const QString& path) { ExportPicture(path); });
}

// Asks where to write, then writes; a failed write names the file and the reason.
void TAnalyserForm::ExportAs(const QString& title, const QString& filter, const QString& suffix,
                             const std::function<void(const QString&)>& write) {
    TUserDialogs::TFileRequest request;
    request.Title = title;
    request.InitialName = CircuitName;
    request.Filter = filter;
    request.DefaultSuffix = suffix;
    request.ConfirmOverwrite = true;
    const QString path = TUserDialogs::SaveFileName(this, request);
    if (path.isEmpty())
        return;
    try {
        write(path);
    } catch (const EWriteError& error) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Error, QString::fromStdString(error.what()));
    }
}
