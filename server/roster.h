#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "server/frame.h"
#include "server/member.h"

namespace ardentis::server {

// The users on line, by account, with a flat list for broadcasting.
class Roster {
  public:
    // nullptr when the account is already on line.
    [[nodiscard]] Member* add(Peer& peer, const protocol::UserRecord& user);
    void remove(Member& member);
    [[nodiscard]] Member* find(std::string_view account) const;

    void broadcast(const Frame& frame, const Member* except = nullptr) const;
    [[nodiscard]] const std::vector<Member*>& members() const noexcept { return list_; }
    [[nodiscard]] std::size_t size() const noexcept { return list_.size(); }

  private:
    std::unordered_map<std::string, std::unique_ptr<Member>> byAccount_;
    std::vector<Member*> list_;
};

}  // namespace ardentis::server
