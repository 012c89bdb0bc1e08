#include "ui/forms/notifications.h"

#include <string>
#include <string_view>
#include <utility>

#include "text/literal.h"
#include "text/shown.h"

namespace ardentis::forms {
namespace {

using text::Gbk;
using text::shown;

constexpr std::string_view kSection = R"(Software\Morvane\Ardentis\notify)";
// A gathered balloon names this many events and counts the rest.
constexpr std::size_t kLinesShown = 3;

// Each choice's value name and member.
constexpr std::pair<std::string_view, bool NotifyChoices::*> kValues[] = {
    {"comeandgo", &NotifyChoices::comeAndGo},
    {"roomfull", &NotifyChoices::roomFull},
    {"allready", &NotifyChoices::allReady},
    {"gamestart", &NotifyChoices::gameStart},
    {"mention", &NotifyChoices::mention},
    {"sound", &NotifyChoices::sound},
    {"tray", &NotifyChoices::tray}};

Gbk textOf(Notifications::Event event, const Gbk& who) {
    using Event = Notifications::Event;
    switch (event) {
        case Event::PlayerCame:
            return who + shown<" 进入了房间">();
        case Event::PlayerLeft:
            return who + shown<" 离开了房间">();
        case Event::RoomFull:
            return shown<"房间已满员">();
        case Event::AllReady:
            return shown<"所有玩家都已准备好，可以开始游戏了">();
        case Event::GameStart:
            return who + shown<" 开始了游戏">();
        case Event::Mention:
            return shown<"聊天中有人提到了你：">() + who;
    }
    return who;
}

}  // namespace

NotifyChoices loadNotifyChoices(platform::Registry& registry) {
    NotifyChoices choices;
    auto key = registry.openKey(platform::RegistryHive::CurrentUser, kSection);
    if (!key) {
        return choices;
    }
    for (const auto& [name, member] : kValues) {
        if (const auto value = (*key)->readText(name); value && !value->empty()) {
            choices.*member = *value != Gbk("0");
        }
    }
    return choices;
}

bool saveNotifyChoices(platform::Registry& registry, const NotifyChoices& choices) {
    auto key = registry.createKey(platform::RegistryHive::CurrentUser, kSection);
    if (!key) {
        return false;
    }
    bool saved = true;
    for (const auto& [name, member] : kValues) {
        saved = (*key)->writeText(name, Gbk(choices.*member ? "1" : "0")).has_value() && saved;
    }
    return saved;
}

Notifications::Notifications(platform::DesktopNotifier& desktop, platform::EventLoop& loop,
                             std::function<void()> alert)
    : desktop_(desktop),
      alert_(std::move(alert)),
      quiet_(loop.createTimer(kQuietMs, false, [this] { quietEnded(); })) {}

Notifications::~Notifications() {
    if (started_) {
        (void)desktop_.showTrayIcon(false);
    }
}

void Notifications::start() {
    started_ = desktop_.showTrayIcon(true);
}

void Notifications::setChoices(const NotifyChoices& choices) {
    choices_ = choices;
    desktop_.minimiseToTray(choices.tray);
}

bool Notifications::wanted(Event event) const {
    switch (event) {
        case Event::PlayerCame:
        case Event::PlayerLeft:
            return choices_.comeAndGo;
        case Event::RoomFull:
            return choices_.roomFull;
        case Event::AllReady:
            return choices_.allReady;
        case Event::GameStart:
            return choices_.gameStart;
        case Event::Mention:
            return choices_.mention;
    }
    return false;
}

void Notifications::tell(Event event, const Gbk& who) {
    if (!wanted(event) || desktop_.inFront()) {
        return;
    }
    const Gbk text = textOf(event, who);
    if (quiet_->enabled()) {
        held_.push_back(text);
        return;
    }
    show(text);
}

void Notifications::show(const Gbk& text) {
    desktop_.flash();
    (void)desktop_.balloon(Gbk("Ardentis"), text);
    if (choices_.sound && alert_) {
        alert_();
    }
    quiet_->setEnabled(true);
}

void Notifications::quietEnded() {
    quiet_->setEnabled(false);
    std::vector<Gbk> held = std::exchange(held_, {});
    // The user came back meanwhile and has seen it all.
    if (held.empty() || desktop_.inFront()) {
        return;
    }
    Gbk text;
    for (std::size_t index = 0; index < held.size() && index < kLinesShown; ++index) {
        text = text.empty() ? held[index] : text + Gbk("\n") + held[index];
    }
    if (held.size() > kLinesShown) {
        text = text + Gbk("\n") + shown<"……还有 ">() +
               Gbk(std::to_string(held.size() - kLinesShown)) + shown<" 条提醒">();
    }
    show(text);
}

}  // namespace ardentis::forms
