#pragma once

#include <functional>
#include <memory>
#include <string>

#include "update/transfer/HttpTransfer.h"
#include "update/transfer/linux/CurlTransfer.h"

namespace kelvora {

// The fetch helper: kelvora2008-fetch beside the running program, else in its ../libexec/kelvora-2008 when installed.
std::string fetchHelperPath();

// HTTP GET run by the fetch helper in a process of its own, so the program itself never loads libcurl and its
// libraries (TLS, Kerberos, LDAP, SSH...), which would otherwise stay resident for as long as it runs. Cancel ends
// the helper at once, whatever it waits for; a helper left over from a program that ended dies with it.
class HelperTransfer : public AnswerHoldingTransfer {
public:
    HelperTransfer(std::string helperPath, CurlTransferOptions options = {});
    ~HelperTransfer() override;
    HelperTransfer(const HelperTransfer&) = delete;
    HelperTransfer& operator=(const HelperTransfer&) = delete;

    // Called when a request ends, however it ends: on a reading thread when the helper ends, on the caller's
    // thread when Execute cannot start it or Cancel ends it. Set it before Execute.
    void setFinishedCallback(std::function<void()> callback);

    void Execute(const std::string& url, const std::string& operation) override;
    bool StillExecuting() override;
    void Cancel() override;

    struct Run; // what the reading thread shares with this object

private:
    bool abandon();
    void finishFailed();

    std::string helperPath_;
    CurlTransferOptions options_;
    std::function<void()> finishedCallback_;
    std::shared_ptr<Run> run_;
};

} // namespace kelvora
