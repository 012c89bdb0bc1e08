#include "ui/forms/control_texts.h"

#include "text/literal.h"

namespace ardentis::forms {

using text::Gbk;
using text::zh;

namespace battleroom_items {

std::vector<Gbk> maps() {
    return {Gbk("Gods of War 2"), Gbk("Comet Catcher"), Gbk("Shore to Shore")};
}
std::vector<Gbk> commander() {
    return {zh<"继续游戏">(), zh<"游戏结束">(), zh<"死亡竞赛">()};
}
std::vector<Gbk> los() {
    return {zh<"真实视野">(), zh<"圆形视野">(), zh<"视野全开">()};
}
std::vector<Gbk> forbidAllow() {
    return {zh<"禁止">(), zh<"允许">()};
}
std::vector<Gbk> mapmode() {
    return {zh<"未探索">(), zh<"已探索">()};
}
std::vector<Gbk> startpos() {
    return {zh<"固定">(), zh<"随机">()};
}

}  // namespace battleroom_items

namespace options_items {

std::vector<Gbk> vnntypes() {
    return {Gbk("VNN 3.0"),  Gbk("HAMACHI"),   Gbk("Radmin VPN"),
            Gbk("ZeroTier"), Gbk("Tailscale"), zh<"其他">()};
}

std::vector<Gbk> adapterColumns() {
    return {zh<"网卡">(), zh<"地址">(), zh<"状态">(), zh<"使用">(), zh<"说明">()};
}

}  // namespace options_items

}  // namespace ardentis::forms
