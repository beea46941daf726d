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

} // namespace

void TMainForm::ReadSettings() {
    QSettings settings;

    // Window.
    {
        const QSize screen = QGuiApplication::primaryScreen()
                                 ? QGuiApplication::primaryScreen()->geometry().size()
                                 : QSize(1024, 768);
        TGroupReader group(settings, kWindowGroup);
        const bool maximized = group.Boolean(QStringLiteral("Maximized"));
        int top = 0, left = 0, width = 0, height = 0;
        if (!group.Failed && !maximized) {
            top = group.Integer(QStringLiteral("Top"));
            left = group.Integer(QStringLiteral("Left"));
            width = group.Integer(QStringLiteral("Width"));
            height = group.Integer(QStringLiteral("Height"));
        }
        if (group.Failed) {
            top = screen.height() / 8;
            left = screen.width() / 8;
            width = screen.width() / 8 * 6;
            height = screen.height() / 8 * 6;
        }
        if (!group.Failed && maximized) {
            setWindowState(windowState() | Qt::WindowMaximized);
        } else {
            move(left, top);
            resize(width, height);
        }
    }

    // View.
    {
        TGroupReader group(settings, kViewGroup);
        TGrid& grid = CircuitCanvas->Grid;
        const bool showGrid = group.Boolean(QStringLiteral("Show Grid"));
        const bool snap = group.Boolean(QStringLiteral("Snap"));
        const int snapSize = group.Integer(QStringLiteral("Snap Size"));
        const int displaySize = group.Integer(QStringLiteral("Display Size"));
        const int angle = group.Integer(QStringLiteral("Angle"));
        if (group.Failed) {
            m_menuShowGrid->setChecked(true);
            m_menuSnapToGrid->setChecked(true);
            grid.SnapSize = 5;
            grid.DisplaySize = 4;
            grid.AngleStep = 10;
        } else {
            m_menuShowGrid->setChecked(showGrid);
            m_menuSnapToGrid->setChecked(snap);
            grid.SnapSize = snapSize;
            grid.DisplaySize = displaySize;
            grid.AngleStep = angle;
        }
    }

    // Clock.
    {
        TGroupReader group(settings, kClockGroup);
        const int interval = group.Integer(QStringLiteral("Interval"));
        Clock->setInterval(group.Failed ? 100 : interval);
    }

    // Parts centre and logic history windows.
    {
        TGroupReader group(settings, kPartsCentreGroup);
        TWindowPlacement read{398, 597, 32, 32, false, false};
        auto take = [&group](int& field, const char* name) {
            const int value = group.Integer(QString::fromLatin1(name));
            if (!group.Failed)
                field = value;
        };
        int visible = 0, statusVisible = 0;
        take(read.Width, "Width");
        take(read.Height, "Height");
        take(read.Top, "Top");
        take(read.Left, "Left");
        take(visible, "Visible");
        take(statusVisible, "Status Visible");
        read.Visible = visible != 0;
        read.StatusVisible = statusVisible != 0;
        if (group.Failed) {
            // The defaults cover the position and the visibility; a size already read stays.
            read.Top = 32;
            read.Left = 32;
            read.Visible = false;
            read.StatusVisible = false;
        }
        PartsCentre = read;
    }
    {
        TGroupReader group(settings, kLogicHistoryGroup);
        TWindowPlacement read;
        read.Width = group.Integer(QStringLiteral("Width"));
        read.Height = group.Integer(QStringLiteral("Height"));
        read.Top = group.Integer(QStringLiteral("Top"));
        read.Left = group.Integer(QStringLiteral("Left"));
        read.Visible = group.Boolean(QStringLiteral("Visible"));
        LogicHistory = group.Failed ? TWindowPlacement{500, 186, 16, 16, false, false} : read;
    }

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

    // Values the grid set-up dialog and the clock speed menu could not have produced.
    TGrid& grid = CircuitCanvas->Grid;
    grid.SnapSize = InRange(grid.SnapSize, 5, 60, 5);
    grid.DisplaySize = InRange(grid.DisplaySize, 1, 5, 2);
    grid.AngleStep = InRange(grid.AngleStep, 5, 90, 10);
    if (std::find(std::begin(kClockIntervals), std::end(kClockIntervals), Clock->interval()) ==
        std::end(kClockIntervals))
        Clock->setInterval(100);
}

void TMainForm::WriteSettings() {
    QSettings settings;
    auto flag = [](bool value) { return value ? 1 : 0; };

    settings.beginGroup(kWindowGroup);
    if (isMaximized()) {
        // The normal placement stored last time stays for the next unmaximized start.
        settings.setValue(QStringLiteral("Maximized"), 1);
    } else {
        settings.setValue(QStringLiteral("Maximized"), 0);
        settings.setValue(QStringLiteral("Top"), pos().y());
        settings.setValue(QStringLiteral("Left"), pos().x());
        settings.setValue(QStringLiteral("Width"), width());
        settings.setValue(QStringLiteral("Height"), height());
    }
    settings.endGroup();

    const TGrid& grid = CircuitCanvas->Grid;
    settings.beginGroup(kViewGroup);
    settings.setValue(QStringLiteral("Show Grid"), flag(grid.ShowGrid));
    settings.setValue(QStringLiteral("Snap"), flag(grid.Snap));
    settings.setValue(QStringLiteral("Snap Size"), grid.SnapSize);
    settings.setValue(QStringLiteral("Display Size"), grid.DisplaySize);
    settings.setValue(QStringLiteral("Angle"), grid.AngleStep);
    settings.endGroup();

    settings.beginGroup(kClockGroup);
    settings.setValue(QStringLiteral("Interval"), Clock->interval());
    settings.endGroup();

    settings.beginGroup(kPartsCentreGroup);
    settings.setValue(QStringLiteral("Visible"), flag(PartsCentre.Visible));
    settings.setValue(QStringLiteral("Top"), PartsCentre.Top);
    settings.setValue(QStringLiteral("Left"), PartsCentre.Left);
    settings.setValue(QStringLiteral("Width"), PartsCentre.Width);
    settings.setValue(QStringLiteral("Height"), PartsCentre.Height);
    settings.setValue(QStringLiteral("Status Visible"), flag(PartsCentre.StatusVisible));
    settings.endGroup();

    settings.beginGroup(kLogicHistoryGroup);
    settings.setValue(QStringLiteral("Visible"), flag(LogicHistory.Visible));
    settings.setValue(QStringLiteral("Top"), LogicHistory.Top);
    settings.setValue(QStringLiteral("Left"), LogicHistory.Left);
    settings.setValue(QStringLiteral("Width"), LogicHistory.Width);
    settings.setValue(QStringLiteral("Height"), LogicHistory.Height);
    settings.endGroup();

    // Entries beyond the current history are left as they are.
    settings.beginGroup(kFileHistoryGroup);
    for (int i = 0; i < FileHistory.size(); ++i)
        settings.setValue(QString::number(i + 1), FileHistory[i]);
    settings.endGroup();

    settings.beginGroup(kFoldersGroup);
    settings.setValue(QStringLiteral("Datasheet Path"), DatasheetPath);
    settings.endGroup();
}
