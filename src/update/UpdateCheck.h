#pragma once

#include <functional>
#include <string>

namespace kelvora {

class StringTable;

inline constexpr int kSlotUpdateQuestion = 144;
inline constexpr int kSlotCheckingCaption = 145;
inline constexpr int kSlotNoUpdate = 146;
inline constexpr int kSlotCancelCaption = 147;

inline constexpr const char* kUpdateInfoPath = "/updates/kvora-2008.txt";

// The silent check speaks only when a newer version exists; the check on demand always reports.
enum class CheckVariant { Silent, OnDemand };

// What the check needs from the window that runs it.
class UpdateView {
public:
    virtual ~UpdateView() = default;

    // The Yes/No question (Yes the default); true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void showInformation(const std::string& text) = 0;
    // True once the window was cancelled or closed; nothing more is shown then.
    virtual bool closing() const = 0;
    virtual void closeWindow() = 0;
};

// Fetches `page`; on success stores the body in `returnTo` and returns true.
using PageDownloader = std::function<bool(const std::string& page, std::string& returnTo)>;

std::string updateInfoUrl(const std::string& vendorUrl);

// One check: download the published version, ask to open the update page when it is newer, report otherwise
// (check on demand only), then close the window.
void runUpdateCheck(CheckVariant variant, const StringTable& strings, const std::string& vendorUrl,
                    const std::string& currentVersion, const PageDownloader& download,
                    const std::function<void()>& openUpdatePage, UpdateView& view);

} // namespace kelvora
