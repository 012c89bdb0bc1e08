#include "platform/fake/simulated_total_annihilation.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace ardentis::platform {
namespace {

using Screen = SimulatedTotalAnnihilation::Screen;

struct Paint {
    PixelPoint at;
    Rgb colour;
};

constexpr Rgb kOlive{19, 19, 0};
constexpr Rgb kGreen{27, 159, 19};
constexpr Rgb kGrey59{59, 59, 59};
constexpr Rgb kGrey43{43, 43, 43};
constexpr Rgb kGrey91{91, 91, 91};
constexpr Rgb kGrey123{123, 123, 123};
constexpr Rgb kGrey155{155, 155, 155};
constexpr Rgb kHighlight{231, 207, 63};

// The menu screens' marks, at the places and in the colours the game draws them.
constexpr std::array kGameListMarks{
    Paint{{454, 295}, kOlive}, Paint{{68, 297}, kOlive},  Paint{{231, 297}, kOlive},
    Paint{{297, 297}, kOlive}, Paint{{344, 297}, kOlive}, Paint{{608, 297}, kOlive},
};
constexpr Paint kJoinFailedBox{{254, 130}, kOlive};
constexpr Paint kGameListTitle{{254, 130}, Rgb{95, 0, 0}};
constexpr std::array kConnectMarks{Paint{{164, 335}, kGrey155}, Paint{{617, 333}, kGrey123},
                                   Paint{{627, 437}, kGrey59}};
constexpr std::array kBattleroomMarks{Paint{{517, 382}, kGreen},  Paint{{623, 382}, kGrey59},
                                      Paint{{622, 67}, kGreen},   Paint{{572, 451}, kGrey43},
                                      Paint{{618, 454}, kGrey43}, Paint{{616, 453}, kGrey91}};
constexpr std::array kBattleroomReadyMarks{
    Paint{{517, 382}, kGreen},     Paint{{623, 382}, kGreen},     Paint{{622, 67}, kGreen},
    Paint{{572, 451}, kHighlight}, Paint{{618, 454}, kHighlight}, Paint{{616, 453}, kHighlight}};
constexpr std::array kMainMenuMarks{Paint{{16, 283}, kGrey123}, Paint{{30, 309}, kGrey123},
                                    Paint{{33, 22}, kGrey155}, Paint{{617, 296}, kGrey123}};
constexpr std::array kMultiplayerMarks{Paint{{73, 100}, kGrey123}, Paint{{72, 245}, kGrey123},
                                       Paint{{566, 100}, kGrey123},
                                       Paint{{567, 248}, Rgb{139, 139, 139}}};
constexpr std::array kScoreMarks{
    Paint{{23, 342}, Rgb{23, 19, 15}}, Paint{{341, 342}, Rgb{11, 11, 0}},
    Paint{{340, 429}, Rgb{59, 51, 35}}, Paint{{22, 433}, Rgb{119, 119, 87}},
    Paint{{611, 428}, Rgb{219, 219, 219}}};

// Buttons: a click counts when both its press and its release fall on the button.
constexpr PixelPoint kConnectOk{498, 329};
constexpr PixelPoint kJoinButton{482, 414};
constexpr PixelPoint kRetryButton{482, 364};
constexpr PixelPoint kStartButton{574, 451};
constexpr int kButtonHalfSize = 6;

bool onButton(PixelPoint at, PixelPoint button) {
    return std::abs(at.x - button.x) <= kButtonHalfSize &&
           std::abs(at.y - button.y) <= kButtonHalfSize;
}

template <std::size_t N>
std::optional<Rgb> paintAt(const std::array<Paint, N>& marks, PixelPoint at) {
    for (const Paint& mark : marks) {
        if (mark.at == at) {
            return mark.colour;
        }
    }
    return std::nullopt;
}

PixelPoint pointOf(std::intptr_t lParam) {
    const auto bits = static_cast<std::uint32_t>(lParam);
    return {static_cast<int>(bits & 0xFFFFU), static_cast<int>(bits >> 16U)};
}

// The value of "name=" in the ini text, if there is such a line.
std::optional<std::string_view> iniValue(std::string_view text, std::string_view name) {
    while (!text.empty()) {
        const auto end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        if (line.size() > name.size() && line.starts_with(name) && line[name.size()] == '=') {
            return line.substr(name.size() + 1);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 2);
    }
    return std::nullopt;
}

}  // namespace

std::optional<SimulatedTotalAnnihilation::Setup> SimulatedTotalAnnihilation::readLaunchFile(
    const FileSystem& files, const text::Gbk& executable, const text::Gbk& parameters) {
    if (!parameters.startsWith(text::Gbk("-c "))) {
        return std::nullopt;
    }
    const auto slash = executable.view().find_last_of("\\/");
    const std::string_view directory = slash == std::string_view::npos
                                           ? std::string_view{}
                                           : executable.view().substr(0, slash + 1);
    const auto content =
        files.readFile(text::Gbk(std::string(directory)) + text::Gbk(parameters.view().substr(3)));
    if (!content || !content->starts_with("[totala]\r\n")) {
        return std::nullopt;
    }
    Setup setup;
    setup.host = iniValue(*content, "creator") == std::optional<std::string_view>("1");
    setup.address = text::Gbk(iniValue(*content, "address").value_or(""));
    setup.player = text::Gbk(iniValue(*content, "player").value_or(""));
    return setup;
}

Rgb SimulatedTotalAnnihilation::pixel(PixelPoint point) const {
    std::optional<Rgb> colour;
    switch (screen_) {
        case Screen::GameList:
            colour = paintAt(kGameListMarks, point);
            if (!colour && point == kGameListTitle.at) {
                colour = kGameListTitle.colour;
            }
            break;
        case Screen::JoinFailed:
            colour = paintAt(kGameListMarks, point);
            if (!colour && point == kJoinFailedBox.at) {
                colour = kJoinFailedBox.colour;
            }
            break;
        case Screen::Connect:
            colour = paintAt(kConnectMarks, point);
            break;
        case Screen::Battleroom:
            colour = paintAt(kBattleroomMarks, point);
            break;
        case Screen::BattleroomReady:
            colour = paintAt(kBattleroomReadyMarks, point);
            break;
        case Screen::MainMenu:
            colour = paintAt(kMainMenuMarks, point);
            break;
        case Screen::Multiplayer:
            colour = paintAt(kMultiplayerMarks, point);
            break;
        case Screen::Score:
            colour = paintAt(kScoreMarks, point);
            break;
        case Screen::Loading:
        case Screen::Battle:
            break;
    }
    return colour.value_or(Rgb{0, 0, 0});
}

bool SimulatedTotalAnnihilation::handle(std::uint32_t message, std::uintptr_t /*wParam*/,
                                        std::intptr_t lParam) {
    switch (message) {
        case kWmClose:
            return false;
        case kWmLButtonDown:
            pressedAt_ = pointOf(lParam);
            break;
        case kWmLButtonUp:
            if (pressedAt_) {
                const PixelPoint pressed = *pressedAt_;
                pressedAt_.reset();
                const PixelPoint released = pointOf(lParam);
                if (std::abs(pressed.x - released.x) <= kButtonHalfSize &&
                    std::abs(pressed.y - released.y) <= kButtonHalfSize) {
                    click(released);
                }
            }
            break;
        default:
            break;
    }
    return true;
}

void SimulatedTotalAnnihilation::click(PixelPoint at) {
    clicks_.push_back(at);
    if (ignoresClicks_) {
        return;
    }
    switch (screen_) {
        case Screen::Connect:
            if (onButton(at, kConnectOk)) {
                screen_ = setup_.host ? Screen::Battleroom : Screen::GameList;
            }
            break;
        case Screen::GameList:
            if (onButton(at, kJoinButton)) {
                join();
            }
            break;
        case Screen::JoinFailed:
            if (onButton(at, kRetryButton)) {
                join();
            }
            break;
        case Screen::BattleroomReady:
            if (onButton(at, kStartButton)) {
                screen_ = Screen::Battle;
            }
            break;
        default:
            break;
    }
}

void SimulatedTotalAnnihilation::join() {
    screen_ = hostAnswers_ ? Screen::Battleroom : Screen::JoinFailed;
}

void SimulatedTotalAnnihilation::everyoneReady() {
    if (screen_ == Screen::Battleroom) {
        screen_ = Screen::BattleroomReady;
    }
}

void SimulatedTotalAnnihilation::endBattle() {
    screen_ = Screen::Score;
}

}  // namespace ardentis::platform
