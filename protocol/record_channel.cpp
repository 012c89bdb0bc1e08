#include "protocol/record_channel.h"

#include <array>
#include <cstddef>
#include <exception>
#include <span>
#include <string>

namespace ardentis::protocol {
namespace {

// The waits of a send: before it starts, while the other thread's send runs, and before
// every write attempt.
constexpr int kSettleMs = 50;
constexpr int kBusyWaitMs = 10;
constexpr int kWriteWaitMs = 1;

constexpr int kWholeRecord = static_cast<int>(kRecordSize);

text::Gbk countLine(const char* before, long long count, const char* after) {
    return text::Gbk(std::string(before) + std::to_string(count) + after);
}

}  // namespace

void TCcom::SendRecord(LobbyMessage message) {
    sleeper_.sleepMs(kSettleMs);

    FlagHold turn(flags_.sendready);
    while (!turn.tryTake()) {
        sleeper_.sleepMs(kBusyWaitMs);
        if (!socket_.connected()) {
            socket_.close();
            return;
        }
        base_.LogText(text::Gbk("send is not ready ,waiting......"));
    }

    // Logged before the first byte, so that an abandoned send is in the log too.
    base_.LogRecord(message, Direction::Send);
    const std::array<std::byte, kRecordSize> bytes = message.toBytes();
    std::size_t sent = 0;
    while (sent < kRecordSize) {
        if (!socket_.connected()) {
            socket_.close();
            return;
        }
        sleeper_.sleepMs(kWriteWaitMs);
        const int taken = socket_.send(std::span(bytes).subspan(sent));
        if (taken == platform::ClientSocket::kWouldBlock) {
            continue;
        }
        if (taken > 0) {
            sent += static_cast<std::size_t>(taken);
        }
        if (sent < kRecordSize) {
            base_.LogText(countLine("send ", static_cast<long long>(sent), " bytes"));
        }
    }
}

void TCcom::ReceiveStep(const Dispatch& dispatch) {
    // A partial record stays queued until a later event finds it whole.
    if (socket_.bytesWaiting() < kRecordSize) {
        return;
    }
    FlagHold turn(flags_.recvready);
    if (!turn.tryTake()) {
        base_.LogText(text::Gbk("receive is not ready, continue"));
        return;
    }

    std::array<std::byte, kRecordSize> bytes{};
    std::size_t received = 0;
    while (received < kRecordSize) {
        if (!socket_.connected()) {
            socket_.close();  // the partial record is dropped
            return;
        }
        const int got = socket_.receive(std::span(bytes).subspan(received));
        if (got > 0) {
            received += static_cast<std::size_t>(got);
        }
        if (got != kWholeRecord) {
            base_.LogText(countLine("received ", got, " bytes, continue;"));
        }
    }

    const LobbyMessage message = *LobbyMessage::fromBytes(bytes);
    const TrafficLog& log = base_.log();
    log.LogRecord(message, Direction::Recv);
    try {
        dispatch(message);
    } catch (const std::exception& failure) {
        log.LogText(text::Gbk(std::string("dispatch failed: ") + failure.what()));
    } catch (...) {
        log.LogText(text::Gbk("dispatch failed: unknown error"));
    }
}

}  // namespace ardentis::protocol
