#pragma once

#include <string>

#include "update/qt/QtEventYield.h"
#include "update/transfer/linux/HelperTransfer.h"

namespace kelvora {

// The transfer component of an update window and the wait that keeps the window alive while it runs.
class UpdateDownloader {
public:
    explicit UpdateDownloader(TransferOptions options = {});

    bool Pobierz(const std::string& Page, std::string& ReturnTo);
    void cancel() { Inet_.Cancel(); }
    // True once a wait ended because the application is shutting down.
    bool abandoned() const { return abandoned_; }

private:
    class TrackingYield;

    QtEventYield events_;
    bool abandoned_ = false;
    HelperTransfer Inet_; // declared last: it stops calling back before the wait it wakes goes away
};

} // namespace kelvora
