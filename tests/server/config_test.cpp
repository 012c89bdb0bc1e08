// The config file: the sample shipped with the package, precedence, and errors naming the line.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "server/config_file.h"
#include "server/options.h"
#include "tests/server/shell_run.h"
#include "tests/support/scratch_directory.h"

namespace ardentis::server::testing {
namespace {

using ardentis::testing::ScratchDirectory;
using Args = std::vector<std::string_view>;

std::expected<Command, UsageError> parseWithFile(const ScratchDirectory& dir,
                                                 std::string_view content, Args arguments = {}) {
    dir.addFile("a.conf", content);
    const std::string path = (dir / "a.conf").string();
    arguments.insert(arguments.begin(), {"--config", path});
    return parseCommandLine(arguments);
}

TEST(ConfigFile, SampleHoldsEveryOptionOfTheHelpAtItsDefault) {
    const std::string sample = ardentis::testing::readFile(ARDENTIS_SAMPLE_CONFIG);
    ASSERT_FALSE(sample.empty());
    EXPECT_TRUE(parseCommandLine(Args{"--config", ARDENTIS_SAMPLE_CONFIG}));
    // Each commented-out setting, taken in.
    const std::regex setting(R"(^#([a-z][a-z-]*) = )", std::regex::multiline);
    std::set<std::string> keys;
    for (std::sregex_iterator it(sample.begin(), sample.end(), setting), end; it != end; ++it) {
        keys.insert((*it)[1]);
    }
    const ScratchDirectory dir;
    const auto all = parseWithFile(dir, std::regex_replace(sample, setting, "$1 = "));
    ASSERT_TRUE(all) << all.error().message;
    ServerOptions defaults;
    // The TLS and metrics listeners and the control socket are off by default; the sample shows
    // examples of them.
    defaults.tlsHost = all->options.tlsHost;
    defaults.tlsPort = all->options.tlsPort;
    defaults.tlsCert = all->options.tlsCert;
    defaults.tlsKey = all->options.tlsKey;
    defaults.metricsHost = all->options.metricsHost;
    defaults.metricsPort = all->options.metricsPort;
    defaults.controlSocket = all->options.controlSocket;
    EXPECT_EQ(all->options, defaults);
    const std::string usage = usageText();
    const std::string options = usage.substr(usage.find("\noptions:"));
    const std::regex option("--([a-z][a-z-]*)");
    for (std::sregex_iterator it(options.begin(), options.end(), option), end; it != end; ++it) {
        EXPECT_TRUE(keys.contains((*it)[1])) << (*it)[1] << " is not in the sample";
    }
}

TEST(ConfigFile, CommandLineWinsOverTheFile) {
    const ScratchDirectory dir;
    const auto command = parseWithFile(dir, "max-clients = 7\n  db = f # 1.db \nauto-register=true",
                                       {"--max-clients", "9", "--check-config"});
    ASSERT_TRUE(command) << command.error().message;
    EXPECT_EQ(std::tuple(command->kind, command->options.maxClients, command->options.database,
                         command->options.autoRegister),
              std::tuple(CommandKind::CheckConfig, 9U, "f # 1.db", true));
    EXPECT_TRUE(
        parseWithFile(dir, "auto-register = false", {"--auto-register"})->options.autoRegister);
    EXPECT_FALSE(parseWithFile(dir, "", {"user", "list", "--check-config"}));
}

TEST(ConfigFile, ErrorsNameTheFileAndLine) {
    const ScratchDirectory dir;
    const std::string file = (dir / "a.conf").string();
    for (const auto& [content, message] : std::vector<std::pair<std::string, std::string>>{
             {"frob = 1", ":1: unknown key frob"},
             {"\n# max-clients = 0\nmax-clients = 0", ":3: bad value for --max-clients"},
             {"listen", ":1: expected key = value"},
             {"= 1", ":1: expected key = value"},
             {"db =  ", ":1: db wants a value"},
             {"auto-register = yes", ":1: bad value for --auto-register"},
             {"nickname = x", ":1: unknown key nickname"},
             {"config = b.conf", ":1: unknown key config"}}) {
        const auto command = parseWithFile(dir, content);
        ASSERT_FALSE(command) << content;
        EXPECT_EQ(command.error().message, file + message);
    }
    EXPECT_EQ(parseCommandLine(Args{"--config", "none.conf"}).error().message,
              "cannot read none.conf: No such file or directory");
}

TEST(ConfigFile, TheProgramStopsAtABadFileWithOneLineAndExitStatusTwo) {
    const ScratchDirectory dir;
    dir.addFile("bad.conf", "listen = 127.0.0.1:0\nfrob = 1\n");
    const std::string file = (dir / "bad.conf").string();
    EXPECT_EQ(shell(ARDENTIS_SERVER_BINARY " --config " + file + " 2>&1"),
              std::pair(2, "ardentis-server: " + file + ":2: unknown key frob\n"));
}

}  // namespace
}  // namespace ardentis::server::testing
