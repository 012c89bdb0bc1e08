#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/client_socket.h"
#include "platform/tls_engine.h"

namespace ardentis::platform {

// A client socket that speaks TLS over another, or passes straight through to it. To its
// user it behaves as the plain socket does: onConnect comes once the handshake is done and
// the server accepted, reads and sends carry plain bytes. Runs on the owner thread of the
// socket beneath; send(), connected() and close() may also come from another thread.
class TlsClientSocket final : public ClientSocket {
  public:
    using EngineFactory = std::function<std::unique_ptr<TlsEngine>()>;
    // Decides on the server the handshake met: true goes on. Nothing of the user's has
    // been sent when it is asked, and nothing is when it says no.
    using Verify = std::function<bool(const TlsPeer&)>;

    // `inner` is borrowed, must outlive this socket, and is driven only through it.
    TlsClientSocket(ClientSocket& inner, EngineFactory makeEngine);
    ~TlsClientSocket() override;
    TlsClientSocket(const TlsClientSocket&) = delete;
    TlsClientSocket& operator=(const TlsClientSocket&) = delete;

    // While closed: the next connection speaks TLS, its server judged by `verify`.
    void useTls(Verify verify);
    // While closed: the next connection is plain.
    void usePlain();
    [[nodiscard]] bool tls() const noexcept { return static_cast<bool>(verify_); }
    // The server of the latest TLS handshake, once it is done.
    [[nodiscard]] const std::optional<TlsPeer>& peer() const noexcept { return peer_; }
    // Why the latest TLS connection failed or was refused; empty when it did not.
    [[nodiscard]] std::string failure() const;
    // Whether it ended because its server was judged and refused.
    [[nodiscard]] bool refused() const;

    void setEvents(SocketEvents events) override;
    void open(const std::string& host, std::uint16_t port) override;
    void close() override;
    [[nodiscard]] bool connected() const override;
    [[nodiscard]] std::size_t bytesWaiting() override;
    [[nodiscard]] int send(std::span<const std::byte> bytes) override;
    [[nodiscard]] int receive(std::span<std::byte> buffer) override;

  private:
    enum class State : std::uint8_t { Idle, Handshaking, Judging, Connected };

    void onInnerConnect();
    void onInnerRead();
    void onInnerDisconnect();
    void onInnerError(const OsError& error);
    // Takes in what the socket beneath holds and goes on as far as it allows.
    void pump();
    void takeIn();
    void advance();
    void judge();
    // Hands plain bytes to the user while it takes them.
    void deliver();
    // Ends the connection for `why`: the user hears onError unless it had been connected,
    // when it hears onDisconnect.
    void fail(const std::string& why);
    // Back to no connection, with mutex_ held: the engine and what it had to send go.
    // Returns the state it was in.
    State resetLocked();
    // Closes the socket beneath without passing its end on: the caller tells the user.
    void closeQuietly();
    void sendOut(std::vector<std::byte> bytes);
    void flushLocked();  // with mutex_ held

    ClientSocket& inner_;
    EngineFactory makeEngine_;
    SocketEvents events_;
    Verify verify_;  // empty: plain
    std::string host_;
    std::optional<TlsPeer> peer_;
    std::thread::id owner_;
    std::vector<std::byte> plain_;  // opened, not yet received by the user
    std::size_t fed_ = 0;           // feeds so far, so a pass sees what came during it
    bool pumping_ = false;
    bool closing_ = false;  // the user's own close is under way

    // Guards the engine, the state, the bytes waiting to go and the failure: the user may
    // send from another thread while the owner thread reads.
    mutable std::mutex mutex_;
    std::unique_ptr<TlsEngine> engine_;
    State state_ = State::Idle;
    std::vector<std::byte> out_;
    std::string failure_;
    bool refused_ = false;
};

}  // namespace ardentis::platform
