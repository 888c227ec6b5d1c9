#pragma once

#include <string>

#include "frontend/AppServices.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "settings/StringTable.h"

namespace kelvora::test {

// The fake platform bundled the way main() bundles the real one; windows under test take `services`.
struct FakePlatform {
    explicit FakePlatform(std::string vendorUrl = "http://127.0.0.1:9")
        : services{strings, files, registry, memory, clock, processes, foreground, shell, std::move(vendorUrl)} {}
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    StringTable strings;
    fake::FakeFileSystem files;
    fake::FakeRegistry registry;
    fake::FakeMemoryInfo memory;
    fake::FakeTickClock clock;
    fake::FakeProcesses processes;
    fake::FakeForegroundWindows foreground;
    fake::FakeShell shell;
    AppServices services;
};

} // namespace kelvora::test
