// What ends a run from the outside: a reader that stopped on an error.
#pragma once

#include <string_view>

// Shows "The {} has stopped with error: {}" and ends the run with "READER ERROR"
// (restart after 15 s) unless another reason came first.
void gf_reportReaderStopped(std::string_view readerName, std::string_view errorText);
