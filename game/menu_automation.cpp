#include "game/menu_automation.h"

#include <string>

#include "settings/system_helpers.h"

namespace ardentis::game {
namespace {

using platform::PixelPoint;
using platform::Rgb;

constexpr int kIntervalMs = 10;
constexpr const char* kTitle = "Total Annihilation";

constexpr Rgb kOlive{19, 19, 0};
constexpr Rgb kGreen{27, 159, 19};
constexpr Rgb kGrey59{59, 59, 59};
constexpr Rgb kGrey123{123, 123, 123};
constexpr Rgb kGrey155{155, 155, 155};

constexpr PixelPoint kMenu5Click{498, 329};
constexpr PixelPoint kMenu4Click{482, 414};
constexpr PixelPoint kMenu44Click{482, 364};
constexpr PixelPoint kMenu7Click{574, 451};

constexpr int kMenu44Tries = 3;  // clicks while the count is 0 to 3; the fifth sighting closes

std::intptr_t pointParameter(PixelPoint at) {
    const auto bits =
        (static_cast<std::uint32_t>(at.y) << 16U) | (static_cast<std::uint32_t>(at.x) & 0xFFFFU);
    return static_cast<std::intptr_t>(bits);
}

}  // namespace

const std::array<TAutoClicker::Probe, TAutoClicker::kProbeCount>& TAutoClicker::probes() {
    static const std::array<Probe, kProbeCount> table{{
        {{254, 130}, std::nullopt, kOlive},
        {{454, 295}, kOlive, std::nullopt},
        {{68, 297}, kOlive, std::nullopt},
        {{231, 297}, kOlive, std::nullopt},
        {{297, 297}, kOlive, std::nullopt},
        {{344, 297}, kOlive, std::nullopt},
        {{608, 297}, kOlive, std::nullopt},
        {{164, 335}, kGrey155, std::nullopt},
        {{617, 333}, kGrey123, std::nullopt},
        {{627, 437}, kGrey59, std::nullopt},
        {{517, 382}, kGreen, kGrey59},
        {{623, 382}, kGreen, kGrey59},
        {{622, 67}, kGreen, kGrey59},
        {{572, 451}, Rgb{43, 43, 43}, std::nullopt},
        {{618, 454}, Rgb{43, 43, 43}, std::nullopt},
        {{616, 453}, Rgb{91, 91, 91}, std::nullopt},
        {{16, 283}, kGrey123, std::nullopt},
        {{30, 309}, kGrey123, std::nullopt},
        {{33, 22}, kGrey155, std::nullopt},
        {{617, 296}, kGrey123, std::nullopt},
        {{73, 100}, kGrey123, std::nullopt},
        {{72, 245}, kGrey123, std::nullopt},
        {{566, 100}, kGrey123, std::nullopt},
        {{567, 248}, Rgb{139, 139, 139}, std::nullopt},
        {{23, 342}, Rgb{23, 19, 15}, std::nullopt},
        {{341, 342}, Rgb{11, 11, 0}, std::nullopt},
        {{340, 429}, Rgb{59, 51, 35}, std::nullopt},
        {{22, 433}, Rgb{119, 119, 87}, std::nullopt},
        {{611, 428}, Rgb{219, 219, 219}, std::nullopt},
    }};
    return table;
}

TAutoClicker::TAutoClicker(platform::EventLoop& loop, platform::GameWindows& windows,
                           platform::SystemInfo& system, const protocol::TrafficLog& log,
                           std::function<void()> sendTAstart)
    : windows_(windows), system_(system), log_(log), sendTAstart_(std::move(sendTAstart)) {
    window_ = windows_.findWindow(text::Gbk(kTitle));
    timer_ = loop.createTimer(kIntervalMs, false, [this] { step(); });
    menu5Clicked = false;
    battleStarted = false;
}

void TAutoClicker::Start(int mode) {
    mode_ = mode;
    window_ = platform::kNoWindow;
    timer_->setEnabled(true);
    menu5Clicked = false;
    battleStarted = false;
    menu7ClickPending = false;
    menu44Clicks = 0;
    lastMenuIndex = 0;
}

bool TAutoClicker::equalsA(int probe) const {
    const Probe& p = probes()[static_cast<std::size_t>(probe)];
    return p.a && readings_[static_cast<std::size_t>(probe)] == *p.a;
}

bool TAutoClicker::equalsB(int probe) const {
    const Probe& p = probes()[static_cast<std::size_t>(probe)];
    return p.b && readings_[static_cast<std::size_t>(probe)] == *p.b;
}

bool TAutoClicker::allA(int first, int last) const {
    for (int probe = first; probe <= last; ++probe) {
        if (!equalsA(probe)) {
            return false;
        }
    }
    return true;
}

int TAutoClicker::GetMenuIndex() {
    if (window_ == platform::kNoWindow) {
        window_ = windows_.findWindow(text::Gbk(kTitle));
        if (window_ == platform::kNoWindow) {
            return kNoWindow;
        }
    }
    static const auto points = [] {
        std::array<PixelPoint, kProbeCount> all{};
        for (std::size_t i = 0; i < all.size(); ++i) {
            all[i] = probes()[i].at;
        }
        return all;
    }();
    if (!windows_.readPixels(window_, points, readings_)) {
        return kNoMenu;  // a window that has gone shows no menu
    }
    if (allA(1, 6)) {
        return equalsB(0) ? 44 : 4;
    }
    if (allA(7, 9)) {
        return 5;
    }
    if ((equalsA(10) || equalsB(10)) && (equalsA(11) || equalsB(11)) &&
        (equalsA(12) || equalsB(12)) && allA(13, 15)) {
        return 6;
    }
    if (allA(16, 19)) {
        return 2;
    }
    if (allA(20, 23)) {
        return 3;
    }
    if (battleStarted && allA(10, 12) && !equalsA(13) && !equalsA(14) && !equalsA(15)) {
        return 7;
    }
    if (allA(24, 28)) {
        return 8;
    }
    return kNoMenu;
}

void TAutoClicker::step() {
    const int m = GetMenuIndex();
    const platform::WindowHandle target = windows_.findWindow(text::Gbk(kTitle));
    if (m == kNoWindow && menu5Clicked) {
        return;
    }
    if (m != lastMenuIndex) {
        log_.LogText(text::Gbk("run TA in Menuindex:" + std::to_string(m)));
    }
    lastMenuIndex = m;
    switch (m) {
        case 3:
            if (battleStarted) {
                closeGame(target);
            }
            menu7ClickPending = false;
            break;
        case 4:
            if (!battleStarted && mode_ == kJoinMode) {
                click(target, kMenu4Click);
            }
            if (battleStarted) {
                closeGame(target);
            }
            menu7ClickPending = false;
            break;
        case 44:
            if (battleStarted || menu44Clicks > kMenu44Tries) {
                closeGame(target);
            } else {
                click(target, kMenu44Click);
                ++menu44Clicks;
            }
            menu7ClickPending = false;
            break;
        case 5:
            click(target, kMenu5Click);
            menu5Clicked = true;
            menu7ClickPending = false;
            break;
        case 6:
            battleStarted = true;
            if (sendTAstart_) {
                sendTAstart_();
            }
            menu7ClickPending = true;
            break;
        case 7:
            if (menu7ClickPending) {
                click(target, kMenu7Click);
                (void)settings::EnableTaskKeys(system_);
            }
            break;
        case 8:
            closeGame(target);
            menu7ClickPending = false;
            break;
        default:
            break;
    }
}

void TAutoClicker::click(platform::WindowHandle target, PixelPoint at) {
    windows_.sendMessage(target, platform::kWmLButtonDown, 0, pointParameter(at));
    windows_.sendMessage(target, platform::kWmLButtonUp, 0, pointParameter(at));
}

void TAutoClicker::closeGame(platform::WindowHandle target) {
    windows_.sendMessage(target, platform::kWmClose, 0, 0);
    timer_->setEnabled(false);
}

}  // namespace ardentis::game
