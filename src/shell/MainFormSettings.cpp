// The main window's settings: read once at the first show, written once when a close is confirmed.

#include "canvas/DigitalDrawing.h"
#include "shell/MainForm.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

const QString kWindowGroup = QStringLiteral("Window");
const QString kViewGroup = QStringLiteral("View");
const QString kClockGroup = QStringLiteral("Clock");
const QString kPartsCentreGroup = QStringLiteral("Parts Centre");
const QString kLogicHistoryGroup = QStringLiteral("Logic History");
const QString kFileHistoryGroup = QStringLiteral("File History");
const QString kFoldersGroup = QStringLiteral("Folders");
const QString kNoEntry = QStringLiteral("##null##");

// Reads the values of one group. A group that does not exist, or a value that is missing or not
// of its type, makes Failed true; the caller then applies that group's defaults.
class TGroupReader {
public:
    TGroupReader(QSettings& settings, const QString& group) : m_settings(settings) {
        m_open = settings.childGroups().contains(group);
        if (m_open)
            settings.beginGroup(group);
        Failed = !m_open;
    }
    ~TGroupReader() {
        if (m_open)
            m_settings.endGroup();
    }
    TGroupReader(const TGroupReader&) = delete;
    TGroupReader& operator=(const TGroupReader&) = delete;

    int Integer(const QString& name) {
        if (Failed)
            return 0;
        bool ok = false;
        const int value = m_settings.value(name).toString().toInt(&ok);
        Failed = !ok;
        return value;
    }
    // Stored as 0 or 1.
    bool Boolean(const QString& name) { return Integer(name) != 0; }
    QString String(const QString& name) {
        if (Failed)
            return {};
        const QVariant value = m_settings.value(name);
        Failed = !value.isValid();
        return value.toString();
    }

    bool Failed;

private:
    QSettings& m_settings;
    bool m_open;
};

int InRange(int value, int low, int high, int repaired) {
    return value < low || value > high ? repaired : value;
}

// The values of a window placement group, in the order a group reads and writes them.
enum class TPlacementValue { Maximized, Width, Height, Top, Left, Visible, StatusVisible };

const char* ValueName(TPlacementValue value) {
    switch (value) {
    case TPlacementValue::Maximized:
        return "Maximized";
    case TPlacementValue::Width:
        return "Width";
    case TPlacementValue::Height:
        return "Height";
    case TPlacementValue::Top:
        return "Top";
    case TPlacementValue::Left:
        return "Left";
    case TPlacementValue::Visible:
        return "Visible";
    case TPlacementValue::StatusVisible:
        return "Status Visible";
    }
    return "";
}

// The placement's value as stored (a boolean as 0 or 1), and back.
int Get(const TMainForm::TWindowPlacement& placement, TPlacementValue value) {
    switch (value) {
    case TPlacementValue::Maximized:
        return placement.Maximized ? 1 : 0;
    case TPlacementValue::Width:
        return placement.Width;
    case TPlacementValue::Height:
        return placement.Height;
    case TPlacementValue::Top:
        return placement.Top;
    case TPlacementValue::Left:
        return placement.Left;
    case TPlacementValue::Visible:
        return placement.Visible ? 1 : 0;
    case TPlacementValue::StatusVisible:
        return placement.StatusVisible ? 1 : 0;
    }
    return 0;
}

void Set(TMainForm::TWindowPlacement& placement, TPlacementValue value, int number) {
    switch (value) {
    case TPlacementValue::Maximized:
        placement.Maximized = number != 0;
        break;
    case TPlacementValue::Width:
        placement.Width = number;
        break;
    case TPlacementValue::Height:
        placement.Height = number;
        break;
    case TPlacementValue::Top:
        placement.Top = number;
        break;
    case TPlacementValue::Left:
        placement.Left = number;
        break;
    case TPlacementValue::Visible:
        placement.Visible = number != 0;
        break;
    case TPlacementValue::StatusVisible:
        placement.StatusVisible = number != 0;
        break;
    }
}

// One window's placement group. Reading takes the values in the given order; a maximized window's
// other values are neither read nor written, so the normal placement stored before stays. When the
// group or a value is missing, the values read so far stay and the defaulted ones are applied.
struct TPlacementGroup {
    QString Group;
    std::vector<TPlacementValue> Order;
    TMainForm::TWindowPlacement Defaults;
    std::vector<TPlacementValue> Defaulted;

    TMainForm::TWindowPlacement Read(QSettings& settings) const {
        TGroupReader group(settings, Group);
        TMainForm::TWindowPlacement read = Defaults;
        for (TPlacementValue value : Order) {
            const int number = group.Integer(QString::fromLatin1(ValueName(value)));
            if (group.Failed)
                break;
            Set(read, value, number);
            if (value == TPlacementValue::Maximized && number != 0)
                return read;
        }
        if (group.Failed)
            for (TPlacementValue value : Defaulted)
                Set(read, value, Get(Defaults, value));
        return read;
    }

    void Write(QSettings& settings, const TMainForm::TWindowPlacement& placement) const {
        settings.beginGroup(Group);
        for (TPlacementValue value : Order) {
            settings.setValue(QString::fromLatin1(ValueName(value)), Get(placement, value));
            if (value == TPlacementValue::Maximized && placement.Maximized)
                break;
        }
        settings.endGroup();
    }
};

using enum TPlacementValue;

TPlacementGroup MainWindowGroup() {
    const QSize screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry().size()
                             : QSize(1024, 768);
    TMainForm::TWindowPlacement defaults;
    defaults.Top = screen.height() / 8;
    defaults.Left = screen.width() / 8;
    defaults.Width = screen.width() / 8 * 6;
    defaults.Height = screen.height() / 8 * 6;
    return {
        kWindowGroup, {Maximized, Top, Left, Width, Height}, defaults, {Maximized, Top, Left, Width, Height}};
}

// A size read before a failure stays: only the position and the visibility have defaults.
const TPlacementGroup kPartsCentrePlacement{kPartsCentreGroup,
                                            {Width, Height, Top, Left, Visible, StatusVisible},
                                            {398, 597, 32, 32, false, false, false},
                                            {Top, Left, Visible, StatusVisible}};
const TPlacementGroup kLogicHistoryPlacement{kLogicHistoryGroup,
                                             {Width, Height, Top, Left, Visible},
                                             {500, 186, 16, 16, false, false, false},
                                             {Width, Height, Top, Left, Visible, StatusVisible}};

} // namespace

void TMainForm::ReadSettings() {
    QSettings settings;

    const TWindowPlacement window = MainWindowGroup().Read(settings);
    if (window.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        move(window.Left, window.Top);
        resize(window.Width, window.Height);
    }

    TGrid grid = CircuitCanvas->Grid;
    {
        TGroupReader group(settings, kViewGroup);
        const bool showGrid = group.Boolean(QStringLiteral("Show Grid"));
        const bool snap = group.Boolean(QStringLiteral("Snap"));
        const int snapSize = group.Integer(QStringLiteral("Snap Size"));
        const int displaySize = group.Integer(QStringLiteral("Display Size"));
        const int angle = group.Integer(QStringLiteral("Angle"));
        m_menuShowGrid->setChecked(group.Failed || showGrid);
        m_menuSnapToGrid->setChecked(group.Failed || snap);
        grid.SnapSize = group.Failed ? 5 : snapSize;
        grid.DisplaySize = group.Failed ? 4 : displaySize;
        grid.AngleStep = group.Failed ? 10 : angle;
    }

    {
        TGroupReader group(settings, kClockGroup);
        const int interval = group.Integer(QStringLiteral("Interval"));
        Clock->setInterval(group.Failed ? 100 : interval);
    }

    PartsCentre = kPartsCentrePlacement.Read(settings);
    LogicHistory = kLogicHistoryPlacement.Read(settings);

    // File history: every value present is taken, in the stored order, gaps skipped.
    FileHistory.clear();
    settings.beginGroup(kFileHistoryGroup);
    for (int n = 1; n <= kHistorySize; ++n) {
        const QString entry = settings.value(QString::number(n), kNoEntry).toString();
        if (entry != kNoEntry)
            FileHistory << entry;
    }
    settings.endGroup();

    DatasheetPath.clear();
    {
        TGroupReader group(settings, kFoldersGroup);
        const QString path = group.String(QStringLiteral("Datasheet Path"));
        if (!group.Failed)
            DatasheetPath = path;
    }

    // Read apart from the group: a store written before there was a zoom keeps its other values.
    const int zoom = settings.value(kViewGroup + QStringLiteral("/Zoom"), 100).toInt();
    CircuitCanvas->ZoomAbout(InRange(zoom, TViewTransform::kMinPercent, TViewTransform::kMaxPercent, 100),
                             QPoint(0, 0));

    // Values the grid set-up dialog and the clock speed menu could not have produced.
    grid.SnapSize = InRange(grid.SnapSize, 5, 60, 5);
    grid.DisplaySize = InRange(grid.DisplaySize, 1, 5, 2);
    grid.AngleStep = InRange(grid.AngleStep, 5, 90, 10);
    grid.ShowGrid = m_menuShowGrid->isChecked();
    grid.Snap = m_menuSnapToGrid->isChecked();
    CircuitCanvas->SetGrid(grid);
    if (std::find(std::begin(kClockIntervals), std::end(kClockIntervals), Clock->interval()) ==
        std::end(kClockIntervals))
        Clock->setInterval(100);
}

void TMainForm::WriteSettings() {
    QSettings settings;
    auto flag = [](bool value) { return value ? 1 : 0; };

    TWindowPlacement window;
    window.Maximized = isMaximized();
    window.Top = pos().y();
    window.Left = pos().x();
    window.Width = width();
    window.Height = height();
    MainWindowGroup().Write(settings, window);

    const TGrid& grid = CircuitCanvas->Grid;
    settings.beginGroup(kViewGroup);
    settings.setValue(QStringLiteral("Show Grid"), flag(grid.ShowGrid));
    settings.setValue(QStringLiteral("Snap"), flag(grid.Snap));
    settings.setValue(QStringLiteral("Snap Size"), grid.SnapSize);
    settings.setValue(QStringLiteral("Display Size"), grid.DisplaySize);
    settings.setValue(QStringLiteral("Angle"), grid.AngleStep);
    settings.setValue(QStringLiteral("Zoom"), CircuitCanvas->ZoomPercent());
    settings.endGroup();

    settings.beginGroup(kClockGroup);
    settings.setValue(QStringLiteral("Interval"), Clock->interval());
    settings.endGroup();

    kPartsCentrePlacement.Write(settings, PartsCentre);
    kLogicHistoryPlacement.Write(settings, LogicHistory);

    // Entries beyond the current history are left as they are.
    settings.beginGroup(kFileHistoryGroup);
    for (int i = 0; i < FileHistory.size(); ++i)
        settings.setValue(QString::number(i + 1), FileHistory[i]);
    settings.endGroup();

    settings.beginGroup(kFoldersGroup);
    settings.setValue(QStringLiteral("Datasheet Path"), DatasheetPath);
    settings.endGroup();
}
