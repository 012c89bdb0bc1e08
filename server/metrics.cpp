#include "server/metrics.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <utility>

#include "protocol/lobby_message.h"
#include "protocol/message_kind.h"

namespace ardentis::server {
namespace {

void family(std::string& out, const char* name, const char* type, const char* help) {
    out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

void sample(std::string& out, const std::string& name, std::uint64_t value) {
    out += name + " " + std::to_string(value) + "\n";
}

void single(std::string& out, const char* name, const char* type, const char* help,
            std::uint64_t value) {
    family(out, name, type, help);
    sample(out, name, value);
}

std::string seconds(double value) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.9g", value);
    return text.data();
}

}  // namespace

void LatencyHistogram::observe(std::chrono::steady_clock::duration wait) noexcept {
    const double s = std::chrono::duration<double>(wait).count();
    const auto bucket = std::ranges::lower_bound(kBounds, s) - kBounds.begin();
    ++buckets_[static_cast<std::size_t>(bucket)];
    ++count_;
    sum_ += wait;
}

void LatencyHistogram::render(std::string& out, const char* name) const {
    const std::string base = name;
    std::uint64_t below = 0;
    for (std::size_t i = 0; i < kBounds.size(); ++i) {
        below += buckets_[i];
        sample(out, base + "_bucket{le=\"" + seconds(kBounds[i]) + "\"}", below);
    }
    sample(out, base + "_bucket{le=\"+Inf\"}", count_);
    out += base + "_sum " + seconds(std::chrono::duration<double>(sum_).count()) + "\n";
    sample(out, base + "_count", count_);
}

std::string renderMetrics(const ServerMetrics& metrics, const ServerGauges& gauges) {
    namespace cmd = protocol::command;
    std::string out;
    single(out, "ardentis_connections", "gauge", "Connections open, logged in or not.",
           gauges.connections);
    single(out, "ardentis_users_online", "gauge", "Users logged in, held seats included.",
           gauges.online);
    single(out, "ardentis_users_held", "gauge",
           "Room seats held for users whose connection dropped.", gauges.held);
    family(out, "ardentis_rooms", "gauge", "Open rooms by status.");
    sample(out, "ardentis_rooms{status=\"waiting\"}", gauges.roomsWaiting);
    sample(out, "ardentis_rooms{status=\"playing\"}", gauges.roomsPlaying);
    single(out, "ardentis_received_bytes_total", "counter", "Bytes read from clients.",
           metrics.bytesIn);
    single(out, "ardentis_records_in_total", "counter", "Whole records read from clients.",
           metrics.bytesIn / protocol::kRecordSize);
    family(out, "ardentis_lobby_records_total", "counter",
           "Records of logged-in users past the flood limits, by kind.");
    std::uint64_t other =
        std::accumulate(gauges.lobbyRecords.begin(), gauges.lobbyRecords.end(), std::uint64_t{0});
    for (const auto& [command, kind] :
         {std::pair(cmd::kLobbyChat, "lobby_chat"), std::pair(cmd::kUser, "user"),
          std::pair(cmd::kRoom, "room")}) {
        const std::uint64_t n =
            command < gauges.lobbyRecords.size() ? gauges.lobbyRecords[command] : 0;
        sample(out, std::string("ardentis_lobby_records_total{kind=\"") + kind + "\"}", n);
        other -= n;
    }
    sample(out, "ardentis_lobby_records_total{kind=\"other\"}", other);
    single(out, "ardentis_records_out_total", "counter", "Records handed to client sockets.",
           metrics.recordsOut);
    single(out, "ardentis_flood_dropped_records_total", "counter",
           "Records dropped by the flood limits.", metrics.floodDrops);
    single(out, "ardentis_slow_readers_cut_total", "counter",
           "Connections cut off for what waited behind their writes.", metrics.slowCutOffs);
    single(out, "ardentis_failed_logins_total", "counter",
           "Log-ins refused for their password or for too many failures.", metrics.failedLogins);
    single(out, "ardentis_queued_bytes", "gauge", "Bytes queued for clients, not yet written.",
           gauges.queuedBytes);
    family(out, "ardentis_delivery_seconds", "histogram",
           "From a record queued on an idle connection until its batch is written.");
    metrics.delivery.render(out, "ardentis_delivery_seconds");
    return out;
}

}  // namespace ardentis::server
