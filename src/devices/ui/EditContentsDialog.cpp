#include "devices/ui/EditContentsDialog.h"

#include "canvas/UserDialogs.h"
#include "devices/MemoryDevice.h"
#include "devices/MemoryMap.h"
#include "drawing/GraphicObject.h"
#include "drawing/Help.h"
#include "drawing/Utils.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

TEditContentsDialog* g_instance = nullptr;

constexpr uint32_t kGridColour = 0xEAFFFF;
const char* const kClearQuestion = "Clear all memory contents?";

class TBusy {
public:
    TBusy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusy() { QApplication::restoreOverrideCursor(); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;
};

TUserDialogs::TFileRequest MapRequest(const char* title) {
    TUserDialogs::TFileRequest request;
    request.Title = QString::fromLatin1(title);
    request.InitialName = QStringLiteral("Memory");
    request.Filter = QStringLiteral("Memory Files (*.map)");
    request.DefaultSuffix = QStringLiteral("map");
    return request;
}

} // namespace

// The grid's rows are the grid rows below the header: model row i is the word at address i.
class TContentsModel : public QAbstractTableModel {
public:
    explicit TContentsModel(TEditContentsDialog* dialog) : QAbstractTableModel(dialog), m_dialog(dialog) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() || !m_dialog->Memory ? 0 : m_dialog->Memory->WordCount;
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole)
            return m_dialog->CellText(index.column(), index.row() + 1);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return m_dialog->CellText(section, 0);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        // The address column can never be selected: editing happens only in the contents.
        if (index.column() == 0)
            return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
    bool setData(const QModelIndex&, const QVariant&, int) override { return false; }

    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, 1)); }
    void AllChanged() {
        if (rowCount({}) > 0)
            emit dataChanged(index(0, 0), index(rowCount({}) - 1, 1));
    }

private:
    TEditContentsDialog* m_dialog;
};

// The editor of a word: only the keys the mode allows come through, and only Enter, Up and Down
// store the word. Leaving the cell any other way loses the edit.
class TWordDelegate : public QStyledItemDelegate {
public:
    explicit TWordDelegate(TEditContentsDialog* dialog) : QStyledItemDelegate(dialog), m_dialog(dialog) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("WordEditor"));
        editor->setFrame(false);
        m_dialog->BeginEdit(index.row() + 1);
        connect(editor, &QLineEdit::textChanged, m_dialog, &TEditContentsDialog::EditTextChanged);
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex&) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        line->setText(m_dialog->EditText);
        line->end(false);
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        // However the editor went, an edit that was not stored is over.
        m_dialog->Editing = false;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QLineEdit*>(object);
        if (!editor || event->type() != QEvent::KeyPress)
            return QStyledItemDelegate::eventFilter(object, event);
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const int row = m_dialog->CurrentRow();
            if (m_dialog->Editing)
                m_dialog->CommitEdit();
            emit closeEditor(editor, NoHint);
            if (key->key() == Qt::Key_Up)
                m_dialog->SetCurrentRow(row - 1);
            else if (key->key() == Qt::Key_Down)
                m_dialog->SetCurrentRow(row + 1);
            return true;
        }
        case Qt::Key_Backspace:
            return false;
        case Qt::Key_Escape:
            return QStyledItemDelegate::eventFilter(object, event);
        default:
            break;
        }
        const QString text = key->text();
        if (text.size() == 1 &&
            m_dialog->KeyAllowed(text[0], editor->text(), static_cast<int>(editor->selectedText().size())))
            return false;
        return true;
    }

private:
    TEditContentsDialog* m_dialog;
};

TEditContentsDialog::TEditContentsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("EditContentsDialog"));
    setWindowTitle(QStringLiteral("Memory Contents"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    auto* menus = new QMenuBar(this);
    layout->setMenuBar(menus);
    QMenu* file = menus->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    MenuClearMemory = file->addAction(QStringLiteral("C&lear Memory"));
    MenuClearMemory->setObjectName(QStringLiteral("MenuClearMemory"));
    file->addSeparator();
    MenuOpen = file->addAction(QStringLiteral("&Open..."));
    MenuOpen->setObjectName(QStringLiteral("MenuOpen"));
    MenuSave = file->addAction(QStringLiteral("&Save"));
    MenuSave->setObjectName(QStringLiteral("MenuSave"));
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("MenuClose"));
    QMenu* help = menus->addMenu(QStringLiteral("&Help"));
    QAction* topics = help->addAction(QStringLiteral("&Help Topics..."));
    topics->setObjectName(QStringLiteral("MenuHelpTopics"));
    connect(MenuClearMemory, &QAction::triggered, this, &TEditContentsDialog::ClearMemoryClick);
    connect(MenuOpen, &QAction::triggered, this, &TEditContentsDialog::OpenClick);
    connect(MenuSave, &QAction::triggered, this, &TEditContentsDialog::SaveClick);
    connect(close, &QAction::triggered, this, &QWidget::hide);
    connect(topics, &QAction::triggered, this, [] {
        ShowHelpTopic(HelpFilePath(), kHelpWindowName, QStringLiteral("MemoryContentsWindow.htm"));
    });

    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("ToolBar"));
    QStyle* style = this->style();
    auto addButton = [tools, style](const char* name, const char* hint, QStyle::StandardPixmap icon) {
        QAction* action = tools->addAction(style->standardIcon(icon), QString::fromLatin1(hint));
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(QString::fromLatin1(hint));
        return action;
    };
    connect(addButton("SpeedNew", "New", QStyle::SP_FileIcon), &QAction::triggered, this,
            &TEditContentsDialog::ClearMemoryClick);
    connect(addButton("SpeedOpen", "Open", QStyle::SP_DialogOpenButton), &QAction::triggered, this,
            &TEditContentsDialog::OpenClick);
    connect(addButton("SpeedSave", "Save", QStyle::SP_DialogSaveButton), &QAction::triggered, this,
            &TEditContentsDialog::SaveClick);
    layout->addWidget(tools);

    m_model = new TContentsModel(this);
    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setModel(m_model);
    Grid->setItemDelegate(new TWordDelegate(this));
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(16);
    Grid->verticalHeader()->setMinimumSectionSize(16);
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Grid->setColumnWidth(0, 60);
    Grid->setColumnWidth(1, 185);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    Grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                          QAbstractItemView::EditKeyPressed);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette yellow = Grid->palette();
    yellow.setColor(QPalette::Base, ColourToQColor(kGridColour));
    Grid->setPalette(yellow);
    Grid->setFixedSize(60 + 185 + Grid->verticalScrollBar()->sizeHint().width() + 2 * Grid->frameWidth(),
                       260);
    connect(Grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.column() == 0)
                    Grid->setCurrentIndex(m_model->index(current.row(), 1));
            });
    layout->addWidget(Grid);

    auto* lower = new QHBoxLayout;
    RadioBinary = new QRadioButton(QStringLiteral("Binary"), this);
    RadioBinary->setObjectName(QStringLiteral("RadioBinary"));
    RadioBinary->setChecked(true);
    RadioHexadecimal = new QRadioButton(QStringLiteral("Hexadecimal"), this);
    RadioHexadecimal->setObjectName(QStringLiteral("RadioHexadecimal"));
    connect(RadioBinary, &QRadioButton::toggled, this, &TEditContentsDialog::RepaintGrid);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    lower->addWidget(RadioBinary);
    lower->addWidget(RadioHexadecimal);
    lower->addStretch();
    lower->addWidget(ok);
    layout->addLayout(lower);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (!g_instance)
        g_instance = this;
}

TEditContentsDialog::~TEditContentsDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TEditContentsDialog* TEditContentsDialog::Instance() {
    return g_instance;
}

void TEditContentsDialog::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        if (QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Showing

void TEditContentsDialog::ShowMemory(TMemoryDevice* device) {
    // Resetting the model also closes an editor that is open.
    Memory = device;
    m_model->Reset();
    SetCurrentRow(1);
    EditText.clear();
    Editing = false;
    if (device && device->DataBits > 3) {
        RadioHexadecimal->setEnabled(true);
    } else {
        RadioBinary->setChecked(true);
        RadioHexadecimal->setEnabled(false);
    }
    if (isVisible())
        RepaintGrid();
}

void TEditContentsDialog::ReleaseDevice(const TMemoryDevice* device) {
    if (!Memory || (device && device != Memory))
        return;
    hide();
    ShowMemory(nullptr);
}

void TEditContentsDialog::RefreshContents() {
    // An edit in progress keeps its row: moving away would lose what the user is typing.
    if (!Memory || Editing)
        return;
    const int row = Memory->LastAddress + 1;
    SetCurrentRow(row);
    m_model->RowChanged(row - 1);
}

int TEditContentsDialog::CurrentRow() const {
    const QModelIndex current = Grid->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void TEditContentsDialog::SetCurrentRow(int row) {
    if (!Memory || row < 1 || row > Memory->WordCount)
        return;
    const QModelIndex index = m_model->index(row - 1, 1);
    Grid->setCurrentIndex(index);
    Grid->scrollTo(index);
}

void TEditContentsDialog::RepaintGrid() {
    m_model->AllChanged();
    Grid->viewport()->update();
}

bool TEditContentsDialog::HexMode() const {
    return RadioHexadecimal->isChecked();
}

QString TEditContentsDialog::CellText(int column, int row) const {
    if (row == 0)
        return column == 0 ? QStringLiteral("Address") : QStringLiteral("Contents");
    if (column == 0)
        return QStringLiteral("$") +
               QString::number(row - 1, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    if (!Memory)
        return {};
    const uint32_t word = Memory->GetWord(row - 1);
    if (HexMode())
        return QString::number(word, 16).toUpper().rightJustified(Memory->DataBits / 4, QLatin1Char('0'));
    return IntToBin(word, Memory->DataBits);
}

QString TEditContentsDialog::EditTextOf(int row) const {
    if (!Memory)
        return {};
    const QString bits = IntToBin(Memory->GetWord(row - 1), Memory->DataBits);
    return HexMode() ? BinToHex(bits) : bits;
}

// ---------------------------------------------------------------------------------------------------
// Editing

void TEditContentsDialog::BeginEdit(int row) {
    m_editRow = row;
    EditText = EditTextOf(row);
    Editing = true;
}

void TEditContentsDialog::EditTextChanged(const QString& text) {
    EditText = text;
}

bool TEditContentsDialog::KeyAllowed(QChar key, const QString& text, int selected) const {
    if (!Memory)
        return false;
    const bool hex = HexMode();
    const int limit = hex ? Memory->DataBits / 4 : Memory->DataBits;
    const bool digit =
        hex ? key.isDigit() || (key.toLower() >= QLatin1Char('a') && key.toLower() <= QLatin1Char('f'))
            : key == QLatin1Char('0') || key == QLatin1Char('1');
    return digit && key.unicode() < 128 && text.size() - selected < limit;
}

void TEditContentsDialog::CommitEdit() {
    if (!Editing || !Memory)
        return;
    Editing = false;
    int32_t value = 0;
    try {
        value = BinToInt(HexMode() ? HexToBin(EditText) : EditText);
    } catch (const EConvertError&) {
        // The key filter admits only digits of the mode; anything else stores nothing.
        return;
    }
    Memory->SetWord(m_editRow - 1, static_cast<uint32_t>(value));
    m_model->RowChanged(m_editRow - 1);
    Edited(QStringLiteral("Edit Memory"));
}

void TEditContentsDialog::Edited(const QString& name) {
    if (OnEdited)
        OnEdited(name);
}

// ---------------------------------------------------------------------------------------------------
// Commands

void TEditContentsDialog::ClearMemoryClick() {
    if (!Memory)
        return;
    if (TUserDialogs::Message(this, TUserDialogs::TKind::Information, QString::fromLatin1(kClearQuestion),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    Memory->ClearWords();
    RepaintGrid();
    Edited(QStringLiteral("Clear Memory"));
}

void TEditContentsDialog::OpenClick() {
    if (!Memory)
        return;
    const QString path = TUserDialogs::OpenFileName(this, MapRequest("Open Memory Map"));
    if (!path.isEmpty())
        OpenMap(path);
}

void TEditContentsDialog::SaveClick() {
    if (!Memory)
        return;
    TUserDialogs::TFileRequest request = MapRequest("Save Memory Map");
    request.ConfirmOverwrite = true;
    const QString path = TUserDialogs::SaveFileName(this, request);
    if (!path.isEmpty())
        SaveMap(path);
}

bool TEditContentsDialog::OpenMap(const QString& path) {
    if (!Memory)
        return false;
    // A file that breaks off half-way must not leave the memory half loaded.
    const std::vector<uint16_t> before = Memory->Words;
    QString failure;
    {
        TBusy busy;
        try {
            OpenMemoryMap(path, *Memory);
        } catch (const std::exception& error) {
            Memory->Words = before;
            failure = QString::fromStdString(error.what());
        }
    }
    if (!failure.isEmpty()) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Error, failure);
        return false;
    }
    RepaintGrid();
    Edited(QStringLiteral("Load Memory Map"));
    return true;
}

bool TEditContentsDialog::SaveMap(const QString& path) {
    if (!Memory)
        return false;
    QString failure;
    {
        TBusy busy;
        try {
            SaveMemoryMap(path, *Memory);
        } catch (const std::exception& error) {
            failure = QString::fromStdString(error.what());
        }
    }
    if (!failure.isEmpty()) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Error, failure);
        return false;
    }
    return true;
}
