// "parameters.xml": the settings of the six registries, read at start-up, written
// whole when needed and then saved one value at a time.
#pragma once

#include "core/parameter.h"

#include <mutex>
#include <string>
#include <string_view>

// Serialises load, change and save of "parameters.xml" between the GUI thread and the
// start-up thread. Inside it only the log and status-line mutexes may be taken, and no
// message is sent to a control (a control's thread may be waiting for this mutex).
extern std::mutex g_parametersMutex;

// Start-up: reads the file (a new file switches both scans on) and migrates it after a
// version change.
void gf_initParameters();
// True when the file had to be created with defaults, false when an existing file was read.
bool gf_readParameters();
// Writes the whole file from the registries, with the defaults or with the current values.
void gf_writeParameters(bool withDefaults);

// A file that cannot be used is kept as "parameters0.xml" before anything replaces it, with a
// log line that names it, what was wrong (`reason`) and what follows (`then`). One that cannot
// be copied is left as it is, so that the settings in it are not lost: false then.
bool gf_keepUnusableParameters(std::string_view reason, std::string_view then);

// Save one setting's current value.
void gf_saveBoolParameter(const BoolParameter& setting);
void gf_saveIntParameter(const IntParameter& setting);
void gf_saveStringParameter(const StringParameter& setting);
void gf_setStringParameter(StringParameter& setting, std::string_view text);

// Removes the first "parameter" of that name; true when one was removed.
bool lf_removeParameter(std::string_view name);

// Log one setting as name=value (strings in double quotes), while not quitting.
void lf_logBoolParameter(const BoolParameter& setting);
void lf_logIntParameter(const IntParameter& setting);
void gf_logStringParameter(const StringParameter& setting);
