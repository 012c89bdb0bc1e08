#include "game/launch_files.h"

#include <string>

namespace ardentis::game {
namespace {

using text::Gbk;

constexpr const char* kTaKey = "Software\\Cavedog Entertainment\\Total Annihilation";
constexpr std::uint32_t kGamma = 12;

class Lines {
  public:
    Lines& add(std::string_view line) {
        text_ += Gbk(line) + Gbk("\r\n");
        return *this;
    }
    Lines& add(std::string_view name, const Gbk& value) {
        text_ += Gbk(name) + Gbk("=") + value + Gbk("\r\n");
        return *this;
    }
    Lines& add(std::string_view name, int value) { return add(name, Gbk(std::to_string(value))); }
    [[nodiscard]] Gbk text() const { return text_; }

  private:
    Gbk text_;
};

}  // namespace

Gbk hostIniText(const protocol::RoomRecord& room, const Gbk& map, const Gbk& vnnip,
                const Gbk& account) {
    return Lines()
        .add("[totala]")
        .add("watching", room.watch)
        .add("mapmode", room.mapmode)
        .add("location", room.startpos)
        .add("cheats", room.cheat)
        .add("los", room.los)
        .add("deathopt", room.commander)
        .add("metal", room.metal * 1000)
        .add("energy", room.energy * 1000)
        .add("maxunits", room.unitlimit * 50)
        .add("playerlimit", room.maxplayers)
        .add("connect=1")
        .add("address", vnnip)
        .add("pfs=3")
        .add("player", account)
        .add("password=")
        .add("session", account + Gbk("'s game"))
        .add("provider=MORVANE")
        .add("mission", map)
        .add("creator=1")
        .add("tournment=1")
        .add("lockOptions=0")
        .text();
}

Gbk clientIniText(const Gbk& hostip, const Gbk& account) {
    return Lines()
        .add("[totala]")
        .add("connect=1")
        .add("address", hostip)
        .add("pfs=3")
        .add("player", account)
        .add("password=")
        .add("creator=0")
        .text();
}

std::expected<void, platform::OsError> createhostinifile(platform::FileSystem& files,
                                                         const Gbk& taDir,
                                                         const protocol::RoomRecord& room,
                                                         const Gbk& map, const Gbk& vnnip,
                                                         const Gbk& account) {
    return files.writeFile(taDir + Gbk(kHostIniName),
                           hostIniText(room, map, vnnip, account).view());
}

std::expected<void, platform::OsError> createclientinifile(platform::FileSystem& files,
                                                           const Gbk& taDir, const Gbk& hostip,
                                                           const Gbk& account) {
    return files.writeFile(taDir + Gbk(kClientIniName), clientIniText(hostip, account).view());
}

std::expected<void, platform::RegistryError> writeGamma(platform::Registry& registry) {
    auto key = registry.createKey(platform::RegistryHive::CurrentUser, kTaKey);
    if (!key) {
        return std::unexpected(key.error());
    }
    return (*key)->writeDword("gamma", kGamma);  // the key closes as it goes
}

LaunchCommand launchCommand(Game game, Role role, const Gbk& account, const Gbk& hostip) {
    if (game == Game::TotalAnnihilation) {
        const char* file = role == Role::Host ? kHostIniName : kClientIniName;
        return {Gbk("-c ") + Gbk(file), platform::WindowMode::Maximized};
    }
    if (role == Role::Host) {
        return {Gbk("/exitongameover /hostgame udp 5000 ") + account + Gbk(" game of ") + account,
                platform::WindowMode::Normal};
    }
    return {Gbk("/exitongameover /joingame udp ") + hostip + Gbk(":5000 ") + account,
            platform::WindowMode::Normal};
}

Game gameOfCode(const Gbk& code) {
    return code == Gbk("SC") ? Game::SupremeCommander : Game::TotalAnnihilation;
}

}  // namespace ardentis::game
