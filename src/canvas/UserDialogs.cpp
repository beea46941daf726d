#include "canvas/UserDialogs.h"

#include <QFileDialog>
#include <QUrl>

std::function<QMessageBox::StandardButton(TUserDialogs::TKind, const QString&, QMessageBox::StandardButtons)>
    TUserDialogs::MessageHook;
std::function<QString(bool, const TUserDialogs::TFileRequest&)> TUserDialogs::FileHook;
std::function<bool(QDialog*)> TUserDialogs::DialogHook;

namespace {

QMessageBox::Icon IconFor(TUserDialogs::TKind kind) {
    switch (kind) {
    case TUserDialogs::TKind::Information:
        return QMessageBox::Information;
    case TUserDialogs::TKind::Warning:
        return QMessageBox::Warning;
    case TUserDialogs::TKind::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QString AskFile(QWidget* parent, const TUserDialogs::TFileRequest& request, bool save) {
    if (TUserDialogs::FileHook)
        return TUserDialogs::FileHook(save, request);
    QFileDialog dialog(parent, request.Title, request.Folder, request.Filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
    if (!request.Places.isEmpty()) {
        QList<QUrl> places = dialog.sidebarUrls();
        for (const QString& folder : request.Places)
            if (!folder.isEmpty())
                places << QUrl::fromLocalFile(folder);
        dialog.setSidebarUrls(places);
    }
    if (!request.InitialName.isEmpty())
        dialog.selectFile(request.InitialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QMessageBox::StandardButton TUserDialogs::Message(QWidget* parent, TKind kind, const QString& text,
                                                  QMessageBox::StandardButtons buttons) {
    if (MessageHook)
        return MessageHook(kind, text, buttons);
    QMessageBox box(IconFor(kind), QStringLiteral("Tessivar"), text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString TUserDialogs::OpenFileName(QWidget* parent, const TFileRequest& request) {
    return AskFile(parent, request, false);
}

QString TUserDialogs::SaveFileName(QWidget* parent, const TFileRequest& request) {
    return AskFile(parent, request, true);
}

bool TUserDialogs::Execute(QDialog* dialog) {
    if (DialogHook)
        return DialogHook(dialog);
    return dialog->exec() == QDialog::Accepted;
}
