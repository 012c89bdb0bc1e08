#include "server/roster.h"

namespace ardentis::server {

Member* Roster::add(Peer& peer, const protocol::UserRecord& user) {
    std::string account(user.account.view());
    if (byAccount_.contains(account)) {
        return nullptr;
    }
    auto member = std::make_unique<Member>();
    member->peer = &peer;
    member->user = user;
    member->slot = list_.size();
    member->order = ++latest_;
    Member* raw = member.get();
    inOrder_.emplace(raw->order, raw);
    byAccount_.emplace(std::move(account), std::move(member));
    list_.push_back(raw);
    return raw;
}

void Roster::remove(Member& member) {
    // Swap-remove keeps removal constant time; the order of the list means nothing.
    Member* last = list_.back();
    list_[member.slot] = last;
    last->slot = member.slot;
    list_.pop_back();
    inOrder_.erase(member.order);
    byAccount_.erase(std::string(member.user.account.view()));
}

Member* Roster::find(std::string_view account) const {
    const auto it = byAccount_.find(std::string(account));
    return it == byAccount_.end() ? nullptr : it->second.get();
}

void Roster::broadcast(const Frame& frame, const Member* except) const {
    for (const Member* member : list_) {
        if (member != except) {
            member->deliver(frame);
        }
    }
}

}  // namespace ardentis::server
