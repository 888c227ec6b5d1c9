#include "update/qt/UpdateDialogs.h"

#include <QMessageBox>

#include "settings/LanguageSetting.h"

namespace kelvora {
namespace {

int runMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                  QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QString::fromUtf8(kAppTitle), text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    // A box without an owner (the silent check's) must not keep the program running after the main window closed.
    box.setAttribute(Qt::WA_QuitOnClose, false);
    return box.exec();
}

} // namespace

UpdateDialogs UpdateDialogs::messageBoxes() {
    UpdateDialogs dialogs;
    dialogs.askYesNo = [](QWidget* parent, const QString& text) {
        return runMessageBox(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::Yes) == QMessageBox::Yes;
    };
    dialogs.inform = [](QWidget* parent, const QString& text) {
        runMessageBox(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
    };
    return dialogs;
}

} // namespace kelvora
