#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/desktop_notifier.h"
#include "platform/event_loop.h"
#include "platform/registry.h"
#include "text/gbk.h"

namespace ardentis::forms {

// Which events the user wants to hear of while the client is behind other programs, and how.
struct NotifyChoices {
    bool comeAndGo = true;  // 有人进出房间
    bool roomFull = true;   // 房间满员
    bool allReady = true;   // 全部准备好
    bool gameStart = true;  // 游戏开始
    bool mention = true;    // 聊天中提到我
    bool sound = true;      // 播放提示音
    bool tray = false;      // 最小化到托盘

    friend bool operator==(const NotifyChoices&, const NotifyChoices&) = default;
};

// Kept under the client's key (subkey "notify"), one value per choice; a value that is
// missing or unreadable takes its default.
[[nodiscard]] NotifyChoices loadNotifyChoices(platform::Registry& registry);
[[nodiscard]] bool saveNotifyChoices(platform::Registry& registry, const NotifyChoices& choices);

// Tells the user of what happens in the lobby and the room while none of the client's windows
// is in front: the taskbar button flashes, the tray icon shows a balloon and, if chosen, the
// alert sound plays. A burst of events makes one balloon at once and one more for the rest
// at the end of a short quiet spell, never one each.
class Notifications {
  public:
    enum class Event : std::uint8_t {
        PlayerCame,
        PlayerLeft,
        RoomFull,
        AllReady,
        GameStart,
        Mention
    };
    // How long after a balloon the next events are gathered into one.
    static constexpr int kQuietMs = 1500;

    // `alert` plays the alert sound off the window thread.
    Notifications(platform::DesktopNotifier& desktop, platform::EventLoop& loop,
                  std::function<void()> alert);
    ~Notifications();
    Notifications(const Notifications&) = delete;
    Notifications& operator=(const Notifications&) = delete;

    // The tray icon, from the program's start to its end.
    void start();
    void setChoices(const NotifyChoices& choices);
    [[nodiscard]] const NotifyChoices& choices() const noexcept { return choices_; }
    // `who` names the player (joined, left), the host (started) or holds the chat line.
    void tell(Event event, const text::Gbk& who = {});

  private:
    [[nodiscard]] bool wanted(Event event) const;
    void show(const text::Gbk& text);
    void quietEnded();

    platform::DesktopNotifier& desktop_;
    std::function<void()> alert_;
    NotifyChoices choices_;
    std::unique_ptr<platform::Timer> quiet_;  // runs from a balloon to the end of its spell
    std::vector<text::Gbk> held_;             // what came during the spell
    bool started_ = false;
};

}  // namespace ardentis::forms
