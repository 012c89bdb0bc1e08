// Any 376 bytes from a peer: the record, its user and room forms and its log text.
#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/codec.h"
#include "protocol/des.h"
#include "protocol/lobby_message.h"
#include "protocol/record_text.h"
#include "tools/fuzz/fuzz_input.h"

namespace ardentis::fuzz {
namespace {

using protocol::LobbyMessage;

template <std::size_t N>
bool lengthWithin(const protocol::TextField<N>& field) {
    return field.length <= N;
}

bool lengthsWithin(const LobbyMessage& m) {
    return lengthWithin(m.sparam1) && lengthWithin(m.sparam2) && lengthWithin(m.sparam3) &&
           lengthWithin(m.sparam4) && lengthWithin(m.sparam5) && lengthWithin(m.sparam6) &&
           lengthWithin(m.sparam7) && lengthWithin(m.sparam8) && lengthWithin(m.sparam9);
}

void userForm(const LobbyMessage& message) {
    protocol::UserRecord user;
    try {
        user = protocol::DecodeUser(message);
    } catch (const protocol::des::CipherError&) {
        return;  // a password field that is not the cipher's hex form: the caller reports it
    }
    LobbyMessage again{};
    try {
        protocol::EncodeUser(user, again);
    } catch (const protocol::des::CipherError&) {
        return;  // a deciphered password ending in NUL cannot be enciphered again
    }
    check(lengthsWithin(again), "an encoded user overflows a field");
    // One encoding normalises the record: a second round trip changes nothing.
    const protocol::UserRecord once = protocol::DecodeUser(again);
    LobbyMessage twice{};
    protocol::EncodeUser(once, twice);
    check(protocol::DecodeUser(twice) == once, "a user record does not settle after encoding");
}

void roomForm(const LobbyMessage& message) {
    const protocol::RoomRecord room = protocol::DecodeRoom(message);
    LobbyMessage again{};
    protocol::EncodeRoom(room, again);
    check(lengthsWithin(again), "an encoded room overflows a field");
    const protocol::RoomRecord once = protocol::DecodeRoom(again);
    LobbyMessage twice{};
    protocol::EncodeRoom(once, twice);
    check(protocol::DecodeRoom(twice) == once, "a room record does not settle after encoding");
}

}  // namespace
}  // namespace ardentis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    std::array<std::byte, protocol::kRecordSize> bytes{};
    fuzz::FuzzInput input(data, size);
    const auto part = input.take(bytes.size());
    std::ranges::copy(part, bytes.begin());

    const auto message = protocol::LobbyMessage::fromBytes(bytes);
    fuzz::check(message.has_value(), "a whole record was refused");
    fuzz::check(message->toBytes() == bytes, "a record's bytes do not survive decoding");
    fuzz::userForm(*message);
    fuzz::roomForm(*message);
    // "-128:-128" at most; the record text holds every field's bytes and its label.
    fuzz::check(protocol::CommandText(*message).size() <= 9, "the command text is too long");
    fuzz::check(protocol::RecordText(*message).size() <= 2048, "the record text is too long");
    return 0;
}
