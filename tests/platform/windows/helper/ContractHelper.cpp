// A child for the Win32 contract tests. "claim": tries the single-instance token, reports through the semaphore
// "<name> claimed", then holds the token until the event "<name> done" is set; exit code 0 when it got the token,
// 1 when another held it. "wait": stays until the event "<name> done" is set.
#include <string>

#include "platform/SingleInstance.h"

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    const std::wstring mode = argv[1];
    const std::wstring name = argv[2];
    HANDLE done = OpenEventW(SYNCHRONIZE, FALSE, (name + L" done").c_str());
    if (done == nullptr)
        return 3;
    int result = 0;
    if (mode == L"claim") {
        const std::string utf8(name.begin(), name.end()); // the tests name tokens in ASCII
        result = kelvora::createSingleInstance()->claim(utf8) ? 0 : 1;
        HANDLE claimed = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, (name + L" claimed").c_str());
        if (claimed == nullptr)
            return 3;
        ReleaseSemaphore(claimed, 1, nullptr);
    }
    WaitForSingleObject(done, 60000);
    return result;
}
