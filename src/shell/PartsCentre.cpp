#include "shell/PartsCentre.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "drawing/Help.h"
#include "model/CircuitFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStorageInfo>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

TPartsForm* g_instance = nullptr;

// The header of a circuit file is its signature and descriptors: a few hundred bytes. A file
// whose header does not fit in this many is not listed.
constexpr qint64 kHeaderBytes = 64 * 1024;

const char* const kDeleteQuestion = "Are you sure you want to delete this macro?";

// The file name without its last four characters (".tvm").
QString BaseName(const QString& fileName) {
    return fileName.left(fileName.size() - 4);
}

QIcon EntryIcon(int32_t imageIndex) {
    QStyle* style = QApplication::style();
    switch (imageIndex) {
    case TFileData::kFolderIcon:
        return style->standardIcon(QStyle::SP_DirIcon);
    case TFileData::kDatasheetIcon:
        return style->standardIcon(QStyle::SP_FileDialogInfoView);
    default:
        return style->standardIcon(QStyle::SP_FileIcon);
    }
}

} // namespace

TMacroHeader ReadMacroHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(kHeaderBytes);
    const QString base = BaseName(QFileInfo(path).fileName());
    TMacroHeader header;
    try {
        const TCircuitHeader read = ReadCircuitHeaderBytes(bytes);
        switch (read.Version) {
        case 0:
        case 20:
            header.Name = base;
            header.Result = 2;
            break;
        case 30:
        case kCircuitVersion:
            header.Name = read.Name.isEmpty() ? base : read.Name;
            header.Datasheet = read.Datasheet;
            header.Context = read.HelpContext;
            header.Result = header.Datasheet.isEmpty() ? 2 : 1;
            break;
        default:
            break;
        }
    } catch (const std::exception&) {
        return {};
    }
    return header;
}

// ---------------------------------------------------------------------------------------------------

TPartsList::TPartsList(TPartsForm* form) : QListWidget(form), m_form(form) {}

void TPartsList::mousePressEvent(QMouseEvent* event) {
    m_pressPoint = event->position().toPoint();
    QListWidgetItem* item = itemAt(m_pressPoint);
    if (item)
        setCurrentItem(item);
    m_form->ListMouseDown(event->button(), item, event->globalPosition().toPoint());
}

void TPartsList::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || m_form->DragPath.isEmpty())
        return;
    if ((event->position().toPoint() - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
        return;
    m_form->ListStartDrag();
}

void TPartsList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_form->ListDblClick(itemAt(event->position().toPoint()));
}

// ---------------------------------------------------------------------------------------------------

TPartsForm::TPartsForm(QWidget* parent) : QMainWindow(parent, Qt::Tool) {
    setObjectName(QStringLiteral("PartsForm"));
    setWindowTitle(QStringLiteral("Parts Centre"));
    resize(398, 597);
    if (!g_instance)
        g_instance = this;

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(NewAction("MenuClose", QStringLiteral("&Close")), &QAction::triggered, this, &QWidget::close);
    file->addAction(findChild<QAction*>(QStringLiteral("MenuClose")));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("MenuView"));
    connect(view, &QMenu::aboutToShow, this, &TPartsForm::MenuViewClick);
    m_viewMacroName = NewAction("ViewMacroName", QStringLiteral("&Macro Name"));
    view->addAction(m_viewMacroName);
    QMenu* byFile = view->addMenu(QStringLiteral("&Filename"));
    m_viewLarge = NewAction("ViewLarge", QStringLiteral("&Large Icons"));
    m_viewSmall = NewAction("ViewSmall", QStringLiteral("&Small Icons"));
    byFile->addAction(m_viewLarge);
    byFile->addAction(m_viewSmall);
    view->addSeparator();
    m_viewStatusBar = NewAction("ViewStatusBar", QStringLiteral("&Status Bar"));
    view->addAction(m_viewStatusBar);
    for (QAction* action : {m_viewMacroName, m_viewLarge, m_viewSmall, m_viewStatusBar})
        action->setCheckable(true);
    connect(m_viewMacroName, &QAction::triggered, this, [this] { SetViewStyle(TViewStyle::MacroName); });
    connect(m_viewLarge, &QAction::triggered, this, [this] { SetViewStyle(TViewStyle::LargeIcons); });
    connect(m_viewSmall, &QAction::triggered, this, [this] { SetViewStyle(TViewStyle::SmallIcons); });
    connect(m_viewStatusBar, &QAction::triggered, this, [this] { SetStatusBarVisible(!StatusBarVisible()); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* helpTopics = NewAction("HelpTopics", QStringLiteral("&Help Topics..."));
    connect(helpTopics, &QAction::triggered, this, &TPartsForm::HelpTopicsClick);
    help->addAction(helpTopics);

    QStyle* style = this->style();
    QToolBar* tools = addToolBar(QStringLiteral("Parts Centre"));
    tools->setObjectName(QStringLiteral("ToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_speedEditMacro = NewAction("SpeedEditMacro", QStringLiteral("Edit Macro"));
    m_speedChangeLevel = NewAction("SpeedChangeLevel", QStringLiteral("Up One Level"));
    m_speedChangeLevel->setIcon(style->standardIcon(QStyle::SP_FileDialogToParent));
    m_speedRoot = NewAction("SpeedRoot", QStringLiteral("Parts Centre Root"));
    m_speedRoot->setIcon(style->standardIcon(QStyle::SP_DirHomeIcon));
    m_speedDrive = NewAction("SpeedDrive", QStringLiteral("Change Drive"));
    m_speedDrive->setIcon(style->standardIcon(QStyle::SP_DriveHDIcon));
    for (QAction* action : {m_speedEditMacro, m_speedChangeLevel, m_speedRoot, m_speedDrive}) {
        action->setToolTip(action->text());
        tools->addAction(action);
    }
    connect(m_speedEditMacro, &QAction::triggered, this, &TPartsForm::SpeedEditMacroClick);
    connect(m_speedChangeLevel, &QAction::triggered, this, &TPartsForm::SpeedChangeLevelClick);
    connect(m_speedRoot, &QAction::triggered, this, &TPartsForm::SpeedRootClick);
    DriveMenu = new QMenu(this);
    DriveMenu->setObjectName(QStringLiteral("DriveMenu"));
    m_speedDrive->setMenu(DriveMenu);
    if (auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(m_speedDrive)))
        button->setPopupMode(QToolButton::InstantPopup);

    List = new TPartsList(this);
    List->setObjectName(QStringLiteral("List"));
    List->setFont(QFont(QStringLiteral("Arial"), 8));
    QPalette palette = List->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 240));
    List->setPalette(palette);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setMouseTracking(true);
    setCentralWidget(List);
    connect(List, &QListWidget::currentItemChanged, this, &TPartsForm::ListChange);

    ItemMenu = new QMenu(this);
    ItemMenu->setObjectName(QStringLiteral("ItemMenu"));
    m_popDelete = NewAction("PopDelete", QStringLiteral("&Delete"));
    m_popEditMacro = NewAction("PopEditMacro", QStringLiteral("&Edit Macro"));
    m_popViewDatasheet = NewAction("PopViewDatasheet", QStringLiteral("&View Datasheet..."));
    ItemMenu->addAction(m_popDelete);
    m_popSeparator = ItemMenu->addSeparator();
    ItemMenu->addAction(m_popEditMacro);
    ItemMenu->addAction(m_popViewDatasheet);
    connect(m_popDelete, &QAction::triggered, this, &TPartsForm::PopDeleteClick);
    connect(m_popEditMacro, &QAction::triggered, this, &TPartsForm::SpeedEditMacroClick);
    connect(m_popViewDatasheet, &QAction::triggered, this, &TPartsForm::PopViewDatasheetClick);

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->hide();
    SetViewStyle(TViewStyle::MacroName);
    UpdateEditMacro();
}

TPartsForm::~TPartsForm() {
    if (g_instance == this)
        g_instance = nullptr;
}

TPartsForm* TPartsForm::Instance() {
    return g_instance;
}

QAction* TPartsForm::NewAction(const char* name, const QString& text) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void TPartsForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!CurrentFolder.isEmpty())
        Refresh();
    BuildDriveMenu();
}

void TPartsForm::SetRootFolder(const QString& path) {
    RootFolder = QDir::cleanPath(path);
    CurrentFolder = RootFolder;
    ChangeFolder(RootFolder);
}

void TPartsForm::Refresh() {
    ChangeFolder(CurrentFolder);
}

bool TPartsForm::ChangeFolder(const QString& path) {
    bool entered = QFileInfo(CurrentFolder).isDir();
    if (!entered) {
        CurrentFolder = QDir::currentPath();
    } else {
        const QFileInfo target(QDir(CurrentFolder).filePath(path));
        if (target.isDir() && target.isReadable())
            CurrentFolder = QDir::cleanPath(target.absoluteFilePath());
    }
    RefreshList();
    m_speedChangeLevel->setEnabled(CurrentFolder != RootFolder && !QDir(CurrentFolder).isRoot());
    UpdateEditMacro();
    return entered;
}

void TPartsForm::RefreshList() {
    DragItem = nullptr;
    List->clear();
    m_entries.clear();
    const QDir folder(CurrentFolder);
    for (const QString& name :
         folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        TFileData entry;
        entry.Kind = TFileData::kFolder;
        entry.FileName = name;
        entry.MacroName = name;
        m_entries.push_back(entry);
    }
    const QFileInfoList files = folder.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& file : files) {
        if (file.suffix().toLower() != QLatin1String("tvm"))
            continue;
        const TMacroHeader header = ReadMacroHeader(file.absoluteFilePath());
        if (header.Result == 0)
            continue;
        TFileData entry;
        entry.Kind = TFileData::kMacroFile;
        // The read-only attribute, whoever runs the program.
        entry.ReadOnly = !(file.permissions() & QFileDevice::WriteOwner);
        entry.FileName = file.fileName();
        entry.MacroName = header.Name;
        entry.Datasheet = header.Datasheet;
        entry.HelpContext = header.Context;
        entry.ImageIndex = header.Result == 1 ? TFileData::kDatasheetIcon : TFileData::kMacroIcon;
        m_entries.push_back(entry);
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        auto* item = new QListWidgetItem(EntryIcon(m_entries[i].ImageIndex), QString(), List);
        item->setData(Qt::UserRole, static_cast<int>(i));
    }
    ShowCaptions();
}

const TFileData* TPartsForm::Data(const QListWidgetItem* item) const {
    if (!item)
        return nullptr;
    const int index = item->data(Qt::UserRole).toInt();
    return index >= 0 && index < static_cast<int>(m_entries.size()) ? &m_entries[static_cast<size_t>(index)]
                                                                    : nullptr;
}

QListWidgetItem* TPartsForm::FindItem(const QString& fileName) const {
    for (int i = 0; i < List->count(); ++i)
        if (const TFileData* entry = Data(List->item(i)); entry && entry->FileName == fileName)
            return List->item(i);
    return nullptr;
}

QString TPartsForm::MacroPath(const QListWidgetItem* item) const {
    const TFileData* entry = Data(item);
    return entry && entry->Kind == TFileData::kMacroFile ? QDir(CurrentFolder).filePath(entry->FileName)
                                                         : QString();
}

void TPartsForm::ShowCaptions() {
    for (int i = 0; i < List->count(); ++i) {
        QListWidgetItem* item = List->item(i);
        const TFileData* entry = Data(item);
        if (entry->Kind == TFileData::kFolder)
            item->setText(entry->FileName);
        else
            item->setText(m_viewStyle == TViewStyle::MacroName ? entry->MacroName
                                                               : BaseName(entry->FileName));
    }
}

void TPartsForm::SetViewStyle(TViewStyle style) {
    m_viewStyle = style;
    if (style == TViewStyle::LargeIcons) {
        List->setViewMode(QListView::IconMode);
        List->setIconSize(QSize(32, 32));
        List->setGridSize(QSize(96, 64));
    } else {
        List->setViewMode(QListView::ListMode);
        List->setIconSize(QSize(16, 16));
        List->setGridSize(QSize());
        List->setFlow(style == TViewStyle::SmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
        List->setWrapping(style == TViewStyle::SmallIcons);
    }
    List->setMovement(QListView::Static);
    List->setResizeMode(QListView::Adjust);
    List->setDragEnabled(false);
    ShowCaptions();
}

void TPartsForm::SetStatusBarVisible(bool visible) {
    statusBar()->setVisible(visible);
}

bool TPartsForm::StatusBarVisible() const {
    return !statusBar()->isHidden();
}

void TPartsForm::MenuViewClick() {
    m_viewMacroName->setChecked(m_viewStyle == TViewStyle::MacroName);
    m_viewLarge->setChecked(m_viewStyle == TViewStyle::LargeIcons);
    m_viewSmall->setChecked(m_viewStyle == TViewStyle::SmallIcons);
    m_viewStatusBar->setChecked(StatusBarVisible());
}

void TPartsForm::UpdateEditMacro() {
    const TFileData* entry = Data(List->currentItem());
    m_speedEditMacro->setEnabled(entry && entry->Kind == TFileData::kMacroFile);
}

void TPartsForm::ListMouseDown(Qt::MouseButton button, QListWidgetItem* item, QPoint globalPos) {
    const TFileData* entry = Data(item);
    if (button == Qt::LeftButton) {
        DragItem = nullptr;
        DragPath.clear();
        if (entry && entry->Kind == TFileData::kMacroFile) {
            DragItem = item;
            DragPath = MacroPath(item);
        } else if (entry) {
            statusBar()->clearMessage();
            // Copied: the list, and the entry with it, is rebuilt.
            const QString folder = entry->FileName;
            ChangeFolder(folder);
            return;
        }
    }
    PopupDatasheet.clear();
    PopupContext.clear();
    if (button == Qt::RightButton && entry && entry->Kind == TFileData::kMacroFile) {
        m_popDelete->setVisible(!entry->ReadOnly);
        m_popSeparator->setVisible(!entry->ReadOnly);
        m_popViewDatasheet->setVisible(!entry->Datasheet.isEmpty());
        PopupDatasheet = entry->Datasheet;
        PopupContext = entry->HelpContext;
        ItemMenu->popup(globalPos);
    }
    UpdateEditMacro();
}

void TPartsForm::ListDblClick(QListWidgetItem* item) {
    const TFileData* entry = Data(item);
    if (!entry)
        return;
    if (entry->Kind == TFileData::kFolder) {
        const QString folder = entry->FileName;
        ChangeFolder(folder);
        return;
    }
    const QString path = MacroPath(item);
    List->clearSelection();
    List->clearFocus();
    emit OnOpenMacro(path);
}

void TPartsForm::SpeedEditMacroClick() {
    const TFileData* entry = Data(List->currentItem());
    if (entry && entry->Kind == TFileData::kMacroFile)
        ListDblClick(List->currentItem());
    UpdateEditMacro();
}

void TPartsForm::ListChange() {
    const TFileData* entry = Data(List->currentItem());
    if (!entry || entry->Kind != TFileData::kMacroFile) {
        statusBar()->clearMessage();
    } else if (entry->MacroName != BaseName(entry->FileName)) {
        statusBar()->showMessage(entry->MacroName + QStringLiteral(" [") + entry->FileName +
                                 QStringLiteral("]"));
    } else {
        statusBar()->showMessage(entry->MacroName);
    }
    UpdateEditMacro();
}

void TPartsForm::ListStartDrag() {
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kPartMimeType), DragPath.toUtf8());
    auto* drag = new QDrag(List);
    drag->setMimeData(mime);
    if (DragItem)
        drag->setPixmap(DragItem->icon().pixmap(32, 32));
    drag->exec(Qt::CopyAction);
    DragItem = nullptr;
    DragPath.clear();
}

void TPartsForm::SpeedChangeLevelClick() {
    ChangeFolder(QStringLiteral(".."));
    UpdateEditMacro();
}

void TPartsForm::SpeedRootClick() {
    ChangeFolder(RootFolder);
}

void TPartsForm::HelpTopicsClick() {
    ShowHelpTopic(HelpFilePath(), kHelpWindowName, QStringLiteral("partscentre.htm"));
}

void TPartsForm::PopDeleteClick() {
    const TFileData* entry = Data(List->currentItem());
    if (!entry || entry->Kind != TFileData::kMacroFile)
        return;
    if (TUserDialogs::Message(this, TUserDialogs::TKind::Information, QString::fromLatin1(kDeleteQuestion),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    // A failed delete is not reported: the refreshed list still shows the file.
    QFile::remove(MacroPath(List->currentItem()));
    Refresh();
}

void TPartsForm::PopViewDatasheetClick() {
    emit OnViewDatasheet(PopupDatasheet, PopupContext);
}

void TPartsForm::BuildDriveMenu() {
    DriveMenu->clear();
    QStyle* style = this->style();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        QString caption = volume.displayName();
        if (caption != root)
            caption += QStringLiteral(" (") + root + QLatin1Char(')');
        QAction* action = DriveMenu->addAction(
            style->standardIcon(volume.isReadOnly() ? QStyle::SP_DriveCDIcon : QStyle::SP_DriveHDIcon),
            caption);
        connect(action, &QAction::triggered, this, [this, root] { ChangeFolder(root); });
    }
}

// ---------------------------------------------------------------------------------------------------
// Dropping a macro on the canvas

void TPartsForm::AcceptDropsOn(TDigitalDrawing* canvas) {
    m_canvas = canvas;
    canvas->setAcceptDrops(true);
    canvas->installEventFilter(this);
}

bool TPartsForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_canvas)
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!drag->mimeData()->hasFormat(QString::fromLatin1(kPartMimeType)))
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasFormat(QString::fromLatin1(kPartMimeType)))
            return false;
        drop->acceptProposedAction();
        const QString path = QString::fromUtf8(drop->mimeData()->data(QString::fromLatin1(kPartMimeType)));
        const QPoint at = m_canvas->View().ToCircuit(drop->position());
        if (m_canvas->InsertFile(path, at.x(), at.y(), true)) {
            auto* macro = KindCast<TMacro>(m_canvas->Handles->Selected());
            if (macro && !macro->Datasheet.isEmpty()) {
                const QPoint centre = macro->RoundedCentre();
                m_canvas->ShowMessage(centre.x(), centre.y(), TDigitalDrawing::TMessageKind::Notice, true,
                                      QStringLiteral("Datasheet available"));
            }
            emit OnPartDropped();
        }
        return true;
    }
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}
