// The rules a long run keeps at every simulated second, each checked against the program's
// own state: the stands, the titles in the records and the create requests, and the log.
// Each rule counts its breaches and keeps the first one with what broke it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace soak {

class DayInvariants {
public:
    // Log lines starting with one of these ("==> " lines the scenario causes on purpose) are
    // allowed.
    explicit DayInvariants(std::vector<std::string> expectedMarkedLines);

    // After the main loop's tick that ended a simulated second.
    void check(int second);
    // The log lines written since the last check; called by check() and once more at the end.
    void readNewLogLines();
    // Every rule kept; the log grew by less than 2 MB an hour over the simulated hours.
    void expectKept(double hours) const;
    std::string table() const;

private:
    struct Rule {
        const char* name;
        const char* why;
        int breaches = 0;
        std::string first;
    };
    void breach(std::size_t rule, int second, const std::string& what);
    // A condition that lasts a second only is the engine's own order of work (an arrival
    // replaces the static aircraft at the next second): a breach is one seen twice running.
    bool lasting(std::size_t rule, const std::string& key);

    void oneAircraftPerStand(int second);
    void holdersAreOnTheirStands(int second);
    void titlesAreInTheTables(int second);

    std::vector<Rule> m_rules;
    std::vector<std::string> m_expectedMarked;
    std::map<std::size_t, std::vector<std::string>> m_seen, m_seenBefore;
    std::uintmax_t m_logRead = 0;
    std::uintmax_t m_logBytes = 0;
    int m_lastSecond = 0;
};

} // namespace soak
