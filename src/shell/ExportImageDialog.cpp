#include "shell/ExportImageDialog.h"

#include "canvas/UserDialogs.h"
#include "picture/PictureWriter.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

TExportImageDialog* g_instance = nullptr;

} // namespace

TExportImageDialog::TExportImageDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExportImageDialog"));
    setWindowTitle(QStringLiteral("Export Image"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    EditFileName = new QLineEdit(this);
    EditFileName->setObjectName(QStringLiteral("EditFileName"));
    EditFileName->setMinimumWidth(260);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("ButtonBrowse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(EditFileName);
    fileRow->addWidget(browse);

    ScaleUpDown = new QSpinBox(this);
    ScaleUpDown->setObjectName(QStringLiteral("ScaleUpDown"));
    ScaleUpDown->setRange(10, 1000);
    ScaleUpDown->setSingleStep(25);
    ScaleUpDown->setSuffix(QStringLiteral(" %"));
    ScaleUpDown->setValue(100);

    auto* background = new QGroupBox(QStringLiteral("Background"), this);
    RadioWhite = new QRadioButton(QStringLiteral("&White"), background);
    RadioWhite->setObjectName(QStringLiteral("RadioWhite"));
    RadioTransparent = new QRadioButton(QStringLiteral("&Transparent"), background);
    RadioTransparent->setObjectName(QStringLiteral("RadioTransparent"));
    RadioWhite->setChecked(true);
    auto* backgroundRow = new QHBoxLayout(background);
    backgroundRow->addWidget(RadioWhite);
    backgroundRow->addWidget(RadioTransparent);

    CheckSelection = new QCheckBox(QStringLiteral("&Selection only"), this);
    CheckSelection->setObjectName(QStringLiteral("CheckSelection"));
    LabelSize = new QLabel(this);
    LabelSize->setObjectName(QStringLiteral("LabelSize"));

    auto* form = new QFormLayout;
    auto* fileLabel = new QLabel(QStringLiteral("&File:"), this);
    fileLabel->setBuddy(EditFileName);
    form->addRow(fileLabel, fileRow);
    form->addRow(QStringLiteral("S&cale:"), ScaleUpDown);
    form->addRow(background);
    form->addRow(CheckSelection);
    form->addRow(QStringLiteral("Size:"), LabelSize);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &TExportImageDialog::ButtonOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &TExportImageDialog::ButtonBrowseClick);
    connect(ScaleUpDown, &QSpinBox::valueChanged, this, &TExportImageDialog::ShowSize);
    connect(CheckSelection, &QCheckBox::toggled, this, &TExportImageDialog::ShowSize);
    if (!g_instance)
        g_instance = this;
}

TExportImageDialog::~TExportImageDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TExportImageDialog* TExportImageDialog::Instance() {
    return g_instance;
}

void TExportImageDialog::FormShow() {
    EditFileName->setText(FileName);
    ScaleUpDown->setValue(ScalePercent);
    (Transparent ? RadioTransparent : RadioWhite)->setChecked(true);
    const bool hasSelection = !SelectionArea.isEmpty();
    CheckSelection->setEnabled(hasSelection);
    CheckSelection->setChecked(hasSelection && SelectionOnly);
    ShowSize();
}

QRectF TExportImageDialog::ChosenArea() const {
    return CheckSelection->isChecked() && !SelectionArea.isEmpty() ? SelectionArea : LevelArea;
}

void TExportImageDialog::ShowSize() {
    const std::optional<QSize> size = PictureSize(ChosenArea(), ScaleUpDown->value() / 100.0);
    LabelSize->setText(size ? QStringLiteral("%1 x %2 pixels").arg(size->width()).arg(size->height())
                            : QStringLiteral("too large"));
}

void TExportImageDialog::ButtonBrowseClick() {
    TUserDialogs::TFileRequest request;
    request.Title = QStringLiteral("Export Image");
    const QFileInfo current(EditFileName->text().trimmed());
    request.Folder = current.path();
    request.InitialName = current.fileName();
    request.Filter = QStringLiteral("PNG Images (*.png);;SVG Drawings (*.svg);;PDF Documents (*.pdf)");
    request.DefaultSuffix = QStringLiteral("png");
    request.ConfirmOverwrite = true;
    const QString chosen = TUserDialogs::SaveFileName(this, request);
    if (chosen.isEmpty())
        return;
    EditFileName->setText(QDir::toNativeSeparators(chosen));
    m_confirmed = chosen;
}

void TExportImageDialog::ButtonOkClick() {
    const QString name = QDir::fromNativeSeparators(EditFileName->text().trimmed());
    auto refuse = [this](const QString& text) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Error, text);
    };
    if (name.isEmpty())
        return refuse(QStringLiteral("Choose the file to write."));
    if (!PictureFormatOf(name))
        return refuse(QStringLiteral("The file name must end in .png, .svg or .pdf."));
    if (!PictureSize(ChosenArea(), ScaleUpDown->value() / 100.0))
        return refuse(QStringLiteral("The picture would be larger than %1 pixels on a side; choose a smaller "
                                     "scale.")
                          .arg(kMaxPictureSide));
    if (QFileInfo(name).isDir())
        return refuse(QStringLiteral("'%1' is a folder.").arg(name));
    if (name != m_confirmed && QFileInfo::exists(name) &&
        TUserDialogs::Message(this, TUserDialogs::TKind::Warning,
                              QStringLiteral("'%1' already exists. Do you want to replace it?").arg(name),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    FileName = name;
    ScalePercent = ScaleUpDown->value();
    Transparent = RadioTransparent->isChecked();
    // A choice made without a selection says nothing about the next one.
    if (CheckSelection->isEnabled())
        SelectionOnly = CheckSelection->isChecked();
    m_confirmed.clear();
    accept();
}

void TExportImageDialog::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}
