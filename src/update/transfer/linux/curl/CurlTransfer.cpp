#include "update/transfer/linux/curl/CurlTransfer.h"

#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace kelvora {

struct CurlTransfer::Request {
    std::string url;
    TransferOptions options;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};

    std::mutex mutex; // guards the two members below
    CURLM* multi = nullptr;
    std::function<void()> onFinished; // emptied when the owner abandons the request

    // Written by the worker until `finished` is set, then read by the owner only.
    std::string header;
    bool headerBlockEnded = true;
    std::string body;
};

namespace {

using Request = CurlTransfer::Request;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* userData) {
    auto& request = *static_cast<Request*>(userData);
    std::string line(data, size * count);
    if (line == "\r\n" || line == "\n") {
        request.headerBlockEnded = true;
        return size * count;
    }
    if (request.headerBlockEnded) {
        // Only a new status line starts a new block (after a redirect or an interim answer); trailers do not.
        if (!startsWith(line, "HTTP/"))
            return size * count;
        request.header.clear();
        request.body.clear();
        request.headerBlockEnded = false;
    }
    // A line that ends in a bare LF gets its CR, so the status line always ends at the first CR LF.
    if (!line.empty() && line.back() == '\n' && (line.size() < 2 || line[line.size() - 2] != '\r'))
        line.insert(line.size() - 1, 1, '\r');
    if (request.header.size() + line.size() > request.options.maxHeaderBytes)
        return 0; // aborts the transfer, whatever limit the libcurl build has
    request.header += line;
    return size * count;
}

std::size_t onBodyData(char* data, std::size_t size, std::size_t count, void* userData) {
    auto& request = *static_cast<Request*>(userData);
    const std::size_t length = size * count;
    if (request.body.size() + length > request.options.maxBodyBytes)
        return 0; // aborts the transfer: a body this long is refused rather than held in memory
    request.body.append(data, length);
    return length;
}

void configure(CURL* easy, Request& request) {
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(request.options.maxRedirects));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request.options.timeout.count()));
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A cancelled request leaves a name lookup in progress behind instead of waiting for it to give up.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &onHeaderLine);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &request);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &onBodyData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &request);
}

CURLcode perform(Request& request, CURLM* multi, CURL* easy) {
    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return CURLE_FAILED_INIT;
    CURLcode result = CURLE_FAILED_INIT;
    int running = 1;
    while (!request.cancelled) {
        if (curl_multi_perform(multi, &running) != CURLM_OK || running == 0)
            break;
        // Sleeps until the socket, libcurl's own time-out or Cancel's wake-up needs attention.
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
            result = message->data.result;
    }
    curl_multi_remove_handle(multi, easy);
    return request.cancelled ? CURLE_ABORTED_BY_CALLBACK : result;
}

void runRequest(Request& request) {
    CURLM* multi = curl_multi_init();
    CURL* easy = curl_easy_init();
    CURLcode result = CURLE_FAILED_INIT;
    if (multi != nullptr && easy != nullptr) {
        {
            std::lock_guard lock(request.mutex);
            request.multi = multi;
        }
        configure(easy, request);
        result = perform(request, multi, easy);
        std::lock_guard lock(request.mutex);
        request.multi = nullptr; // from here on Cancel has nothing to wake
    }
    if (easy != nullptr)
        curl_easy_cleanup(easy);
    if (multi != nullptr)
        curl_multi_cleanup(multi);
    // A request that did not end cleanly (time-out, cut-off, over-long body) has no response to judge; nor has one
    // whose connection closed inside the header block, which libcurl lets pass as an empty answer.
    if (result != CURLE_OK || !request.headerBlockEnded) {
        request.header.clear();
        request.body.clear();
    } else if (request.header.size() >= 2 && request.header.compare(request.header.size() - 2, 2, "\r\n") == 0) {
        request.header.resize(request.header.size() - 2);
    }
    request.finished = true;
    std::lock_guard lock(request.mutex);
    if (request.onFinished)
        request.onFinished();
}

} // namespace

CurlTransfer::CurlTransfer(TransferOptions options) : options_(options) {}

CurlTransfer::~CurlTransfer() {
    abandon();
}

void CurlTransfer::Execute(const std::string& url, const std::string& operation) {
    abandon();
    forgetAnswer();
    if (operation != "GET") {
        reportEndedHere();
        return;
    }
    initialiseCurlOnce();
    auto request = std::make_shared<Request>();
    request->url = url;
    request->options = options_;
    request->onFinished = finishedCallback();
    request_ = request;
    try {
        // The worker holds the request too, so it may outlive this object once abandoned.
        std::thread([request] { runRequest(*request); }).detach();
    } catch (const std::system_error&) {
        request_.reset();
        reportEndedHere();
    }
}

bool CurlTransfer::StillExecuting() {
    if (!request_)
        return false;
    if (!request_->finished)
        return true;
    keepAnswer(std::move(request_->header), std::move(request_->body));
    request_.reset();
    return false;
}

void CurlTransfer::Cancel() {
    if (abandon())
        reportEndedHere();
}

bool CurlTransfer::abandon() {
    if (!StillExecuting())
        return false; // nothing runs; a finished answer stays readable
    {
        std::lock_guard lock(request_->mutex);
        request_->onFinished = nullptr;
        request_->cancelled = true;
        if (request_->multi != nullptr)
            curl_multi_wakeup(request_->multi);
    }
    request_.reset();
    return true;
}

} // namespace kelvora
