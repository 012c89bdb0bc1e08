#include <winsock2.h>

#include "tests/sim_games/game_port.h"

namespace ardentis::sim {

GamePort::~GamePort() {
    release();
}

bool GamePort::take(std::uint16_t port) {
    release();
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return false;
    }
    started_ = true;
    const SOCKET handle = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (handle == INVALID_SOCKET) {
        release();
        return false;
    }
    socket_ = static_cast<std::uintptr_t>(handle);
    held_ = true;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        release();
        return false;
    }
    return true;
}

void GamePort::release() {
    if (held_) {
        closesocket(static_cast<SOCKET>(socket_));
        held_ = false;
    }
    if (started_) {
        WSACleanup();
        started_ = false;
    }
}

}  // namespace ardentis::sim
