// Processes through psapi and kernel32, the foreground window through user32.

#include <algorithm>

#include "platform/Processes.h"
#include "platform/windows/WideText.h"

// After the program's own headers: their Win32-named constants come before the macros of the same names.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#undef EnumProcesses // the method keeps its name; the call goes to K32EnumProcesses

namespace kelvora {
namespace {

class WindowsProcessHandle : public ProcessHandle {
public:
    explicit WindowsProcessHandle(HANDLE process) : process_(process) {}
    ~WindowsProcessHandle() override { CloseHandle(process_); }
    WindowsProcessHandle(const WindowsProcessHandle&) = delete;
    WindowsProcessHandle& operator=(const WindowsProcessHandle&) = delete;

    // Unlike the module-based call, this also reads 64-bit and protected processes.
    std::optional<std::string> ExecutablePath() override {
        std::wstring path(MAX_PATH, L'\0');
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD length = static_cast<DWORD>(path.size());
            if (QueryFullProcessImageNameW(process_, 0, path.data(), &length)) {
                path.resize(length);
                return windows::toUtf8(path);
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                return std::nullopt;
            path.resize(path.size() * 4);
        }
        return std::nullopt;
    }

    std::uint32_t GetPriorityClass() override { return ::GetPriorityClass(process_); }

    bool SetPriorityClass(std::uint32_t priorityClass) override {
        return ::SetPriorityClass(process_, priorityClass) != FALSE;
    }

private:
    HANDLE process_;
};

class WindowsProcesses : public Processes {
public:
    int GetPlatformId() override { return VER_PLATFORM_WIN32_NT; }

    std::vector<std::uint32_t> EnumProcesses() override {
        // The call cannot say how many there are: grow the buffer until it is not filled to the brim.
        std::vector<DWORD> ids(1024);
        for (;;) {
            DWORD bytes = 0;
            const auto offered = static_cast<DWORD>(ids.size() * sizeof(DWORD));
            if (!K32EnumProcesses(ids.data(), offered, &bytes))
                return {};
            if (bytes < offered) {
                ids.resize(bytes / sizeof(DWORD));
                return {ids.begin(), ids.end()};
            }
            ids.resize(ids.size() * 2);
        }
    }

    std::unique_ptr<ProcessHandle> OpenProcess(std::uint32_t access, std::uint32_t processId) override {
        HANDLE process = ::OpenProcess(access, FALSE, processId);
        if (process == nullptr)
            return nullptr;
        return std::make_unique<WindowsProcessHandle>(process);
    }

    std::optional<std::vector<std::string>> ProcessSnapshot() override {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return std::nullopt;
        std::vector<std::string> fields;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            // The field as the snapshot holds it: the name, then NULs to its full 260 characters.
            std::string field = windows::toUtf8(entry.szExeFile);
            field.resize(std::max<std::size_t>(field.size(), MAX_PATH), '\0');
            fields.push_back(std::move(field));
        }
        CloseHandle(snapshot);
        return fields;
    }
};

class WindowsForegroundWindows : public ForegroundWindows {
public:
    std::uint64_t GetForegroundWindow() override {
        return reinterpret_cast<std::uintptr_t>(::GetForegroundWindow());
    }

    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        if (window == 0)
            return 0;
        DWORD processId = 0;
        // Window handles travel as numbers through the interface. NOLINTNEXTLINE(performance-no-int-to-ptr)
        ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)), &processId);
        return processId;
    }
};

} // namespace

std::unique_ptr<Processes> createProcesses() {
    return std::make_unique<WindowsProcesses>();
}

std::unique_ptr<ForegroundWindows> createForegroundWindows() {
    return std::make_unique<WindowsForegroundWindows>();
}

} // namespace kelvora
