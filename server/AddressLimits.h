// What one client address may ask of the server: a steady rate of score
// messages and of journals, each with a burst for a game that sends what it
// kept while offline, and a few new players an hour. Players behind one
// address (a home, a school) share it, so the values leave room for several.
// All of it is kept in memory, per server process.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <unordered_map>

struct Allowance {
    int Burst;         // requests that may come at once
    int RefillMs;      // one more request allowed every RefillMs
};

// Score messages, journal downloads and other requests that reach the database.
constexpr Allowance MessageAllowance = {30, 2000};
// Journals sent for replay (each costs a replay of up to ReplayCpuMs).
constexpr Allowance JournalAllowance = {30, 10000};
// Players the database has never seen, per address in any hour.
constexpr int NewPlayersPerHour = 20;
// Addresses remembered at once; past it the idle ones are forgotten first.
constexpr std::size_t AddressesKept = 100000;

class AddressLimits {
public:
    enum Kind { Message = 0, Journal = 1 };
    // Takes one request of kind from the address's allowance; false when the
    // allowance is used up (the request is refused with 429).
    bool Take(std::uint32_t address, Kind kind, long long nowMs);
    // Whether a player not yet in the database may be added from address.
    bool MayAddPlayer(std::uint32_t address, long long nowMs);
    void PlayerAdded(std::uint32_t address, long long nowMs);
    std::size_t Addresses();

private:
    struct Entry {
        double Tokens[2] = {MessageAllowance.Burst, JournalAllowance.Burst};
        long long Last = 0;               // when the tokens were last refilled
        std::deque<long long> NewPlayers;  // when, within the last hour
    };
    Entry& At(std::uint32_t address, long long nowMs);
    void Refill(Entry& e, long long nowMs);
    void Forget(long long nowMs);

    std::mutex lock_;
    std::unordered_map<std::uint32_t, Entry> entries_;
};

// A steady clock in milliseconds.
long long SteadyMs();
