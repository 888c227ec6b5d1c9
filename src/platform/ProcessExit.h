#pragma once

#include <functional>

namespace kelvora {

// Runs the registered undos, newest first, then ends the process with status 0 without unloading anything.
[[noreturn]] void endProcessNow();

// "Exit" ends the process at once, past every destructor. What the program changed outside itself and must put
// back even then (cgroup weights of other applications) registers an undo here; ending at once runs them first.
// Everything runs on the user-interface thread.
class ExitUndo {
public:
    explicit ExitUndo(std::function<void()> undo);
    ~ExitUndo();
    ExitUndo(const ExitUndo&) = delete;
    ExitUndo& operator=(const ExitUndo&) = delete;

private:
    friend void endProcessNow();
    std::function<void()> undo_;
};

} // namespace kelvora
