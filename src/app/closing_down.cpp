// How a run ends from the outside: a reader that stopped on an error.
#include "app/closing_down.h"

#include "app/exit_reason.h"
#include "ui/status_line.h"

#include <fmt/format.h>

void gf_reportReaderStopped(std::string_view readerName, std::string_view errorText)
{
    gf_showMessage(fmt::format("The {} has stopped with error: {}", readerName, errorText), true);
    gf_requestStop(ExitReason::ReaderError, 15);
}
