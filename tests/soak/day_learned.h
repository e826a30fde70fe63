// The user's visits of the park airport over the day and what they leave in its learned file.
// The user flies away and comes back twice in every ten minutes (in the short run's seven
// minutes the simulator switch, the SimConnect error and one flight away end visits too); the
// park file holds uses of the feed's own aircraft on the stands they stand on from the start,
// which the program then sees again. After each visit the learned file read back holds each
// use once and grows only by uses that are new; its size after each visit goes into the
// closing note.
#pragma once

#include "core/geo.h"
#include "parking/stand.h"
#include "soak/soak_feed.h"
#include "support/park_file_builder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace soak {

// The user's move at this simulated second, if any: true flies away, false comes back.
std::optional<bool> gf_visitMoveAt(int second);

// For each stand (by index), park file uses of the feed's aircraft that stand on it from the
// start, all Wednesday and Thursday.
std::vector<std::vector<testsupport::OptFixture>> gf_feedStandUses(const SoakFeed& feed,
                                                                   const std::vector<LatLon>& stands);

// What the stands held at the close that the park airport read back lacks, one text each: a
// stand, its radius and cargo flag, a use (kept when the stand read back holds the same use).
std::vector<std::string> gf_lostByTheClose(const std::vector<Stand>& atClose, const std::vector<Stand>& readBack);

class LearnedFileWatch {
public:
    explicit LearnedFileWatch(std::filesystem::path file) : m_file(std::move(file)) {}

    // Each simulated second and once after the close: a new save is read back and checked.
    void check(int second);
    void expectKept() const;
    std::string summary() const;

private:
    // A use of the learned file: its stand element (id, manual or not) and the option.
    struct Use {
        std::string stand;
        ParkOpt option;
    };
    std::vector<Use> lf_readUses() const;

    std::filesystem::path m_file;
    std::filesystem::file_time_type m_savedAt{};
    std::vector<Use> m_uses;
    std::vector<std::string> m_sizes; // after each visit
    std::vector<std::string> m_breaches;
};

} // namespace soak
