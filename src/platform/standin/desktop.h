// The headless desktop's driver for tests: acts as the user on the program's
// windows (clicks, list picks, typing, the close button), pumps the calling
// thread's messages, reads the controls' state and saves the window as a PNG.
#pragma once

#include "platform/standin/monitors.h"
#include "platform/standin/surface.h"
#include "platform/standin/user32.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Fixed frame of a top-level window with a caption: the client area is the
// window less these (880 x 516 outside gives 864 x 477 inside).
inline constexpr int kFrameBorder = 8;
inline constexpr int kCaptionHeight = 23;
// A drop-down list shows one line; the height given at creation is its list.
inline constexpr int kComboHeight = 21;

// The module handle the program gets as its instance.
HINSTANCE programInstance();

struct MessageBoxRecord {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
};
// Every MessageBoxW so far, in order.
std::vector<MessageBoxRecord> messageBoxes();
// The button the next message boxes report; 0 for the default (IDOK, IDYES).
void setMessageBoxAnswer(int answer);
// Forgets the message boxes shown and the answer set.
void forgetMessageBoxes();

// SIGINT and SIGTERM close the main window as its close button does. Blocks both
// signals in the calling thread, so call it before any other thread starts.
void startSignalWatcher();

struct ControlState {
    std::string className;
    std::string text;
    bool enabled = false;
    bool visible = false;
    bool checked = false;
    std::vector<std::string> items;
    int selection = -1;
    RECT rect{}; // in the parent's client coordinates
    DWORD style = 0;
};

class Desktop {
public:
    // The program's main window: the first top-level window still open.
    HWND mainWindow() const;
    // A control of the main window by id; null when there is none.
    HWND control(int id) const;
    // The ids of the main window's controls, in the order they were created.
    std::vector<int> controlIds() const;

    // User input. Each returns false when the control is missing, disabled or
    // (for a pick) has no such entry: Windows delivers no input then. The
    // messages are handled at once when the calling thread owns the window.
    bool click(int id);
    bool pick(int id, int index);
    bool pick(int id, std::string_view text);
    bool type(int id, std::string_view text);
    bool pressEnter(int id);
    bool typeAndEnter(int id, std::string_view text) { return type(id, text) && pressEnter(id); }
    // The close button of the main window.
    bool close();

    // Translates and dispatches the calling thread's messages, paints included,
    // until none is left or WM_QUIT arrives. Returns the number handled.
    int pumpUntilIdle();
    // The exit code of the WM_QUIT that pumpUntilIdle met, if any.
    std::optional<int> quitCode() const { return m_quitCode; }

    ControlState state(int id) const;
    // The main window's client area with its controls drawn over it.
    Surface snapshot() const;
    bool savePng(const std::filesystem::path& file) const;

private:
    void afterInput(HWND window);
    std::optional<int> m_quitCode;
};

// A surface as an RGB PNG file.
bool writePng(const Surface& surface, const std::filesystem::path& file);
// The client area of a top-level window with its visible controls painted over it.
Surface composeWindow(HWND window);

} // namespace standin
