// The main window's navigation items as the shared table sets them up: what each does, the keyboard focus order,
// the focus cue and what assistive tools see.
#include <QKeyEvent>
#include <QPushButton>

#include "app/Navigation.h"
#include "app/qt/ShellWidgets.h"
#include "app/qt/frmMain.h"

namespace kelvora {

void frmMain::bindNavigation() {
    QWidget* previousStop = nullptr;
    for (const navigation::Item& item : navigation::kItems) {
        auto* label = client_->findChild<LinkLabel*>(QLatin1String(item.control));
        if (!label)
            continue;
        label->setAccessibleRole(item.role == navigation::Role::PageTab ? QAccessible::PageTab : QAccessible::Link);
        // Tab only: a mouse click leaves the focus where it was, so the window looks as it always did.
        label->setFocusPolicy(item.tabStop ? Qt::TabFocus : Qt::NoFocus);
        connect(label, &LinkLabel::clicked, this, [this, &item] { runCommand(static_cast<int>(item.command), item.page); });
        connect(label, &LinkLabel::keyboardFocused, this, [this, label, &item] { showFocusCue(label, item, true); });
        connect(label, &LinkLabel::focusLeft, this, [this, label, &item] { showFocusCue(label, item, false); });
        if (!item.tabStop)
            continue;
        if (previousStop)
            setTabOrder(previousStop, label);
        previousStop = label;
    }
}

void frmMain::runCommand(int command, int page) {
    switch (static_cast<navigation::Command>(command)) {
    case navigation::Command::ShowPage:
        ShowPage(page);
        break;
    case navigation::Command::ShowAbout:
        showAbout();
        break;
    case navigation::Command::EndProgram:
        endProgram();
        break;
    case navigation::Command::ShowUpdate:
        showUpdate();
        break;
    case navigation::Command::OpenReadme:
        links_.OpenReadme();
        break;
    case navigation::Command::OpenLicence:
        links_.OpenLicenseDocument();
        break;
    case navigation::Command::OpenHomePage:
        links_.OpenHomePage();
        break;
    case navigation::Command::None:
        break;
    }
}

void frmMain::showFocusCue(LinkLabel* label, const navigation::Item& item, bool shown) {
    if (item.hoverBar < 0) {
        QFont font = label->font();
        font.setUnderline(shown);
        label->setFont(font);
        return;
    }
    if (shown)
        ShowHoverImage(item.hoverBar);
    else if (hoverBars_[static_cast<std::size_t>(item.hoverBar)]->isVisible())
        ShowHoverImage(-1); // a bar the mouse has moved to since stays
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    // Buttons outside dialogs press only on Space; Enter, ignored by them, arrives here.
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       (event->modifiers() & ~Qt::KeypadModifier) == 0;
    if (button && enter && navigation::keyActivates(navigation::Key::Enter, event->isAutoRepeat())) {
        event->accept();
        button->animateClick();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

} // namespace kelvora
