#include "ui/forms/control_texts.h"

#include "text/literal.h"
#include "text/shown.h"

namespace ardentis::forms {

using text::Gbk;
using text::shown;
using text::zh;

namespace battleroom_items {

std::vector<Gbk> maps() {
    return {Gbk("Gods of War 2"), Gbk("Comet Catcher"), Gbk("Shore to Shore")};
}
std::vector<Gbk> commander() {
    return {shown<"继续游戏">(), shown<"游戏结束">(), shown<"死亡竞赛">()};
}
std::vector<Gbk> los() {
    return {shown<"真实视野">(), shown<"圆形视野">(), shown<"视野全开">()};
}
std::vector<Gbk> forbidAllow() {
    return {shown<"禁止">(), shown<"允许">()};
}
std::vector<Gbk> mapmode() {
    return {shown<"未探索">(), shown<"已探索">()};
}
std::vector<Gbk> startpos() {
    return {shown<"固定">(), shown<"随机">()};
}

}  // namespace battleroom_items

namespace options_items {

std::vector<Gbk> vnntypes() {
    return {Gbk("VNN 3.0"),  Gbk("HAMACHI"),   Gbk("Radmin VPN"),
            Gbk("ZeroTier"), Gbk("Tailscale"), shown<"其他">()};
}

std::vector<Gbk> languages() {
    return {zh<"中文">(), Gbk("English")};
}

std::vector<Gbk> adapterColumns() {
    return {shown<"网卡">(), shown<"地址">(), shown<"状态">(), shown<"使用">(), shown<"说明">()};
}

}  // namespace options_items

}  // namespace ardentis::forms
