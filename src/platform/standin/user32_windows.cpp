// user32 stand-in: the window table, window classes, creation and destruction,
// window procedures and the window's own properties.
#include "platform/standin/window_table.h"

#include <algorithm>
#include <cwctype>
#include <map>

namespace standin {

namespace {

struct WindowClass {
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
    ControlKind kind = ControlKind::None;
};

struct Table {
    std::map<std::uintptr_t, Window> windows;
    std::vector<HWND> order; // creation order, for children and the main window
    std::map<std::wstring, WindowClass> classes;
    std::uintptr_t nextHandle = 0x10010;
};

Table& lf_table()
{
    static Table table;
    return table;
}

std::wstring lf_lower(std::wstring_view text)
{
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return lower;
}

// Under windowsMutex.
const WindowClass* lf_findClassLocked(std::wstring_view name)
{
    Table& table = lf_table();
    if (table.classes.empty()) {
        table.classes[L"button"] = WindowClass{buttonProc, nullptr, ControlKind::Button};
        table.classes[L"edit"] = WindowClass{editProc, nullptr, ControlKind::Edit};
        table.classes[L"combobox"] = WindowClass{comboBoxProc, nullptr, ControlKind::ComboBox};
    }
    auto found = table.classes.find(lf_lower(name));
    return found == table.classes.end() ? nullptr : &found->second;
}

void lf_placeNewWindow(Window& window, int x, int y, int width, int height)
{
    if (x == CW_USEDEFAULT) {
        x = 100;
        y = 100;
    }
    if (width == CW_USEDEFAULT) {
        width = 800;
        height = 600;
    }
    if (window.kind == ControlKind::ComboBox) {
        window.listHeight = height;
        height = kComboHeight;
    }
    window.rect = RECT{x, y, x + width, y + height};
    window.normalRect = window.rect;
}

HWND lf_addWindow(Window window)
{
    std::lock_guard lock(windowsMutex());
    Table& table = lf_table();
    const std::uintptr_t value = table.nextHandle;
    table.nextHandle += 4;
    window.handle = reinterpret_cast<HWND>(value);
    if (!isChild(window)) {
        const RECT client = clientRectOf(window);
        window.surface = std::make_shared<Surface>(client.right, client.bottom);
    }
    const HWND handle = window.handle;
    table.windows.emplace(value, std::move(window));
    table.order.push_back(handle);
    return handle;
}

void lf_removeWindow(HWND handle)
{
    std::lock_guard lock(windowsMutex());
    Table& table = lf_table();
    table.windows.erase(reinterpret_cast<std::uintptr_t>(handle));
    std::erase(table.order, handle);
}

} // namespace

std::mutex& windowsMutex()
{
    static std::mutex mutex;
    return mutex;
}

Window* findWindowLocked(HWND handle)
{
    auto& windows = lf_table().windows;
    auto found = windows.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == windows.end() ? nullptr : &found->second;
}

std::vector<HWND> childrenLocked(HWND parent)
{
    std::vector<HWND> children;
    for (HWND handle : lf_table().order) {
        if (const Window* window = findWindowLocked(handle); window != nullptr && window->parent == parent && isChild(*window)) {
            children.push_back(handle);
        }
    }
    return children;
}

std::vector<HWND> allWindowsLocked() { return lf_table().order; }

void forgetWindowsAndClasses()
{
    std::lock_guard lock(windowsMutex());
    Table& table = lf_table();
    table.windows.clear();
    table.order.clear();
    table.classes.clear();
}

std::optional<Window> windowSnapshot(HWND handle)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    return window == nullptr ? std::nullopt : std::optional<Window>(*window);
}

std::thread::id ownerOf(HWND handle)
{
    if (handle == nullptr) {
        return {};
    }
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    return window == nullptr ? std::thread::id{} : window->owner;
}

bool isChild(const Window& window) { return (window.style & WS_CHILD) != 0 && window.parent != nullptr; }

RECT clientRectOf(const Window& window)
{
    int width = window.rect.right - window.rect.left;
    int height = window.rect.bottom - window.rect.top;
    if (!isChild(window) && (window.style & WS_CAPTION) == WS_CAPTION) {
        width -= 2 * kFrameBorder;
        height -= kCaptionHeight + 2 * kFrameBorder;
    }
    return RECT{0, 0, std::max(width, 0), std::max(height, 0)};
}

HWND firstTopLevelWindow()
{
    std::lock_guard lock(windowsMutex());
    for (HWND handle : lf_table().order) {
        if (!isChild(*findWindowLocked(handle))) {
            return handle;
        }
    }
    return nullptr;
}

LRESULT callWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = nullptr;
    {
        std::lock_guard lock(windowsMutex());
        if (const Window* window = findWindowLocked(handle)) {
            proc = window->proc;
        }
    }
    return proc == nullptr ? 0 : proc(handle, message, wParam, lParam);
}

} // namespace standin

using namespace standin;

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass)
{
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr || windowClass->lpfnWndProc == nullptr) {
        return 0;
    }
    std::lock_guard lock(windowsMutex());
    lf_findClassLocked(L"button"); // the system classes come first
    auto& classes = lf_table().classes;
    const std::wstring name = lf_lower(windowClass->lpszClassName);
    if (classes.count(name) != 0) {
        return 0;
    }
    classes[name] = WindowClass{windowClass->lpfnWndProc, windowClass->hbrBackground, ControlKind::None};
    return static_cast<ATOM>(0xC000 + classes.size());
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    Window window;
    {
        std::lock_guard lock(windowsMutex());
        const WindowClass* windowClass = className == nullptr ? nullptr : lf_findClassLocked(className);
        if (windowClass == nullptr || ((style & WS_CHILD) != 0 && findWindowLocked(parent) == nullptr)) {
            return nullptr;
        }
        window.className = className;
        window.kind = windowClass->kind;
        window.proc = windowClass->proc;
        window.background = windowClass->background;
    }
    window.style = style;
    window.exStyle = exStyle;
    window.parent = parent;
    window.id = (style & WS_CHILD) != 0 ? static_cast<int>(reinterpret_cast<std::intptr_t>(menu)) : 0;
    window.instance = instance;
    window.owner = std::this_thread::get_id();
    window.enabled = (style & WS_DISABLED) == 0;
    window.topmost = (exStyle & WS_EX_TOPMOST) != 0;
    window.text = windowName == nullptr ? L"" : windowName;
    lf_placeNewWindow(window, x, y, width, height);
    const HWND handle = lf_addWindow(std::move(window));

    CREATESTRUCTW create{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName, className, exStyle};
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    if (callWindowProc(handle, WM_NCCREATE, 0, createParam) == 0 || callWindowProc(handle, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0) {
        ShowWindow(handle, SW_SHOW);
    }
    return handle;
}

BOOL DestroyWindow(HWND handle)
{
    const std::thread::id owner = ownerOf(handle);
    if (owner == std::thread::id{} || owner != std::this_thread::get_id()) {
        return FALSE;
    }
    callWindowProc(handle, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        std::lock_guard lock(windowsMutex());
        children = childrenLocked(handle);
    }
    for (HWND child : children) {
        DestroyWindow(child);
    }
    callWindowProc(handle, WM_NCDESTROY, 0, 0);
    lf_removeWindow(handle);
    return TRUE;
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageW(handle, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        BeginPaint(handle, &paint);
        EndPaint(handle, &paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        const std::optional<Window> window = windowSnapshot(handle);
        if (!window || window->background == nullptr) {
            return 0;
        }
        RECT client = clientRectOf(*window);
        FillRect(reinterpret_cast<HDC>(wParam), &client, window->background);
        return 1;
    }
    case WM_SETTEXT: {
        std::lock_guard lock(windowsMutex());
        Window* window = findWindowLocked(handle);
        if (window == nullptr) {
            return FALSE;
        }
        window->text = lParam == 0 ? L"" : reinterpret_cast<LPCWSTR>(lParam);
        return TRUE;
    }
    case WM_GETTEXT: {
        std::lock_guard lock(windowsMutex());
        const Window* window = findWindowLocked(handle);
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        if (window == nullptr || buffer == nullptr || wParam == 0) {
            return 0;
        }
        const std::size_t count = std::min<std::size_t>(window->text.size(), wParam - 1);
        std::copy_n(window->text.begin(), count, buffer);
        buffer[count] = L'\0';
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard lock(windowsMutex());
        const Window* window = findWindowLocked(handle);
        return window == nullptr ? 0 : static_cast<LRESULT>(window->text.size());
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return COLOR_WINDOW + 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return COLOR_BTNFACE + 1;
    default:
        return 0;
    }
}

BOOL IsWindow(HWND handle) { return ownerOf(handle) != std::thread::id{} ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND handle)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    return window != nullptr && window->visible ? TRUE : FALSE;
}

HWND GetDlgItem(HWND parent, int id)
{
    std::lock_guard lock(windowsMutex());
    for (HWND child : childrenLocked(parent)) {
        if (findWindowLocked(child)->id == id) {
            return child;
        }
    }
    return nullptr;
}

int GetDlgCtrlID(HWND handle)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    return window == nullptr ? 0 : window->id;
}

HWND GetParent(HWND handle)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    return window == nullptr ? nullptr : window->parent;
}

BOOL EnableWindow(HWND handle, BOOL enable)
{
    const std::thread::id owner = ownerOf(handle);
    if (owner == std::thread::id{}) {
        return FALSE;
    }
    // The change and its WM_ENABLE happen on the window's own thread, as on Windows.
    return static_cast<BOOL>(runOnOwnerThread(owner, [=]() -> LRESULT {
        bool wasDisabled = false;
        bool changed = false;
        {
            std::lock_guard lock(windowsMutex());
            Window* window = findWindowLocked(handle);
            if (window == nullptr) {
                return FALSE;
            }
            wasDisabled = !window->enabled;
            changed = window->enabled != (enable != FALSE);
            window->enabled = enable != FALSE;
        }
        if (changed) {
            callWindowProc(handle, WM_ENABLE, enable != FALSE ? TRUE : FALSE, 0);
        }
        return wasDisabled ? TRUE : FALSE;
    }));
}

BOOL IsWindowEnabled(HWND handle)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    return window != nullptr && window->enabled ? TRUE : FALSE;
}

BOOL SetWindowTextW(HWND handle, LPCWSTR text)
{
    return SendMessageW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextW(HWND handle, LPWSTR buffer, int size)
{
    if (buffer != nullptr && size > 0) {
        buffer[0] = L'\0';
    }
    if (size <= 0) {
        return 0;
    }
    return static_cast<int>(SendMessageW(handle, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND handle) { return static_cast<int>(SendMessageW(handle, WM_GETTEXTLENGTH, 0, 0)); }

LONG_PTR SetWindowLongPtrW(HWND handle, int index, LONG_PTR value)
{
    std::lock_guard lock(windowsMutex());
    Window* window = findWindowLocked(handle);
    if (window == nullptr) {
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index) {
    case GWLP_WNDPROC:
        previous = reinterpret_cast<LONG_PTR>(window->proc);
        if (value != 0) {
            window->proc = reinterpret_cast<WNDPROC>(value);
        }
        break;
    case GWLP_USERDATA:
        previous = window->userData;
        window->userData = value;
        break;
    case GWLP_ID:
        previous = window->id;
        window->id = static_cast<int>(value);
        break;
    case GWL_STYLE:
        previous = static_cast<LONG_PTR>(window->style);
        window->style = static_cast<DWORD>(value);
        break;
    case GWL_EXSTYLE:
        previous = static_cast<LONG_PTR>(window->exStyle);
        window->exStyle = static_cast<DWORD>(value);
        break;
    default:
        break;
    }
    return previous;
}

LONG_PTR GetWindowLongPtrW(HWND handle, int index)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    if (window == nullptr) {
        return 0;
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_USERDATA:
        return window->userData;
    case GWLP_ID:
        return window->id;
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWL_STYLE:
        return static_cast<LONG_PTR>((window->style & ~(WS_VISIBLE | WS_DISABLED)) | (window->visible ? WS_VISIBLE : 0) |
                                     (window->enabled ? 0 : WS_DISABLED));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(window->exStyle | (window->topmost ? WS_EX_TOPMOST : 0));
    default:
        return 0;
    }
}

LRESULT CallWindowProcW(WNDPROC procedure, HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    return procedure == nullptr ? 0 : procedure(handle, message, wParam, lParam);
}

BOOL CheckDlgButton(HWND parent, int id, UINT check)
{
    HWND button = GetDlgItem(parent, id);
    if (button == nullptr) {
        return FALSE;
    }
    SendMessageW(button, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND parent, int id)
{
    return static_cast<UINT>(SendMessageW(GetDlgItem(parent, id), BM_GETCHECK, 0, 0));
}
