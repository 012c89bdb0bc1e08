#pragma once

namespace ardentis::room {

// The battle room window's two states, as the lobby model switches them.
class RoomWindow {
  public:
    virtual ~RoomWindow() = default;
    // The host may change every option; 开始 shows, 准备就绪 hides.
    virtual void setcreatestatus() = 0;
    // The options are the host's; 准备就绪 shows, 开始 hides.
    virtual void setjoinstatus() = 0;
};

}  // namespace ardentis::room
