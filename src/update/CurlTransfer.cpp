#include "update/CurlTransfer.h"

#include <curl/curl.h>

#include <mutex>
#include <utility>

namespace kelvora {
namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

CurlTransfer::CurlTransfer(CurlTransferOptions options) : options_(options) {
    initialiseCurlOnce();
}

CurlTransfer::~CurlTransfer() {
    Cancel();
}

void CurlTransfer::setFinishedCallback(std::function<void()> callback) {
    finishedCallback_ = std::move(callback);
}

void CurlTransfer::Execute(const std::string& url, const std::string& operation) {
    Cancel();
    header_.clear();
    headerBlockEnded_ = true;
    body_.clear();
    readPosition_ = 0;
    if (operation != "GET")
        return;
    multi_ = curl_multi_init();
    if (multi_ == nullptr)
        return;
    cancelRequested_ = false;
    finished_ = false;
    worker_ = std::thread([this, url] { run(url); });
}

bool CurlTransfer::StillExecuting() {
    if (!worker_.joinable())
        return false;
    if (!finished_)
        return true;
    finishWorker();
    return false;
}

std::string CurlTransfer::GetHeader() {
    return StillExecuting() ? std::string() : header_;
}

std::string CurlTransfer::GetChunk(std::size_t size) {
    if (StillExecuting() || readPosition_ >= body_.size())
        return {};
    std::string piece = body_.substr(readPosition_, size);
    readPosition_ += piece.size();
    return piece;
}

void CurlTransfer::Cancel() {
    if (!worker_.joinable())
        return;
    cancelRequested_ = true;
    curl_multi_wakeup(multi_);
    finishWorker();
}

void CurlTransfer::finishWorker() {
    worker_.join();
    curl_multi_cleanup(multi_);
    multi_ = nullptr;
}

void CurlTransfer::configure(void* easy, const std::string& url) {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, options_.maxRedirects);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.timeout.count()));
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeaderLine);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBodyData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
}

void CurlTransfer::run(const std::string& url) {
    CURLcode result = CURLE_FAILED_INIT;
    if (CURL* easy = curl_easy_init()) {
        configure(easy, url);
        if (curl_multi_add_handle(multi_, easy) == CURLM_OK) {
            int running = 1;
            while (!cancelRequested_) {
                if (curl_multi_perform(multi_, &running) != CURLM_OK || running == 0)
                    break;
                // Sleeps until the socket, libcurl's own time-out or Cancel's wake-up needs attention.
                curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
            }
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                    result = message->data.result;
            }
            if (cancelRequested_)
                result = CURLE_ABORTED_BY_CALLBACK;
            curl_multi_remove_handle(multi_, easy);
        }
        curl_easy_cleanup(easy);
    }
    // A request that did not end cleanly (time-out, cut-off, over-long body) has no response to judge; nor has one
    // whose connection closed inside the header block, which libcurl lets pass as an empty answer.
    if (result != CURLE_OK || !headerBlockEnded_) {
        header_.clear();
        body_.clear();
    } else if (header_.size() >= 2 && header_.compare(header_.size() - 2, 2, "\r\n") == 0) {
        header_.resize(header_.size() - 2);
    }
    finished_ = true;
    if (finishedCallback_)
        finishedCallback_();
}

std::size_t CurlTransfer::onHeaderLine(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    std::string line(data, size * count);
    if (line == "\r\n" || line == "\n") {
        transfer.headerBlockEnded_ = true;
        return size * count;
    }
    if (transfer.headerBlockEnded_) {
        // Only a new status line starts a new block (after a redirect or an interim answer); trailers do not.
        if (!startsWith(line, "HTTP/"))
            return size * count;
        transfer.header_.clear();
        transfer.body_.clear();
        transfer.headerBlockEnded_ = false;
    }
    // A line that ends in a bare LF gets its CR, so the status line always ends at the first CR LF.
    if (!line.empty() && line.back() == '\n' && (line.size() < 2 || line[line.size() - 2] != '\r'))
        line.insert(line.size() - 1, 1, '\r');
    transfer.header_ += line;
    return size * count;
}

std::size_t CurlTransfer::onBodyData(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const std::size_t length = size * count;
    if (transfer.body_.size() + length > transfer.options_.maxBodyBytes)
        return 0; // aborts the transfer: a body this long is refused rather than held in memory
    transfer.body_.append(data, length);
    return length;
}

} // namespace kelvora
