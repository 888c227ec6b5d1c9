#include <winsock2.h>

#include <stdexcept>

#include "support/SystemTransfer.h"
#include "update/transfer/windows/WinHttpTransfer.h"

namespace kelvora::test {

std::unique_ptr<ReportingTransfer> makeSystemTransfer(TransferOptions options) {
    return std::make_unique<WinHttpTransfer>(options);
}

SilentListener::SilentListener() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw std::runtime_error("no Winsock");
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener != INVALID_SOCKET)
            closesocket(listener);
        WSACleanup();
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    socket_ = static_cast<std::intptr_t>(listener);
    port_ = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
    closesocket(static_cast<SOCKET>(socket_));
    WSACleanup();
}

} // namespace kelvora::test
