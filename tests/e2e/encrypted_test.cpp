// A headless client that asks for encryption, against the real server's TLS listener.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "headless_peer.h"
#include "server/account_store.h"
#include "server/certificate.h"
#include "settings/options_store.h"
#include "settings/server_pins.h"
#include "tests/server/server_fixture.h"
#include "text/literal.h"

namespace ardentis::e2e {
namespace {

using platform::RegistryHive;
using text::Gbk;
using text::zh;

bool contains(const Gbk& text, std::string_view part) {
    return text.view().find(part) != std::string_view::npos;
}

// A certificate the user accepted for another server at this address is refused before
// anything is sent, with both fingerprints named, and not tried again; once the user has
// removed it, the server's own is shown, accepted, kept, and the log-in goes over TLS.
TEST(Encrypted, AnotherServersCertificateIsRefusedBeforeTheLogInAnUnknownOneIsAskedAndKept) {
    const ardentis::testing::ScratchDirectory dir;
    auto options = server::testing::testOptions(dir);
    const std::string fingerprint =
        server::makeCertificate("127.0.0.1", dir.path() / "tls").value();
    options.tlsHost = "127.0.0.1";
    options.tlsCert = (dir.path() / "tls" / "cert.pem").string();
    options.tlsKey = (dir.path() / "tls" / "key.pem").string();
    const server::testing::RunningServer server(options);
    const std::uint16_t port = server.tlsPort();

    HeadlessPeer alice{dir.path(), Gbk("alice"), Gbk("pw"), server.port(), 1};
    forms::HeadlessMachine& machine = alice.machine();
    machine.registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, "tls", Gbk("1"));
    machine.registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, "tlsport",
                             Gbk(std::to_string(port)));
    settings::ServerPins pins(machine.registry);
    const std::string other = "00:11:22:33";
    ASSERT_TRUE(pins.pin("127.0.0.1", port, other).has_value());
    alice.start();
    auto& shown = machine.infoBox.shown;
    ASSERT_TRUE(runUntil({&alice}, [&] { return !shown.empty(); }));
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_TRUE(contains(shown[0], other) && contains(shown[0], fingerprint)) << shown[0].view();
    EXPECT_TRUE(machine.infoBox.asked.empty());
    EXPECT_FALSE(alice.ui().client.FormMain.reconnecting());
    EXPECT_EQ(server::AccountStore::open(options.database).value().find("alice").value(),
              std::nullopt)
        << "the log-in reached the server";

    machine.registry.setText(RegistryHive::CurrentUser, settings::kServersSection,
                             "127.0.0.1:" + std::to_string(port), Gbk());
    machine.infoBox.answers = {true};
    ASSERT_TRUE(alice.ui().main.BitBtn1.click());
    ASSERT_TRUE(runUntil({&alice}, [&] { return alice.ui().main.lvlobby.rowCount() == 1; }));
    ASSERT_EQ(machine.infoBox.asked.size(), 1U);
    EXPECT_TRUE(contains(machine.infoBox.asked[0], fingerprint));
    EXPECT_EQ(pins.pinned("127.0.0.1", port), fingerprint);
    std::stringstream log;
    log << std::ifstream(machine.log.file()).rdbuf();
    EXPECT_NE(log.str().find("TLS: TLS 1.3, "), std::string::npos) << log.str();
}

}  // namespace
}  // namespace ardentis::e2e
