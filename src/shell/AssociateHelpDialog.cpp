#include "shell/AssociateHelpDialog.h"

#include "drawing/Help.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

TAssociateHelpDialog* g_instance = nullptr;

QLineEdit* AddField(QWidget* page, const QString& label, const char* name) {
    auto* layout = static_cast<QFormLayout*>(page->layout());
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(name));
    layout->addRow(label, edit);
    return edit;
}

QWidget* AddPage(QTabWidget* pages, const char* name, const QString& caption) {
    auto* page = new QWidget(pages);
    page->setObjectName(QString::fromLatin1(name));
    page->setLayout(new QFormLayout);
    pages->addTab(page, caption);
    return page;
}

} // namespace

TAssociateHelpDialog::TAssociateHelpDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AssociateHelpDialog"));
    setWindowTitle(QStringLiteral("Attach Datasheet"));
    if (!g_instance)
        g_instance = this;

    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    One = AddPage(Pages, "One", QStringLiteral("Windows Help File"));
    Two = AddPage(Pages, "Two", QStringLiteral("Web Page"));
    Three = AddPage(Pages, "Three", QStringLiteral("Application Document"));
    EditFilename = AddField(One, QStringLiteral("Name:"), "EditFilename");
    EditContextID = AddField(One, QStringLiteral("Context ID:"), "EditContextID");
    EditURL = AddField(Two, QStringLiteral("URL:"), "EditURL");
    EditDocument = AddField(Three, QStringLiteral("Name:"), "EditDocument");
    // The help file page is reached only by loading a reference to a help file.
    Pages->setTabVisible(0, false);
    Pages->setTabEnabled(0, false);
    EditContextID->installEventFilter(this);
    // Pasted text obeys the same rule as typed keys.
    EditContextID->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), EditContextID));
    EditURL->setText(QStringLiteral("http://"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    QPushButton* help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("ButtonHelp"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &TAssociateHelpDialog::ButtonHelpClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Datasheet Source:"), this));
    layout->addWidget(Pages);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TAssociateHelpDialog::~TAssociateHelpDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TAssociateHelpDialog* TAssociateHelpDialog::Instance() {
    return g_instance;
}

void TAssociateHelpDialog::showEvent(QShowEvent* event) {
    FormShow();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TAssociateHelpDialog::FormShow() {
    EditFilename->clear();
    EditDocument->clear();
    EditContextID->setText(QStringLiteral("0"));
    EditURL->setText(QStringLiteral("http://"));
    Pages->setTabVisible(0, false);
    Pages->setTabEnabled(0, false);
    if (Datasheet.endsWith(QLatin1String(".hlp"))) {
        EditFilename->setText(Datasheet);
        EditContextID->setText(Context);
        Pages->setTabEnabled(0, true);
        Pages->setTabVisible(0, true);
        Pages->setCurrentWidget(One);
    } else if (Datasheet.endsWith(QLatin1String(".htm")) || Datasheet.endsWith(QLatin1String(".html")) ||
               Datasheet.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
               Datasheet.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        EditURL->setText(Datasheet);
        Pages->setCurrentWidget(Two);
    } else {
        EditDocument->setText(Datasheet);
        Pages->setCurrentWidget(Three);
    }
}

void TAssociateHelpDialog::ButtonOKClick() {
    QWidget* page = Pages->currentWidget();
    if (page == One) {
        Datasheet = EditFilename->text();
        Context = EditContextID->text();
    } else if (page == Two) {
        Datasheet = EditURL->text();
    } else {
        Datasheet = EditDocument->text();
    }
}

void TAssociateHelpDialog::ButtonHelpClick() {
    ShowHelpTopic(HelpFilePath(), kHelpWindowName, QStringLiteral("MacroAssignDatasheet.htm"));
}

bool TAssociateHelpDialog::EditContextIDKeyPress(int key) const {
    if (key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter)
        return true;
    return key >= Qt::Key_0 && key <= Qt::Key_9 && EditContextID->text().size() <= 3;
}

bool TAssociateHelpDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditContextID && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Editing keys that type nothing (arrows, delete) pass.
        if (!key->text().isEmpty() && !EditContextIDKeyPress(key->key()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
