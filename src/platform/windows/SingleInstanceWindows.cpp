// The token is a named mutex: creating it tells in one atomic step whether it already existed, and the system
// drops it when the last process holding a handle ends, however it ends.

#include "platform/SingleInstance.h"
#include "platform/windows/WideText.h"

// After the program's own headers: their Win32-named constants come before the macros of the same names.
#include <windows.h>

namespace kelvora {
namespace {

class MutexSingleInstance : public SingleInstance {
public:
    bool claim(const std::string& name) override {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, windows::toWide(name).c_str());
        const DWORD error = GetLastError();
        if (mutex == nullptr)
            // A mutex of another security context (an elevated instance) refuses us; anything else cannot tell,
            // and starting beats refusing.
            return error != ERROR_ACCESS_DENIED;
        if (error == ERROR_ALREADY_EXISTS) {
            CloseHandle(mutex);
            return false;
        }
        // The handle stays open on purpose until the process ends.
        return true;
    }
};

} // namespace

std::unique_ptr<SingleInstance> createSingleInstance() {
    return std::make_unique<MutexSingleInstance>();
}

} // namespace kelvora
