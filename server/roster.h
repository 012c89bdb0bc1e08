#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
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
    // The users in the order they came, for newcomers' lists; the latest one's number.
    [[nodiscard]] const std::map<std::uint64_t, Member*>& inOrder() const noexcept {
        return inOrder_;
    }
    [[nodiscard]] std::uint64_t latest() const noexcept { return latest_; }

  private:
    std::unordered_map<std::string, std::unique_ptr<Member>> byAccount_;
    std::vector<Member*> list_;
    std::map<std::uint64_t, Member*> inOrder_;
    std::uint64_t latest_ = 0;
};

}  // namespace ardentis::server
