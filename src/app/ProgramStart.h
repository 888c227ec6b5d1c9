#pragma once

#include <functional>
#include <string>

namespace kelvora {

class FileSystem;
class Registry;
class SingleInstance;
class StringTable;

using MessageSink = std::function<void(const std::string&)>;

// The start before any window: the language into `table` (its own message through `showError`), then the single
// instance. False when another instance runs: slot 101 has been shown through `showError` and nothing else
// happened, so the caller ends. On true the caller shows the splash, whose end calls ShellController::afterSplash.
bool beginProgram(Registry& registry, FileSystem& files, StringTable& table, SingleInstance& instance,
                  const MessageSink& showError);

// The vendor's web server: KELVORA_VENDOR_URL when it is a sound address, else the built-in one; a refused
// setting is told through `warn`.
std::string programVendorUrl(const MessageSink& warn);

} // namespace kelvora
