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
        connect(label, &LinkLabel::clicked, this, [this, &item] { controller_.activate(item); });
        connect(label, &LinkLabel::hovered, this, [this, &item] { controller_.pointerOverItem(item); });
        connect(label, &LinkLabel::keyboardFocused, this,
                [this, &item] { controller_.focusEntered(item, navigation::FocusReason::Keyboard); });
        connect(label, &LinkLabel::focusLeft, this, [this, &item] { controller_.focusLeft(item); });
        if (!item.tabStop)
            continue;
        if (previousStop)
            setTabOrder(previousStop, label);
        previousStop = label;
    }
}

void frmMain::setUnderlined(const char* control, bool underlined) {
    if (auto* label = client_->findChild<LinkLabel*>(QLatin1String(control))) {
        QFont font = label->font();
        font.setUnderline(underlined);
        label->setFont(font);
    }
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
