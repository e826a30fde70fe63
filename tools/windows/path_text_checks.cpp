// Checks of path text that only a Windows build can make (its paths are UTF-16 and may
// hold an unpaired surrogate, as NTFS names may), run under Wine by scripts/wine-test.sh.
// Prints each check and "N passed, N failed"; exits non-zero on a failure.
#include "core/path_text.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

int lv_passed = 0;
int lv_failed = 0;

void lf_check(const char* what, bool ok)
{
    std::printf("%s: %s\n", ok ? "ok    " : "FAILED", what);
    (ok ? lv_passed : lv_failed) += 1;
}

bool lf_throws(const std::filesystem::path& path)
{
    try {
        path_to_utf8(path);
        return false;
    } catch (const std::exception&) {
        return true;
    }
}

} // namespace

int main()
{
    const std::filesystem::path unpaired(std::wstring{L'C', L':', L'\\', L'b', L'a', L'd', wchar_t(0xD800), L'x'});
    lf_check("an unpaired surrogate makes the exact conversion throw", lf_throws(unpaired));
    lf_check("the lossy text shows it as U+FFFD", gf_pathTextLossy(unpaired) == "C:\\bad\xEF\xBF\xBDx");
    const std::filesystem::path paired(std::wstring{L'Z', wchar_t(0xD83D), wchar_t(0xDEE9), L'\x00FC'});
    lf_check("a surrogate pair and other text convert whole", gf_pathTextLossy(paired) == "Z\xF0\x9F\x9B\xA9\xC3\xBC");
    std::printf("%d passed, %d failed\n", lv_passed, lv_failed);
    return lv_failed == 0 ? 0 : 1;
}
