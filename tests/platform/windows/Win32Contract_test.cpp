// The Win32 backend against the real services (under Wine in CI): each interface agrees with what the system
// itself reports, and another process sees what the backend wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/FileSystem.h"
#include "platform/MemoryInfo.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/windows/WideText.h"

#include <windows.h>
#undef GetComputerName

namespace kelvora {
namespace {

using windows::toUtf8;
using windows::toWide;

// Runs `commandLine` and returns what it wrote to its output.
std::string outputOf(const std::wstring& commandLine) {
    std::string output;
    if (FILE* pipe = _wpopen(commandLine.c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        _pclose(pipe);
    }
    return output;
}

// Children of the contract helper, started suspended and all released by one event.
class Helpers {
public:
    explicit Helpers(const std::wstring& name)
        : name_(name), done_(CreateEventW(nullptr, TRUE, FALSE, (name + L" done").c_str())),
          claimed_(CreateSemaphoreW(nullptr, 0, 16, (name + L" claimed").c_str())) {}
    ~Helpers() {
        finish();
        for (const PROCESS_INFORMATION& child : children_) {
            CloseHandle(child.hProcess);
            CloseHandle(child.hThread);
        }
        CloseHandle(done_);
        CloseHandle(claimed_);
    }
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;

    static std::wstring path() { return windows::executableFolder() + L"\\kelvora_contract_helper.exe"; }

    PROCESS_INFORMATION start(const std::wstring& mode) {
        std::wstring commandLine = L"\"" + path() + L"\" " + mode + L" \"" + name_ + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        EXPECT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                   nullptr, &startup, &child));
        children_.push_back(child);
        return child;
    }
    void resumeAll() {
        for (const PROCESS_INFORMATION& child : children_)
            ResumeThread(child.hThread);
    }
    bool waitClaimed() { return WaitForSingleObject(claimed_, 30000) == WAIT_OBJECT_0; }
    // Lets every child end and returns their exit codes.
    std::vector<DWORD> finish() {
        SetEvent(done_);
        std::vector<DWORD> codes;
        for (const PROCESS_INFORMATION& child : children_) {
            DWORD code = 99;
            WaitForSingleObject(child.hProcess, 30000);
            GetExitCodeProcess(child.hProcess, &code);
            codes.push_back(code);
        }
        return codes;
    }

private:
    std::wstring name_;
    HANDLE done_;
    HANDLE claimed_;
    std::vector<PROCESS_INFORMATION> children_;
};

TEST(Win32Contract, MemoryFiguresTickCountAndCommittedBlocks) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    const auto figures = createMemoryInfo()->GlobalMemoryStatus();
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->totalBytes, status.ullTotalPhys);
    // Other programs allocate meanwhile; a wrong field or unit would be off by far more than a tenth.
    const double slack = static_cast<double>(status.ullTotalPhys) / 10;
    EXPECT_NEAR(static_cast<double>(figures->availBytes), static_cast<double>(status.ullAvailPhys), slack);
    EXPECT_NEAR(static_cast<double>(figures->availBytes + figures->swapFreeBytes),
                static_cast<double>(std::max(status.ullAvailPageFile, status.ullAvailPhys)), slack);
    EXPECT_LE(createTickClock()->GetTickCount() - GetTickCount(), 1000u);

    const auto blocks = createBlockAllocator();
    std::vector<char16_t*> claimed;
    for (int i = 0; i < 4; ++i)
        claimed.push_back(blocks->claimBlock());
    for (char16_t* block : claimed) {
        ASSERT_NE(block, nullptr);
        MEMORY_BASIC_INFORMATION region{};
        ASSERT_NE(VirtualQuery(block, &region, sizeof region), 0u);
        EXPECT_EQ(region.State, static_cast<DWORD>(MEM_COMMIT));
        EXPECT_GE(region.RegionSize, BlockAllocator::kBlockBytes);
        EXPECT_TRUE(std::all_of(block, block + BlockAllocator::kBlockChars, [](char16_t c) { return c == u' '; }));
    }
    for (char16_t* block : claimed) {
        blocks->freeBlock(block);
        MEMORY_BASIC_INFORMATION region{};
        ASSERT_NE(VirtualQuery(block, &region, sizeof region), 0u);
        EXPECT_EQ(region.State, static_cast<DWORD>(MEM_FREE));
    }
}

TEST(Win32Contract, RegistryValuesRoundTripAndOtherProcessesSeeThem) {
    const std::string path = "SOFTWARE\\Talvek\\Kelvora 2008 contract\\Settings";
    const auto registry = createRegistry();
    RegKey key = kNullKey;
    ASSERT_EQ(registry->CreateKey(kHkeyCurrentUser, path, kKeyAllAccess, key), kErrorSuccess);
    const std::string polish = "Wybierz j\xC4\x99zyk";
    const struct {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    } values[] = {
        {"curLang", REG_SZ, {'P', 'o', 'l', 'i', 's', 'h', 0}},
        {"utf8", REG_SZ, {polish.begin(), polish.end() + 1}}, // with its NUL
        {"expand", REG_EXPAND_SZ, {'%', 'T', 'E', 'M', 'P', '%', 0}},
        {"number", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {"bigEndian", REG_DWORD_BIG_ENDIAN, {0x12, 0x34, 0x56, 0x78}},
        {"bytes", REG_BINARY, {0x00, 0xFF, 0x10}},
    };
    for (const auto& value : values) {
        SCOPED_TRACE(value.name);
        ASSERT_EQ(registry->SetValue(key, value.name, value.type, value.data), kErrorSuccess);
        std::uint32_t type = 0, size = 0;
        ASSERT_EQ(registry->QueryValue(key, value.name, type, size, nullptr), kErrorSuccess);
        EXPECT_EQ(type, value.type);
        ASSERT_EQ(size, value.data.size());
        std::vector<std::uint8_t> data;
        size -= 1;
        EXPECT_EQ(registry->QueryValue(key, value.name, type, size, &data), kErrorMoreData);
        EXPECT_EQ(registry->QueryValue(key, value.name, type, size, &data), kErrorSuccess);
        EXPECT_EQ(data, value.data);
    }
    ASSERT_EQ(registry->CloseKey(key), kErrorSuccess);

    // Another process reads what was written, and writes what this one reads.
    const std::wstring fullKey = L"HKCU\\" + toWide(path);
    const std::string listed = outputOf(L"reg.exe query \"" + fullKey + L"\" /v curLang");
    EXPECT_NE(listed.find("REG_SZ"), std::string::npos) << listed;
    EXPECT_NE(listed.find("Polish"), std::string::npos) << listed;
    outputOf(L"reg.exe add \"" + fullKey + L"\" /v fromReg /t REG_DWORD /d 2008 /f");
    ASSERT_EQ(registry->OpenKey(kHkeyCurrentUser, path, kKeyRead, key), kErrorSuccess);
    std::uint32_t type = 0, size = 4;
    std::vector<std::uint8_t> data;
    ASSERT_EQ(registry->QueryValue(key, "fromReg", type, size, &data), kErrorSuccess);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0xD8, 0x07, 0, 0}));
    registry->CloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Talvek\\Kelvora 2008 contract");
}

TEST(Win32Contract, MutexAdmitsExactlyOneOfTwoProcessesStartedTogether) {
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        Helpers helpers(L"Kelvora 2008");
        helpers.start(L"claim");
        helpers.start(L"claim");
        helpers.resumeAll();
        ASSERT_TRUE(helpers.waitClaimed());
        ASSERT_TRUE(helpers.waitClaimed());
        std::vector<DWORD> codes = helpers.finish();
        std::sort(codes.begin(), codes.end());
        EXPECT_EQ(codes, (std::vector<DWORD>{0, 1}));
    }
}

TEST(Win32Contract, ChildIsListedWithItsPathAndTakesAClassAndTheForegroundOwnerIsKnown) {
    Helpers helpers(L"Kelvora 2008 process contract");
    const PROCESS_INFORMATION child = helpers.start(L"wait");
    helpers.resumeAll();
    const auto processes = createProcesses();
    EXPECT_EQ(processes->GetPlatformId(), VER_PLATFORM_WIN32_NT);
    const auto ids = processes->EnumProcesses();
    EXPECT_NE(std::find(ids.begin(), ids.end(), child.dwProcessId), ids.end());
    auto opened = processes->OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_SET_INFORMATION,
                                         child.dwProcessId);
    ASSERT_TRUE(opened);
    const auto path = opened->ExecutablePath();
    ASSERT_TRUE(path);
    EXPECT_EQ(CompareStringOrdinal(toWide(*path).c_str(), -1, Helpers::path().c_str(), -1, TRUE), CSTR_EQUAL)
        << *path;
    for (std::uint32_t priorityClass : {BELOW_NORMAL_PRIORITY_CLASS, IDLE_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS}) {
        EXPECT_TRUE(opened->SetPriorityClass(priorityClass));
        EXPECT_EQ(opened->GetPriorityClass(), priorityClass);
        EXPECT_EQ(GetPriorityClass(child.hProcess), priorityClass);
    }
    // Under Wine without a display the foreground window is the desktop's, owned by another process.
    const auto foreground = createForegroundWindows();
    const std::uint64_t window = foreground->GetForegroundWindow();
    DWORD owner = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &owner);
    EXPECT_EQ(window, reinterpret_cast<std::uintptr_t>(GetForegroundWindow()));
    EXPECT_EQ(foreground->GetWindowThreadProcessId(window), owner);
    EXPECT_EQ(foreground->GetWindowThreadProcessId(0), 0u);
    const auto snapshot = processes->ProcessSnapshot();
    ASSERT_TRUE(snapshot);
    EXPECT_TRUE(std::any_of(snapshot->begin(), snapshot->end(), [](const std::string& field) {
        return field.size() == MAX_PATH && field.c_str() == std::string("kelvora_contract_helper.exe");
    }));
}

TEST(Win32Contract, ShellOpensOnlyWebPagesAndLanguageDocumentsAndNamesTheComputer) {
    const auto shell = createShell();
    const std::string folder = createFileSystem()->programFolder();
    EXPECT_EQ(toWide(folder), windows::executableFolder());
    for (const std::string& refused : std::vector<std::string>{"file:///C:/windows/notepad.exe", "ftp://127.0.0.1/", "mailto:a@b.c",
                                       "C:\\windows\\notepad.exe", folder + "\\test_platform.exe",
                                       folder + "\\languages\\..\\test_platform.exe", folder + "\\languages\\none.txt"})
        EXPECT_EQ(shell->ShellOpen(refused), 0) << refused;

    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &length));
    EXPECT_EQ(shell->GetComputerName(), toUtf8(name));
    EXPECT_FALSE(shell->GetComputerName().empty());
}

} // namespace
} // namespace kelvora
