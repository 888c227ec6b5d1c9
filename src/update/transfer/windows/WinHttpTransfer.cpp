#include "update/transfer/windows/WinHttpTransfer.h"

#include <condition_variable>
#include <cwchar>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/windows/WideText.h"

#include <windows.h>
#include <winhttp.h>

namespace kelvora {

// One request's state. The system's callbacks reach it through the request handle's context; it stays alive until
// the handle is closed, so a cancelled request can still be told about in safety.
struct WinHttpTransfer::Request {
    std::recursive_mutex mutex; // recursive: a call made under it may call back on the same thread
    std::condition_variable_any ended;
    TransferOptions options;
    std::function<void()> onFinished;
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    bool finished = false;
    std::string header;
    std::string body;
    std::vector<char> buffer; // where the pending read writes
    std::optional<unsigned long long> declaredLength;
    std::shared_ptr<Request> self; // held from the request handle's opening to its closing

    // Ends the request once; a failure leaves no response to judge.
    void finish(bool ok) {
        if (finished)
            return;
        finished = true;
        if (!ok) {
            header.clear();
            body.clear();
        }
        if (request != nullptr)
            WinHttpCloseHandle(std::exchange(request, nullptr));
        ended.notify_all();
        if (onFinished)
            onFinished();
    }

    void readHeaders() {
        DWORD size = 0;
        WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                            WINHTTP_NO_HEADER_INDEX);
        if (size == 0 || size / sizeof(wchar_t) > options.maxHeaderBytes)
            return finish(false);
        std::wstring raw(size / sizeof(wchar_t), L'\0');
        if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, raw.data(),
                                 &size, WINHTTP_NO_HEADER_INDEX))
            return finish(false);
        raw.resize(size / sizeof(wchar_t));
        while (raw.size() >= 2 && raw.compare(raw.size() - 2, 2, L"\r\n") == 0)
            raw.resize(raw.size() - 2);
        header = windows::toUtf8(raw);
        readDeclaredLength();
        if (!WinHttpQueryDataAvailable(request, nullptr))
            finish(false);
    }

    // The Content-Length the answer declares, read once its header has arrived.
    void readDeclaredLength() {
        wchar_t declared[32] = {};
        DWORD size = sizeof declared;
        if (WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, declared, &size,
                                WINHTTP_NO_HEADER_INDEX))
            declaredLength = std::wcstoull(declared, nullptr, 10);
    }

    // A declared length binds: bytes beyond it are not part of the answer, and a connection that closed before it
    // leaves no answer at all.
    bool trimToDeclaredLength() {
        if (!declaredLength)
            return true;
        if (body.size() < *declaredLength)
            return false;
        body.resize(static_cast<std::size_t>(*declaredLength));
        return true;
    }

    void dataAvailable(DWORD count) {
        if (count == 0)
            return finish(trimToDeclaredLength());
        if (body.size() + count > options.maxBodyBytes)
            return finish(false); // a body this long is refused rather than held in memory
        buffer.resize(count);
        if (!WinHttpReadData(request, buffer.data(), count, nullptr))
            finish(false);
    }

    void readComplete(DWORD count) {
        body.append(buffer.data(), count);
        // A server that holds the connection open after the declared body is not waited for.
        if (count == 0 || (declaredLength && body.size() >= *declaredLength))
            return finish(trimToDeclaredLength());
        if (!WinHttpQueryDataAvailable(request, nullptr))
            finish(false);
    }

    static void CALLBACK onStatus(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD length) {
        // WinHTTP hands the context back as a number. NOLINTNEXTLINE(performance-no-int-to-ptr)
        auto* self = reinterpret_cast<Request*>(context);
        if (self == nullptr)
            return;
        std::shared_ptr<Request> keep; // outlives the lock: the closing callback may come inside this one
        std::lock_guard lock(self->mutex);
        keep = self->self;
        if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
            WinHttpCloseHandle(std::exchange(self->connection, nullptr));
            WinHttpCloseHandle(std::exchange(self->session, nullptr));
            self->self.reset();
            return;
        }
        if (self->finished)
            return;
        switch (status) {
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
            if (!WinHttpReceiveResponse(self->request, nullptr))
                self->finish(false);
            break;
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
            self->readHeaders();
            break;
        case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
            self->dataAvailable(*static_cast<DWORD*>(info));
            break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            self->readComplete(length);
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            self->finish(false);
            break;
        default:
            break;
        }
    }

    // Opens the handles and sends; false when the request cannot start (the handles opened so far are closed).
    bool start(const std::wstring& url) {
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
            (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
            return false;
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                  std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        session = WinHttpOpen(L"Kelvora 2008", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        if (session == nullptr)
            return false;
        const int step = static_cast<int>(options.timeout.count());
        WinHttpSetTimeouts(session, step, step, step, step);
        WinHttpSetStatusCallback(session, &Request::onStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES, 0);
        connection = WinHttpConnect(session, host.c_str(), parts.nPort, 0);
        if (connection != nullptr)
            request = WinHttpOpenRequest(connection, L"GET", path.empty() ? L"/" : path.c_str(), nullptr,
                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                         parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
        if (request == nullptr) {
            WinHttpCloseHandle(connection);
            WinHttpCloseHandle(session);
            return false;
        }
        const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(this);
        DWORD redirects = options.maxRedirects;
        DWORD noCookies = WINHTTP_DISABLE_COOKIES;
        DWORD headerLimit = static_cast<DWORD>(options.maxHeaderBytes);
        WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, const_cast<DWORD_PTR*>(&context), sizeof context);
        WinHttpSetOption(request, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects);
        WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &noCookies, sizeof noCookies);
        WinHttpSetOption(request, WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE, &headerLimit, sizeof headerLimit);
        if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, context))
            finish(false);
        return true;
    }
};

namespace {

// The whole request's time-out: WinHTTP's own time-outs count each step afresh.
void watchDeadline(std::shared_ptr<WinHttpTransfer::Request> request) {
    const auto deadline = std::chrono::steady_clock::now() + request->options.timeout;
    std::thread([request = std::move(request), deadline] {
        std::unique_lock lock(request->mutex);
        if (!request->ended.wait_until(lock, deadline, [&] { return request->finished; }))
            request->finish(false);
    }).detach();
}

} // namespace

WinHttpTransfer::WinHttpTransfer(TransferOptions options) : options_(options) {}

WinHttpTransfer::~WinHttpTransfer() {
    Cancel();
}

void WinHttpTransfer::Execute(const std::string& url, const std::string& operation) {
    Cancel();
    forgetAnswer();
    // A request that cannot start ends here, and its caller is told so: a waiter would otherwise wait for ever.
    if (operation != "GET") {
        reportEndedHere();
        return;
    }
    auto request = std::make_shared<Request>();
    request->options = options_;
    request->onFinished = finishedCallback();
    {
        std::lock_guard lock(request->mutex);
        request->self = request; // until the request handle closes
        if (request->start(windows::toWide(url))) {
            request_ = request;
            watchDeadline(request);
            return;
        }
        request->self.reset();
    }
    reportEndedHere();
}

bool WinHttpTransfer::StillExecuting() {
    if (!request_)
        return false;
    std::lock_guard lock(request_->mutex);
    if (!request_->finished)
        return true;
    keepAnswer(std::move(request_->header), std::move(request_->body));
    request_.reset();
    return false;
}

void WinHttpTransfer::Cancel() {
    if (!request_)
        return;
    {
        std::lock_guard lock(request_->mutex);
        request_->finish(false); // closes the request handle: the system stops the request in whatever phase
    }
    request_.reset();
}

} // namespace kelvora
