#pragma once

#include <functional>
#include <memory>
#include <string>

#include "update/transfer/HttpTransfer.h"

namespace kelvora {

// The fetch helper: kelvora2008-fetch beside the running program, else in its ../libexec/kelvora-2008 when installed.
std::string fetchHelperPath();

// HTTP GET run by the fetch helper in a process of its own, so the program itself never loads libcurl and its
// libraries (TLS, Kerberos, LDAP, SSH...), which would otherwise stay resident for as long as it runs. Cancel ends
// the helper at once, whatever it waits for; a helper left over from a program that ended dies with it.
class HelperTransfer : public ReportingTransfer {
public:
    HelperTransfer(std::string helperPath, TransferOptions options = {});
    ~HelperTransfer() override;
    HelperTransfer(const HelperTransfer&) = delete;
    HelperTransfer& operator=(const HelperTransfer&) = delete;

    void Execute(const std::string& url, const std::string& operation) override;
    bool StillExecuting() override;
    void Cancel() override;

    struct Run; // what the reading thread shares with this object

private:
    bool abandon();

    std::string helperPath_;
    TransferOptions options_;
    std::shared_ptr<Run> run_;
};

} // namespace kelvora
