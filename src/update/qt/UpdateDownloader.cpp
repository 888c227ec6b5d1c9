#include "update/qt/UpdateDownloader.h"

#include "update/Download.h"

namespace kelvora {

// Notes when the application ends a wait, so the window shows nothing more.
class UpdateDownloader::TrackingYield : public EventYield {
public:
    TrackingYield(QtEventYield& events, bool& abandoned) : events_(events), abandoned_(abandoned) {}
    bool yield() override {
        const bool keepWaiting = events_.yield();
        if (!keepWaiting)
            abandoned_ = true;
        return keepWaiting;
    }

private:
    QtEventYield& events_;
    bool& abandoned_;
};

UpdateDownloader::UpdateDownloader(TransferOptions options) : Inet_(fetchHelperPath(), options) {
    Inet_.setFinishedCallback([this] { events_.wake(); });
}

bool UpdateDownloader::Pobierz(const std::string& Page, std::string& ReturnTo) {
    TrackingYield events(events_, abandoned_);
    return kelvora::Pobierz(Inet_, events, Page, ReturnTo);
}

} // namespace kelvora
