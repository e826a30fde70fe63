// The headless desktop's windows: every window the program creates, kept as an
// object with its class, procedure, geometry, text and control state.
#pragma once

#include "platform/standin/desktop.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace standin {

enum class ControlKind { None, Button, Edit, ComboBox };
enum class ShowState { Normal, Minimized, Maximized };

struct Window {
    HWND handle = nullptr;
    std::wstring className;
    ControlKind kind = ControlKind::None;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    int id = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    std::thread::id owner;
    RECT rect{};               // screen coordinates, or the parent's client coordinates for a child
    RECT normalRect{};         // the restored position while minimised or maximised
    ShowState show = ShowState::Normal;
    bool topmost = false;
    bool visible = false;
    bool enabled = true;
    std::wstring text;
    // Controls.
    bool checked = false;
    bool replaceOnType = false;
    int listHeight = 0;
    std::vector<std::wstring> items;
    std::vector<LONG_PTR> itemData;
    int selection = -1;
    // Painting of top-level windows.
    std::shared_ptr<Surface> surface;
    bool hasUpdate = false;
    RECT update{};                  // the bounding box of the update region
    std::vector<RECT> updateRects;  // the region: the areas invalidated
    bool erase = false;
};

// The lock over every window's fields. Never held while a window procedure runs.
std::mutex& windowsMutex();
// Under windowsMutex.
Window* findWindowLocked(HWND handle);
std::vector<HWND> childrenLocked(HWND parent);
std::vector<HWND> allWindowsLocked();
// Drops every window and registered class without a message, as at process start.
void forgetWindowsAndClasses();
// Drops every thread's message queue with what it holds.
void forgetMessageQueues();

// Copies taken under the lock, for callers outside it.
std::optional<Window> windowSnapshot(HWND handle);
std::thread::id ownerOf(HWND handle);
bool isChild(const Window& window);
RECT clientRectOf(const Window& window);

// The first top-level window still open: the program's main window.
HWND firstTopLevelWindow();

// Calls the window's current procedure on the calling thread; 0 for no window.
LRESULT callWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
// The window procedures of the three control classes.
LRESULT CALLBACK buttonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK comboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Messages private to the stand-in's controls (the class-defined range): what a
// user's mouse or keyboard does to them.
inline constexpr UINT kPickEntry = 0x7F01;    // wParam: index of the entry the user picks
inline constexpr UINT kSelectAllText = 0x7F02; // the next typed character replaces the text

// Runs work on the thread that owns the window while the caller waits, handling
// messages sent to the caller meanwhile, as a cross-thread SendMessageW does.
LRESULT runOnOwnerThread(std::thread::id owner, const std::function<LRESULT()>& work);
// Wakes the owner's GetMessageW so that it looks for paint work.
void wakeThread(std::thread::id owner);
// A window of that thread with an update region, or null.
HWND windowNeedingPaint(std::thread::id owner);

} // namespace standin
