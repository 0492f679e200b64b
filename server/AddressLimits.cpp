#include "AddressLimits.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

constexpr long long HourMs = 3600 * 1000LL;
const Allowance Allowances[2] = {MessageAllowance, JournalAllowance};

void DropOld(std::deque<long long>& times, long long nowMs) {
    while (!times.empty() && nowMs - times.front() >= HourMs) times.pop_front();
}

}  // namespace

long long SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void AddressLimits::Refill(Entry& e, long long nowMs) {
    long long passed = nowMs - e.Last;
    if (passed <= 0) return;
    for (int k = 0; k < 2; k++) {
        e.Tokens[k] += double(passed) / Allowances[k].RefillMs;
        if (e.Tokens[k] > Allowances[k].Burst) e.Tokens[k] = Allowances[k].Burst;
    }
    e.Last = nowMs;
}

// Forgets the addresses that would come back as new anyway: full allowances
// and no new player within the hour. If most are still busy (a flood from
// very many addresses), the least busy go until an eighth of the table is
// free, so the sweep runs once per many new addresses.
void AddressLimits::Forget(long long nowMs) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        Refill(it->second, nowMs);
        DropOld(it->second.NewPlayers, nowMs);
        bool idle = it->second.NewPlayers.empty();
        for (int k = 0; k < 2; k++) idle = idle && it->second.Tokens[k] >= Allowances[k].Burst;
        it = idle ? entries_.erase(it) : std::next(it);
    }
    const std::size_t keep = AddressesKept / 8 * 7;
    if (entries_.size() <= keep) return;
    // Busier: more new players this hour, less of the allowances left.
    std::vector<std::pair<double, std::uint32_t>> byUse;
    for (auto& [address, e] : entries_) {
        double used = double(e.NewPlayers.size());
        for (int k = 0; k < 2; k++) used += 1 - e.Tokens[k] / Allowances[k].Burst;
        byUse.push_back({used, address});
    }
    std::size_t drop = entries_.size() - keep;
    std::nth_element(byUse.begin(), byUse.begin() + long(drop), byUse.end());
    for (std::size_t i = 0; i < drop; i++) entries_.erase(byUse[i].second);
}

AddressLimits::Entry& AddressLimits::At(std::uint32_t address, long long nowMs) {
    auto it = entries_.find(address);
    if (it == entries_.end()) {
        if (entries_.size() >= AddressesKept) Forget(nowMs);
        it = entries_.emplace(address, Entry{}).first;
        it->second.Last = nowMs;
    }
    Refill(it->second, nowMs);
    return it->second;
}

bool AddressLimits::Take(std::uint32_t address, Kind kind, long long nowMs) {
    std::lock_guard<std::mutex> guard(lock_);
    Entry& e = At(address, nowMs);
    if (e.Tokens[kind] < 1) return false;
    e.Tokens[kind] -= 1;
    return true;
}

bool AddressLimits::MayAddPlayer(std::uint32_t address, long long nowMs) {
    std::lock_guard<std::mutex> guard(lock_);
    Entry& e = At(address, nowMs);
    DropOld(e.NewPlayers, nowMs);
    return int(e.NewPlayers.size()) < NewPlayersPerHour;
}

void AddressLimits::PlayerAdded(std::uint32_t address, long long nowMs) {
    std::lock_guard<std::mutex> guard(lock_);
    Entry& e = At(address, nowMs);
    e.NewPlayers.push_back(nowMs);
}

std::size_t AddressLimits::Addresses() {
    std::lock_guard<std::mutex> guard(lock_);
    return entries_.size();
}
