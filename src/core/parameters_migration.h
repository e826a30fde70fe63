// Bringing "parameters.xml" and the working folder up to the program's version.
#pragma once

// Records the program's version in PROGRAM_VERSION and, after an update, removes
// obsolete settings, files and folders. True when the stored version is too old to
// migrate (the file must then be rewritten with defaults). File-system errors are
// thrown as std::filesystem::filesystem_error.
bool lf_migrateParameters();
