#pragma once

// The platform layer names some Win32 values itself (priority classes, registry roots); its headers come before
// the macros of <windows.h>, which every window file includes through this one.
#include "platform/FileSystem.h"
#include "platform/MemoryInfo.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"

#include <windows.h>
