// Start-up processing of the scanned liveries into the livery and regcode tables.
#pragma once

#include "refdata/category.h"

#include <string>
#include <vector>

// Reads "LiveriesScanned.xml" and builds every table once per process; a
// vtx::UserErrorException of the file reader passes on to the caller.
void gf_processScannedLiveries();
// Clears the livery tables when the window asked for a rebuild, so that the next start-up
// reads "LiveriesScanned.xml" again. Only while no aircraft and no other thread use them.
void gf_dropLiveryTablesIfAsked();

// Logs what one category has installed; a category without liveries switches its setting off.
void lf_logCategory(Category category);
// Logs the models, 20 to a line, and adds them to the list the first set flag names.
void lf_collectCategoryModels(bool light, bool buzjet, bool rotorcraft, const std::vector<std::string>& models);
void lf_logGenericLiveries();
