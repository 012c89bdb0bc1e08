// The server's socket-free parts: framing, command line, log text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/frame_reader.h"
#include "server/log.h"
#include "server/options.h"
#include "tests/server/server_fixture.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
namespace {

// Three records, a first read of `first` bytes, then reads as large as the reader offers; the
// handler stops after `stopAfter` records. The chat lines that came out.
std::vector<std::string> feed(std::size_t first, std::size_t stopAfter = 9) {
    std::vector<std::byte> stream;
    for (const char* line : {"one", "two", "three"}) {
        const auto bytes = record(1, 0, {line}).toBytes();
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    FrameReader reader;
    std::vector<std::string> lines;
    for (std::size_t offset = 0, size = 0; offset < stream.size(); offset += size, first = 9999) {
        size = std::min({first, reader.space().size(), stream.size() - offset});
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(offset), size,
                    reader.space().begin());
        reader.commit(size, [&](const LobbyMessage& m) {
            lines.emplace_back(m.sparam1.view());
            return lines.size() < stopAfter;
        });
    }
    return lines;
}

TEST(FrameReader, RecordsComeOutWholeOnceInOrderAtEverySplitPoint) {
    for (std::size_t split = 1; split <= 3 * protocol::kRecordSize; ++split) {
        ASSERT_EQ(feed(split), (std::vector<std::string>{"one", "two", "three"})) << split;
    }
    EXPECT_EQ(feed(3 * protocol::kRecordSize, 2), (std::vector<std::string>{"one", "two"}));
}

std::expected<Command, UsageError> parse(std::vector<std::string_view> arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, TakesEveryOptionAndRefusesBadValues) {
    const auto command =
        parse({"--listen", "[::1]:0", "--db=x.db", "--auto-register", "--max-clients", "5",
               "--login-timeout-ms", "200", "--hash-cost", "min", "--queue-limit", "64",
               "--keepalive-idle", "7", "--chat-burst", "3"});
    ASSERT_TRUE(command);
    const ServerOptions& o = command->options;
    EXPECT_EQ(command->kind, CommandKind::Serve);
    EXPECT_EQ(std::tuple(o.host, o.port, o.database, o.autoRegister, o.maxClients, o.queueLimit),
              std::tuple("::1", 0, "x.db", true, 5U, 64U));
    EXPECT_EQ(std::tuple(o.loginTimeout, o.hashCost, o.keepAliveIdle, o.chatBurst),
              std::tuple(200ms, HashCost::Minimum, 7s, 3.0));
    // clang-format off
    for (const std::vector<std::string_view>& refused : std::vector<std::vector<std::string_view>>{
             {"--listen", "8888"}, {"--listen", "host:65536"}, {"--max-clients", "0"},
             {"--hash-cost", "cheap"}, {"--queue-limit"}, {"--login-timeout-ms", "-5"},
             {"--frobnicate", "1"}, {"user", "remove"}, {"user", "list", "--nickname", "x"},
             {"user", "rename", "bob"}}) {
        // clang-format on
        EXPECT_FALSE(parse(refused)) << refused[0] << " " << refused.back();
    }
    EXPECT_TRUE(parse({"--listen", "host:65535"}));
    const auto add = parse({"user", "add", "bob", "--nickname", "Bobby"});
    ASSERT_TRUE(add);
    EXPECT_EQ(std::tuple(add->kind, add->name, add->nickname),
              std::tuple(CommandKind::UserAdd, "bob", "Bobby"));
}

TEST(LogText, ControlCharactersBackslashesAndBrokenBytesAreEscapedGbkShownAsUtf8) {
    EXPECT_EQ(log::plain("a\nb\tc\\d\x7f"), "a\\x0ab\\x09c\\x5cd\\x7f");
    EXPECT_EQ(log::text(std::string("x\0y", 3)), "x\\x00y");
    EXPECT_EQ(log::text(text::gbk("大厅").bytes()), "大厅");
    EXPECT_EQ(log::text("\xff\xfe"), "\\xff\\xfe");
}

}  // namespace
}  // namespace ardentis::server::testing
