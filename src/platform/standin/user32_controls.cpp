// user32 stand-in: the window procedures of the three control classes the
// program creates: "button" (push buttons and check boxes), "Edit" and
// "ComboBox" drop-down lists. Changes made by code send no notification, except
// the text of an edit box, which notifies as Windows' single-line edit does;
// what the user does notifies the parent with WM_COMMAND.
#include "platform/standin/window_table.h"

#include <algorithm>
#include <cwctype>

namespace standin {

namespace {

void lf_notifyParent(HWND control, WORD code)
{
    HWND parent = nullptr;
    int id = 0;
    {
        std::lock_guard lock(windowsMutex());
        const Window* window = findWindowLocked(control);
        if (window == nullptr) {
            return;
        }
        parent = window->parent;
        id = window->id;
    }
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

bool lf_isEnabled(HWND control) { return IsWindowEnabled(control) != FALSE; }

bool lf_sameText(std::wstring_view a, std::wstring_view b, bool prefixOnly)
{
    if (prefixOnly ? a.size() < b.size() : a.size() != b.size()) {
        return false;
    }
    return std::equal(b.begin(), b.end(), a.begin(), [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

// Searches the entries after start (all of them from -1), wrapping round, as the list boxes do.
int lf_findEntry(const Window& window, WPARAM start, LPARAM text, bool prefixOnly)
{
    if (text == 0) {
        return CB_ERR;
    }
    const std::wstring_view wanted(reinterpret_cast<LPCWSTR>(text));
    const int count = static_cast<int>(window.items.size());
    const int first = static_cast<int>(static_cast<INT_PTR>(start));
    for (int step = 1; step <= count; ++step) {
        const int index = ((first < 0 || first >= count ? -1 : first) + step) % count;
        if (lf_sameText(window.items[index], wanted, prefixOnly)) {
            return index;
        }
    }
    return CB_ERR;
}

bool lf_validIndex(const Window& window, WPARAM index)
{
    return static_cast<INT_PTR>(index) >= 0 && static_cast<std::size_t>(index) < window.items.size();
}

// The list messages that only read or change the list, under the lock.
LRESULT lf_comboMessageLocked(Window& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case CB_ADDSTRING:
        window.items.emplace_back(lParam == 0 ? L"" : reinterpret_cast<LPCWSTR>(lParam));
        window.itemData.push_back(0);
        return static_cast<LRESULT>(window.items.size() - 1);
    case CB_INSERTSTRING: {
        const INT_PTR index = static_cast<INT_PTR>(wParam) < 0 ? static_cast<INT_PTR>(window.items.size()) : static_cast<INT_PTR>(wParam);
        if (index > static_cast<INT_PTR>(window.items.size())) {
            return CB_ERR;
        }
        window.items.insert(window.items.begin() + index, lParam == 0 ? L"" : reinterpret_cast<LPCWSTR>(lParam));
        window.itemData.insert(window.itemData.begin() + index, 0);
        if (window.selection >= index) {
            ++window.selection;
        }
        return index;
    }
    case CB_DELETESTRING:
        if (!lf_validIndex(window, wParam)) {
            return CB_ERR;
        }
        window.items.erase(window.items.begin() + static_cast<std::ptrdiff_t>(wParam));
        window.itemData.erase(window.itemData.begin() + static_cast<std::ptrdiff_t>(wParam));
        if (window.selection == static_cast<int>(wParam)) {
            window.selection = -1;
        } else if (window.selection > static_cast<int>(wParam)) {
            --window.selection;
        }
        return static_cast<LRESULT>(window.items.size());
    case CB_RESETCONTENT:
        window.items.clear();
        window.itemData.clear();
        window.selection = -1;
        return CB_OKAY;
    case CB_GETCOUNT:
        return static_cast<LRESULT>(window.items.size());
    case CB_GETCURSEL:
        return window.selection;
    case CB_SETCURSEL:
        window.selection = lf_validIndex(window, wParam) ? static_cast<int>(wParam) : -1;
        return window.selection < 0 ? CB_ERR : window.selection;
    case CB_GETLBTEXT: {
        if (!lf_validIndex(window, wParam) || lParam == 0) {
            return CB_ERR;
        }
        const std::wstring& item = window.items[wParam];
        std::copy(item.begin(), item.end(), reinterpret_cast<LPWSTR>(lParam));
        reinterpret_cast<LPWSTR>(lParam)[item.size()] = L'\0';
        return static_cast<LRESULT>(item.size());
    }
    case CB_GETLBTEXTLEN:
        return lf_validIndex(window, wParam) ? static_cast<LRESULT>(window.items[wParam].size()) : CB_ERR;
    case CB_FINDSTRING:
        return lf_findEntry(window, wParam, lParam, true);
    case CB_FINDSTRINGEXACT:
        return lf_findEntry(window, wParam, lParam, false);
    case CB_SELECTSTRING: {
        const int found = lf_findEntry(window, wParam, lParam, true);
        if (found != CB_ERR) {
            window.selection = found;
        }
        return found;
    }
    case CB_GETITEMDATA:
        return lf_validIndex(window, wParam) ? window.itemData[wParam] : CB_ERR;
    case CB_SETITEMDATA:
        if (!lf_validIndex(window, wParam)) {
            return CB_ERR;
        }
        window.itemData[wParam] = lParam;
        return CB_OKAY;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        if (buffer == nullptr || wParam == 0) {
            return 0;
        }
        const std::wstring text = window.selection < 0 ? L"" : window.items[window.selection];
        const std::size_t count = std::min<std::size_t>(text.size(), wParam - 1);
        std::copy_n(text.begin(), count, buffer);
        buffer[count] = L'\0';
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
        return window.selection < 0 ? 0 : static_cast<LRESULT>(window.items[window.selection].size());
    case WM_SETTEXT: {
        // A drop-down list shows only its entries: the text selects the entry that matches.
        const int found = lf_findEntry(window, static_cast<WPARAM>(-1), lParam, false);
        if (found == CB_ERR) {
            return CB_ERR;
        }
        window.selection = found;
        return TRUE;
    }
    default:
        return CB_ERR;
    }
}

bool lf_isComboListMessage(UINT message)
{
    return (message >= CB_ADDSTRING && message <= CB_FINDSTRINGEXACT) || message == WM_GETTEXT ||
           message == WM_GETTEXTLENGTH || message == WM_SETTEXT;
}

} // namespace

LRESULT CALLBACK buttonProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case BM_GETCHECK: {
        std::lock_guard lock(windowsMutex());
        const Window* window = findWindowLocked(control);
        return window != nullptr && window->checked ? BST_CHECKED : BST_UNCHECKED;
    }
    case BM_SETCHECK: {
        std::lock_guard lock(windowsMutex());
        if (Window* window = findWindowLocked(control)) {
            window->checked = wParam == BST_CHECKED;
        }
        return 0;
    }
    case BM_CLICK:
        SendMessageW(control, WM_LBUTTONDOWN, 0, 0);
        SendMessageW(control, WM_LBUTTONUP, 0, 0);
        return 0;
    case WM_LBUTTONDOWN:
        return 0;
    case WM_LBUTTONUP: {
        if (!lf_isEnabled(control)) {
            return 0;
        }
        {
            // A BS_CHECKBOX only tells its parent; the parent decides the check.
            std::lock_guard lock(windowsMutex());
            Window* window = findWindowLocked(control);
            if (window != nullptr && (window->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
                window->checked = !window->checked;
            }
        }
        lf_notifyParent(control, BN_CLICKED);
        return 0;
    }
    default:
        return DefWindowProcW(control, message, wParam, lParam);
    }
}

LRESULT CALLBACK editProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcW(control, message, wParam, lParam);
        lf_notifyParent(control, EN_UPDATE);
        lf_notifyParent(control, EN_CHANGE);
        return result;
    }
    case kSelectAllText: {
        std::lock_guard lock(windowsMutex());
        if (Window* window = findWindowLocked(control)) {
            window->replaceOnType = true;
        }
        return 0;
    }
    case WM_CHAR: {
        if (!lf_isEnabled(control) || wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_TAB) {
            return 0;
        }
        bool changed = false;
        {
            std::lock_guard lock(windowsMutex());
            Window* window = findWindowLocked(control);
            if (window == nullptr) {
                return 0;
            }
            const std::wstring before = window->text;
            if (wParam == VK_BACK) {
                if (window->replaceOnType) {
                    window->text.clear();
                } else if (!window->text.empty()) {
                    window->text.pop_back();
                }
            } else {
                if (window->replaceOnType) {
                    window->text.clear();
                }
                window->text.push_back(static_cast<wchar_t>(wParam));
            }
            window->replaceOnType = false;
            changed = before != window->text;
        }
        if (changed) {
            lf_notifyParent(control, EN_UPDATE);
            lf_notifyParent(control, EN_CHANGE);
        }
        return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
        return 0;
    default:
        return DefWindowProcW(control, message, wParam, lParam);
    }
}

LRESULT CALLBACK comboBoxProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (lf_isComboListMessage(message)) {
        std::lock_guard lock(windowsMutex());
        Window* window = findWindowLocked(control);
        return window == nullptr ? CB_ERR : lf_comboMessageLocked(*window, message, wParam, lParam);
    }
    if (message != kPickEntry) {
        return DefWindowProcW(control, message, wParam, lParam);
    }
    // The user opened the list and clicked an entry.
    if (!lf_isEnabled(control)) {
        return 0;
    }
    {
        std::lock_guard lock(windowsMutex());
        Window* window = findWindowLocked(control);
        if (window == nullptr || !lf_validIndex(*window, wParam)) {
            return 0;
        }
        window->selection = static_cast<int>(wParam);
    }
    lf_notifyParent(control, CBN_SELCHANGE);
    lf_notifyParent(control, CBN_SELENDOK);
    lf_notifyParent(control, CBN_CLOSEUP);
    return 0;
}

} // namespace standin
