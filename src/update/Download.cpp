#include "update/Download.h"

#include <string_view>

namespace kelvora {

bool isStatusOk(const std::string& headerText) {
    std::string_view statusLine(headerText);
    if (const auto lineEnd = statusLine.find("\r\n"); lineEnd != std::string_view::npos)
        statusLine = statusLine.substr(0, lineEnd);
    const auto firstSpace = statusLine.find(' ');
    if (firstSpace == std::string_view::npos)
        return false;
    std::string_view secondWord = statusLine.substr(firstSpace + 1);
    secondWord = secondWord.substr(0, secondWord.find(' '));
    return secondWord == "200";
}

bool Pobierz(HttpTransfer& Inet, EventYield& events, const std::string& Page, std::string& ReturnTo) {
    try {
        Inet.Execute(Page, "GET");
        do {
            if (!events.yield()) {
                // The event loop is ending: nobody is left to wait for the answer.
                Inet.Cancel();
                break;
            }
        } while (Inet.StillExecuting());

        const std::string header = Inet.GetHeader();
        std::string body;
        for (std::string piece = Inet.GetChunk(kDownloadChunkSize); !piece.empty();
             piece = Inet.GetChunk(kDownloadChunkSize))
            body += piece;

        if (!isStatusOk(header))
            return false;
        ReturnTo = std::move(body);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace kelvora
