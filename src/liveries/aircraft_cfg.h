// Turning the [fltsim.N] sections of one aircraft.cfg into scanned liveries. Every scan task
// runs one of the two searches into findings of its own; the scan merges them in listing order.
#pragma once

#include "liveries/livery_data.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An IVAO MTL file: its path holds "ivao_x-csl" or "IVAO_MTL".
bool lf_isIvaoPath(std::string_view pathText);

// What one file gave: its liveries, whose titles are not claimed yet, and the lines for the
// report lists.
struct CfgFindings {
    struct Livery {
        LiveryData data;
        // The line reported when the title is already taken, made only then: its format
        // (a literal taking folder, first line and title) and the section's first line.
        std::string_view duplicateFormat;
        std::string firstLine;
    };
    std::vector<Livery> liveries;
    std::vector<std::pair<ReportLines*, std::string>> reports;
    std::string folderText; // the folder holding the file, as UTF-8
};

// The task bodies. Each returns the file's findings; a fault is logged and passes on to the
// caller. The don't-use titles must outlive the task.
CfgFindings lf_searchLiveriesinFile(std::int32_t folderIndex, std::filesystem::path path,
                                    const std::vector<std::string>& dontUseTitles);
CfgFindings lf_searchLiveriesinIVAOFile(std::int32_t folderIndex, std::filesystem::path path,
                                        const std::vector<std::string>& dontUseTitles);

// On the scan's thread, file by file in listing order: claims each livery's title for the scan
// (a title already taken keeps its first livery and the duplicate is reported), appends the
// report lines to their lists and returns the liveries that got their title.
std::vector<LiveryData> lf_mergeCfgFindings(CfgFindings findings);
