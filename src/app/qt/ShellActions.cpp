#include "app/qt/ShellActions.h"

#include <QMessageBox>

#include "platform/ProcessExit.h"
#include "settings/LanguageSetting.h"

namespace kelvora {

namespace {

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok, parent);
    // Texts come from language files: never let them render markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void ShellActions::errorBox(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Critical, text);
}

void ShellActions::informationBox(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Information, text);
}

void ShellActions::endProgramNow() {
    endProcessNow();
}

} // namespace kelvora
