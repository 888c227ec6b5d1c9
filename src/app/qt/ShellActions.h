#pragma once

#include <QString>

class QWidget;

namespace kelvora {

// What the shell does that a test must not: modal message boxes and ending the process at once.
class ShellActions {
public:
    virtual ~ShellActions() = default;

    // A message box titled with the application title, error icon and OK; waits for the user.
    virtual void errorBox(QWidget* parent, const QString& text);
    // The same with the information icon.
    virtual void informationBox(QWidget* parent, const QString& text);
    // Terminates the process immediately: no window unloads, nothing is flushed.
    virtual void endProgramNow();
};

} // namespace kelvora
