#include "shell/DatasheetPathDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

TDatasheetPathDialog* g_instance = nullptr;

} // namespace

TDatasheetPathDialog::TDatasheetPathDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DatasheetPathDialog"));
    setWindowTitle(QStringLiteral("Datasheet Path"));
    if (!g_instance)
        g_instance = this;

    auto* group = new QGroupBox(QStringLiteral("Path"), this);
    EditPath = new QLineEdit(group);
    EditPath->setObjectName(QStringLiteral("EditPath"));
    EditPath->setMinimumWidth(320);
    auto* note =
        new QLabel(QStringLiteral("The default Tessivar path is searched first in an attempt to locate a "
                                  "datasheet.  If the search fails, the above search path is used."),
                   group);
    note->setWordWrap(true);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(EditPath);
    groupLayout->addWidget(note);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

TDatasheetPathDialog::~TDatasheetPathDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TDatasheetPathDialog* TDatasheetPathDialog::Instance() {
    return g_instance;
}
