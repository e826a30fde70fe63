#include "app/closing_down.h"

#include "app/exit_reason.h"
#include "core/log.h"

#include <fmt/format.h>

// Logs the reader's fault and ends the run; the status line takes the text once it exists.
void gf_reportReaderStopped(std::string_view readerName, std::string_view errorText)
{
    gf_logMarked(fmt::format("The {} has stopped with error: {}", readerName, errorText));
    gf_requestStop(ExitReason::ReaderError, 15);
}
