#include "update/UpdateCheck.h"

#include "settings/StringTable.h"
#include "update/VersionRule.h"

namespace kelvora {

std::string updateInfoUrl(const std::string& vendorUrl) {
    return vendorUrl + kUpdateInfoPath;
}

void runUpdateCheck(CheckVariant variant, const StringTable& strings, const std::string& vendorUrl,
                    const std::string& currentVersion, const PageDownloader& download,
                    const std::function<void()>& openUpdatePage, UpdateView& view) {
    std::string published;
    const bool received = download(updateInfoUrl(vendorUrl), published);
    if (!view.closing()) {
        if (received && isNewerVersion(published, currentVersion)) {
            if (view.askYesNo(strings[kSlotUpdateQuestion]))
                openUpdatePage();
        } else if (variant == CheckVariant::OnDemand) {
            view.showInformation(strings[kSlotNoUpdate]);
        }
    }
    view.closeWindow();
}

} // namespace kelvora
