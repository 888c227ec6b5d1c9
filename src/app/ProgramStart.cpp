#include "app/ProgramStart.h"

#include <cstdlib>

#include "info/VendorUrl.h"
#include "platform/SingleInstance.h"
#include "settings/Language.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"

namespace kelvora {

namespace {
constexpr int kSlotAlreadyRunning = 101;
}

bool beginProgram(Registry& registry, FileSystem& files, StringTable& table, SingleInstance& instance,
                  const MessageSink& showError) {
    LoadLanguage(registry, files, table, showError);
    // Test and claim in one step, so two copies started together cannot both pass.
    if (!instance.claim(kAppTitle)) {
        showError(table[kSlotAlreadyRunning]);
        return false;
    }
    return true;
}

std::string programVendorUrl(const MessageSink& warn) {
    const VendorUrlChoice choice = chooseVendorUrl(std::getenv("KELVORA_VENDOR_URL"), KELVORA_DEFAULT_VENDOR_URL);
    if (!choice.refusal.empty())
        warn(choice.refusal);
    return choice.url;
}

} // namespace kelvora
