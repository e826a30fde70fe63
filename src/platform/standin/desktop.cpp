// The test driver of the headless desktop: user input on the main window's
// controls, pumping the calling thread's queue and reading control state.
#include "platform/standin/desktop.h"
#include "platform/standin/standin_support.h"
#include "platform/standin/window_table.h"

namespace standin {

HWND Desktop::mainWindow() const { return firstTopLevelWindow(); }

HWND Desktop::control(int id) const
{
    HWND main = mainWindow();
    return main == nullptr ? nullptr : GetDlgItem(main, id);
}

std::vector<int> Desktop::controlIds() const
{
    std::vector<int> ids;
    const HWND main = mainWindow();
    if (main == nullptr) {
        return ids;
    }
    std::lock_guard lock(windowsMutex());
    for (HWND child : childrenLocked(main)) {
        if (const Window* window = findWindowLocked(child); window != nullptr) {
            ids.push_back(window->id);
        }
    }
    return ids;
}

void Desktop::afterInput(HWND window)
{
    if (ownerOf(window) == std::this_thread::get_id()) {
        pumpUntilIdle();
    }
}

bool Desktop::click(int id)
{
    HWND button = control(id);
    if (button == nullptr || !IsWindowEnabled(button) || !IsWindowVisible(button)) {
        return false;
    }
    PostMessageW(button, WM_LBUTTONDOWN, 0, 0);
    PostMessageW(button, WM_LBUTTONUP, 0, 0);
    afterInput(button);
    return true;
}

bool Desktop::pick(int id, int index)
{
    HWND list = control(id);
    if (list == nullptr || !IsWindowEnabled(list) || index < 0 ||
        index >= static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0))) {
        return false;
    }
    PostMessageW(list, kPickEntry, static_cast<WPARAM>(index), 0);
    afterInput(list);
    return true;
}

bool Desktop::pick(int id, std::string_view text)
{
    const std::wstring wide = widen(text);
    const LRESULT index = SendMessageW(control(id), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()));
    return index != CB_ERR && pick(id, static_cast<int>(index));
}

bool Desktop::type(int id, std::string_view text)
{
    HWND edit = control(id);
    if (edit == nullptr || !IsWindowEnabled(edit)) {
        return false;
    }
    // Select all, then type over it; an empty text is a Backspace over the selection.
    PostMessageW(edit, kSelectAllText, 0, 0);
    const std::wstring wide = widen(text);
    if (wide.empty()) {
        PostMessageW(edit, WM_CHAR, VK_BACK, 0);
    }
    for (wchar_t ch : wide) {
        PostMessageW(edit, WM_CHAR, static_cast<WPARAM>(ch), 0);
    }
    afterInput(edit);
    return true;
}

bool Desktop::pressEnter(int id)
{
    HWND edit = control(id);
    if (edit == nullptr || !IsWindowEnabled(edit)) {
        return false;
    }
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(edit, WM_KEYUP, VK_RETURN, 1);
    afterInput(edit);
    return true;
}

bool Desktop::close()
{
    HWND main = mainWindow();
    if (main == nullptr) {
        return false;
    }
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    afterInput(main);
    return true;
}

int Desktop::pumpUntilIdle()
{
    int handled = 0;
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_quitCode = static_cast<int>(message.wParam);
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        ++handled;
    }
    return handled;
}

ControlState Desktop::state(int id) const
{
    ControlState state;
    const std::optional<Window> window = windowSnapshot(control(id));
    if (!window) {
        return state;
    }
    state.className = narrow(window->className);
    state.enabled = window->enabled;
    state.visible = window->visible;
    state.checked = window->checked;
    state.selection = window->selection;
    state.rect = window->rect;
    state.style = window->style;
    for (const std::wstring& item : window->items) {
        state.items.push_back(narrow(item));
    }
    state.text = window->kind == ControlKind::ComboBox ? (window->selection < 0 ? "" : state.items[window->selection])
                                                       : narrow(window->text);
    return state;
}

Surface Desktop::snapshot() const { return composeWindow(mainWindow()); }

bool Desktop::savePng(const std::filesystem::path& file) const { return writePng(snapshot(), file); }

} // namespace standin
