#include "headless_peer.h"

namespace ardentis::e2e {

HeadlessPeer::HeadlessPeer(const std::filesystem::path& folder, const text::Gbk& account,
                           const text::Gbk& password, std::uint16_t port, std::uint8_t lanHost)
    : machine_(folder / (account.bytes() + ".log")) {
    machine_.storeSettings(account, password, text::Gbk("127.0.0.1"), port, true);
    machine_.installGame(text::Gbk("C:\\TA\\"));
    machine_.setVirtualLanAddress(10, 140, 0, lanHost);
    loop_.addSocket(socket_);
    loop_.addSocket(testSocket_);
    client_ = std::make_unique<forms::HeadlessClient>(machine_, socket_, testSocket_, loop_);
}

void HeadlessPeer::start() {
    client_->client.start();
    client_->client.Formslpash->Timer1Timer();
}

bool HeadlessPeer::lobbyChatHas(const text::Gbk& line) const {
    const std::string lines = "\r\n" + client_->main.MemRecev.text().bytes() + "\r\n";
    return lines.find("\r\n" + line.bytes() + "\r\n") != std::string::npos;
}

bool runUntil(const std::vector<HeadlessPeer*>& peers, const std::function<bool()>& done,
              std::chrono::milliseconds limit) {
    std::vector<platform::PosixEventLoop*> loops;
    for (HeadlessPeer* peer : peers) {
        loops.push_back(&peer->loop());
    }
    return platform::runLoopsUntil(loops, done, limit);
}

}  // namespace ardentis::e2e
