// user32 stand-in: the program's resource table (what skyweaver.rc holds on
// Windows), the system cursor and icon, and message boxes, which are recorded
// and answered at once instead of waiting for a user.
#include "platform/standin/desktop.h"
#include "platform/standin/standin_support.h"
#include "platform/standin/window_table.h"

#include <algorithm>
#include <map>

namespace standin {

namespace {

// The resources of skyweaver.rc.
const std::map<UINT, std::wstring_view>& lf_strings()
{
    static const std::map<UINT, std::wstring_view> strings{{101, L"Skyweaver"}};
    return strings;
}
constexpr WORD kProgramIcon = 100;
constexpr WORD kFirstSystemResource = 32512;
constexpr WORD kLastSystemResource = 32651;

std::mutex g_boxesMutex;
std::vector<MessageBoxRecord> g_boxes;
int g_boxAnswer = 0;

bool lf_isSystemResource(LPCWSTR name)
{
    const auto id = reinterpret_cast<std::uintptr_t>(name);
    return IS_INTRESOURCE(name) && id >= kFirstSystemResource && id <= kLastSystemResource;
}

} // namespace

HINSTANCE programInstance() { return reinterpret_cast<HINSTANCE>(0x400000); }

std::vector<MessageBoxRecord> messageBoxes()
{
    std::lock_guard lock(g_boxesMutex);
    return g_boxes;
}

void setMessageBoxAnswer(int answer)
{
    std::lock_guard lock(g_boxesMutex);
    g_boxAnswer = answer;
}

void forgetMessageBoxes()
{
    std::lock_guard lock(g_boxesMutex);
    g_boxes.clear();
    g_boxAnswer = 0;
}

} // namespace standin

using namespace standin;

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int size)
{
    auto found = lf_strings().find(id);
    if (found == lf_strings().end() || buffer == nullptr) {
        return 0;
    }
    if (size == 0) {
        // As on Windows: the buffer receives a pointer to the read-only string itself.
        *reinterpret_cast<LPCWSTR*>(buffer) = found->second.data();
        return static_cast<int>(found->second.size());
    }
    const int count = std::min(static_cast<int>(found->second.size()), size - 1);
    std::copy_n(found->second.begin(), count, buffer);
    buffer[count] = L'\0';
    return count;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name)
{
    // A null instance asks for the system's icons, any other for the program's own.
    const bool found = instance == nullptr ? lf_isSystemResource(name)
                                           : IS_INTRESOURCE(name) && reinterpret_cast<std::uintptr_t>(name) == kProgramIcon;
    return found ? reinterpret_cast<HICON>(const_cast<LPWSTR>(name)) : nullptr;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    return instance == nullptr && lf_isSystemResource(name) ? reinterpret_cast<HCURSOR>(const_cast<LPWSTR>(name)) : nullptr;
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    std::lock_guard lock(g_boxesMutex);
    g_boxes.push_back(MessageBoxRecord{owner, narrow(text == nullptr ? L"" : text), narrow(caption == nullptr ? L"Error" : caption), type});
    if (g_boxAnswer != 0) {
        return g_boxAnswer;
    }
    const UINT buttons = type & 0xF;
    return buttons == MB_YESNO ? IDYES : IDOK;
}
