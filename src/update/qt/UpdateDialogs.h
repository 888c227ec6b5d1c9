#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kelvora {

// The message boxes of the update check, replaceable so that window tests do not block on them.
struct UpdateDialogs {
    // The Yes/No question with the question icon, Yes the default; true for Yes.
    std::function<bool(QWidget* parent, const QString& text)> askYesNo;
    // The OK box with the information icon.
    std::function<void(QWidget* parent, const QString& text)> inform;

    static UpdateDialogs messageBoxes();
};

} // namespace kelvora
