#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/frame_reader.h"
#include "server/log.h"
#include "server/options.h"
#include "tests/server/lobby_records.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
namespace {

// Feeds `stream` to a reader in reads of `first` bytes, then reads as large as the
// reader offers; returns the chat lines of the records that came out.
std::vector<std::string> feed(const std::vector<std::byte>& stream, std::size_t first) {
    FrameReader reader;
    std::vector<std::string> lines;
    std::size_t offset = 0;
    bool initial = true;
    while (offset < stream.size()) {
        const auto space = reader.space();
        const std::size_t size =
            std::min({initial ? first : space.size(), space.size(), stream.size() - offset});
        initial = false;
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(offset), size, space.begin());
        offset += size;
        reader.commit(size, [&](const LobbyMessage& m) {
            lines.emplace_back(m.sparam1.view());
            return true;
        });
    }
    return lines;
}

TEST(FrameReader, RecordsComeOutWholeAtEverySplitPoint) {
    std::vector<std::byte> stream;
    for (const char* line : {"one", "two", "three"}) {
        const auto bytes = lobbyChat(line).toBytes();
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    for (std::size_t split = 1; split < stream.size(); ++split) {
        ASSERT_EQ(feed(stream, split), (std::vector<std::string>{"one", "two", "three"}))
            << "split at " << split;
    }
}

TEST(FrameReader, AnUnfinishedRecordStaysUntilItsLastByte) {
    const auto bytes = lobbyChat("late").toBytes();
    FrameReader reader;
    int records = 0;
    const auto count = [&](const LobbyMessage&) { return ++records, true; };
    std::copy_n(bytes.begin(), 375, reader.space().begin());
    reader.commit(375, count);
    EXPECT_EQ(records, 0);
    reader.space()[0] = bytes[375];
    reader.commit(1, count);
    EXPECT_EQ(records, 1);
}

TEST(FrameReader, StopsHandingOutRecordsWhenTold) {
    std::vector<std::byte> stream;
    for (int i = 0; i < 3; ++i) {
        const auto bytes = lobbyChat("x").toBytes();
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    FrameReader reader;
    std::copy(stream.begin(), stream.end(), reader.space().begin());
    int records = 0;
    reader.commit(stream.size(), [&](const LobbyMessage&) { return ++records < 2; });
    EXPECT_EQ(records, 2);
}

std::expected<Command, UsageError> parse(std::initializer_list<std::string_view> arguments) {
    return parseCommandLine(std::vector<std::string_view>(arguments));
}

TEST(CommandLine, DefaultsServeOnPort8888WithoutAutoRegistration) {
    const auto command = parse({});
    ASSERT_TRUE(command);
    EXPECT_EQ(command->kind, CommandKind::Serve);
    EXPECT_EQ(command->options.host, "0.0.0.0");
    EXPECT_EQ(command->options.port, 8888);
    EXPECT_FALSE(command->options.autoRegister);
    EXPECT_EQ(command->options.queueLimit, 1024U);
    EXPECT_EQ(command->options.loginTimeout, std::chrono::seconds(30));
}

TEST(CommandLine, TakesEveryServerOption) {
    const auto command =
        parse({"--listen", "127.0.0.1:0", "--db=x.db", "--auto-register", "--max-clients", "5",
               "--login-timeout-ms", "200", "--hash-cost", "min", "--queue-limit", "64"});
    ASSERT_TRUE(command);
    EXPECT_EQ(command->options.host, "127.0.0.1");
    EXPECT_EQ(command->options.port, 0);
    EXPECT_EQ(command->options.database, "x.db");
    EXPECT_TRUE(command->options.autoRegister);
    EXPECT_EQ(command->options.maxClients, 5U);
    EXPECT_EQ(command->options.loginTimeout, std::chrono::milliseconds(200));
    EXPECT_EQ(command->options.hashCost, HashCost::Minimum);
    EXPECT_EQ(command->options.queueLimit, 64U);
}

TEST(CommandLine, UserCommandsTakeANameAndANickname) {
    const auto add = parse({"user", "add", "bob", "--nickname", "Bobby"});
    ASSERT_TRUE(add);
    EXPECT_EQ(add->kind, CommandKind::UserAdd);
    EXPECT_EQ(add->name, "bob");
    EXPECT_EQ(add->nickname, "Bobby");
    EXPECT_FALSE(parse({"user", "remove"}));
    EXPECT_FALSE(parse({"user", "list", "--nickname", "x"}));
    EXPECT_FALSE(parse({"user", "rename", "bob"}));
}

TEST(CommandLine, RefusesBadValues) {
    for (const auto& arguments :
         std::vector<std::vector<std::string_view>>{{"--listen", "8888"},
                                                    {"--listen", "host:70000"},
                                                    {"--max-clients", "0"},
                                                    {"--hash-cost", "cheap"},
                                                    {"--queue-limit"},
                                                    {"--login-timeout-ms", "-5"}}) {
        EXPECT_FALSE(parseCommandLine(arguments)) << arguments[0];
    }
}

TEST(LogText, ControlCharactersAndBackslashesAreEscaped) {
    EXPECT_EQ(log::plain("a\nb\tc\\d\x7f"), "a\\x0ab\\x09c\\x5cd\\x7f");
    EXPECT_EQ(log::text(std::string("x\0y", 3)), "x\\x00y");
}

TEST(LogText, GbkTextIsShownAsUtf8AndBrokenBytesEscaped) {
    EXPECT_EQ(log::text(text::gbk("大厅").bytes()), "大厅");
    EXPECT_EQ(log::text("\xff\xfe"), "\\xff\\xfe");
}

}  // namespace
}  // namespace ardentis::server::testing
