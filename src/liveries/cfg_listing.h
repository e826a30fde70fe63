// The listing of a livery folder's aircraft.cfg files, depth first with each folder's entries in
// listing order; the subfolders' trees are listed by the scan pool's workers.
#pragma once

#include <filesystem>
#include <vector>

struct CfgFileListing {
    std::vector<std::filesystem::path> files;
    bool stopped = false; // a stop or exit was requested: the files are not all listed
};

// The aircraft.cfg files below the folder in the order a depth-first walk on one thread lists
// them, whichever worker listed which subfolder. A folder that cannot be listed is reported (in
// walk order) and the listing goes on; folders of scenery and navigation publishers and paths of
// 250 bytes or more are not entered.
CfgFileListing lf_listCfgFiles(const std::filesystem::path& folder);
