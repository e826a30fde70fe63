// The settings as the user sees them in the main window's controls.
#include "core/airport_settings.h"
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/setting_lists.h"
#include "core/settings.h"
#include "parking/airport_settings_snapshot.h"
#include "platform/standin/desktop.h"
#include "support/host_window.h"
#include "support/program_state.h"
#include "support/temp_folder.h"
#include "ui/main_window_handle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <cstdlib>
#include <thread>

using testsupport::createHostControl;
using testsupport::createHostWindow;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

class SettingControls : public ::testing::Test {
protected:
    SettingControls() : host(createHostWindow())
    {
        testsupport::useAppDataRoot(root.path());
        g_mainWindow = host;
    }

    template <class Setting>
    void createControl(Setting& setting, const wchar_t* className, DWORD style)
    {
        setting.hwnd = createHostControl(host, className, style, setting.controlId);
    }

    void createList(GuiControl& setting) { setting.hwnd = createHostControl(host, L"ComboBox", CBS_DROPDOWNLIST, setting.controlId); }

    standin::ControlState state(const GuiControl& setting) const { return desktop.state(setting.controlId); }

    TempFolder root;
    TempFolder work{true};
    HWND host;
    standin::Desktop desktop;
};

} // namespace

TEST_F(SettingControls, ChoiceListShowsTheStoredEntryNotAPrefixMatch)
{
    createList(AI_PACKAGE_SELECTOR);
    AI_PACKAGE_SELECTOR.value = "AIG, FSLTL";
    gf_fillChoiceCombo(AI_PACKAGE_SELECTOR);
    const auto shown = state(AI_PACKAGE_SELECTOR);
    EXPECT_EQ(shown.items.size(), 64u);
    EXPECT_EQ(shown.selection, 48);

    AI_PACKAGE_SELECTOR.value = "aig";
    gf_fillChoiceCombo(AI_PACKAGE_SELECTOR);
    EXPECT_EQ(state(AI_PACKAGE_SELECTOR).selection, -1);
}

TEST_F(SettingControls, CallsignListSelectsTheExactCallsign)
{
    createList(CALLSIGN_2_OBJECTID);
    *CALLSIGN_2_OBJECTID.sharedEntries = {"", "DLH12", "DLH1"};
    CALLSIGN_2_OBJECTID.value = "DLH1";
    gf_fillCallsignCombo();
    const auto shown = state(CALLSIGN_2_OBJECTID);
    EXPECT_EQ(shown.items, (std::vector<std::string>{"", "DLH12", "DLH1"}));
    EXPECT_EQ(shown.selection, 2);
}

TEST_F(SettingControls, NumberListShowsOptionsAsDecimalText)
{
    createList(RANGE);
    RANGE.value = 65;
    gf_fillIntCombo(RANGE);
    const auto shown = state(RANGE);
    ASSERT_EQ(shown.items.size(), 20u);
    EXPECT_EQ(shown.items.front(), "2");
    EXPECT_EQ(shown.items.back(), "100");
    EXPECT_EQ(shown.items[static_cast<std::size_t>(shown.selection)], "65");
}

TEST_F(SettingControls, ReadingTheFileTicksBoxesAndFillsEditBoxes)
{
    createControl(AEROWINX, L"button", BS_CHECKBOX);
    createControl(BLOCK_CALLSIGN, L"Edit", WS_BORDER);
    writeFile(g_parametersPath, "<root><parameters><parameter name=\"AEROWINX\" value=\"true\"/>"
                                "<parameter name=\"BLOCK_CALLSIGN\" value=\"DLH1\"/></parameters></root>");
    gf_readParameters();
    EXPECT_TRUE(state(AEROWINX).checked);
    EXPECT_EQ(state(BLOCK_CALLSIGN).text, "DLH1");
}

TEST_F(SettingControls, RestoringAirportSettingsShowsThemAndSwitchesTheRangeLists)
{
    gf_writeParameters(false);
    createList(RANGE);
    createList(AR_ABOVE_HEIGHT);
    createList(parking_percentage);
    createList(MAX_FIT_FL);
    createControl(WEEK, L"button", BS_CHECKBOX);
    gf_fillIntCombo(RANGE);
    gf_fillIntCombo(parking_percentage);
    for (float hours : MAX_FIT_FL.optionValues) {
        SendMessageW(MAX_FIT_FL.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gf_formatFloatW(L"{:.1f}", hours).c_str()));
    }
    g_airportSettingsSnapshot = {75, 47, 150, 35, true, false, false, true};
    gf_applyAirportSettings();
    EXPECT_FALSE(state(RANGE).enabled);
    EXPECT_TRUE(state(AR_ABOVE_HEIGHT).enabled);
    EXPECT_EQ(state(RANGE).items[static_cast<std::size_t>(state(RANGE).selection)], "100");
    EXPECT_EQ(state(parking_percentage).items[static_cast<std::size_t>(state(parking_percentage).selection)], "35");
    EXPECT_EQ(state(MAX_FIT_FL).items[static_cast<std::size_t>(state(MAX_FIT_FL).selection)], "24.0");
    EXPECT_TRUE(state(WEEK).checked);
}

// The GUI thread saves settings too: a read on the start-up thread must not send to a
// control while it holds the file's lock, or both threads would wait for each other.
TEST_F(SettingControls, StartUpReadAndGuiSavesDoNotDeadlock)
{
    createControl(AEROWINX, L"button", BS_CHECKBOX);
    createControl(BLOCK_CALLSIGN, L"Edit", WS_BORDER);
    gf_writeParameters(false);
    auto done = std::make_shared<std::atomic<bool>>(false);
    // A deadlock would hang both threads: end the test process instead.
    std::thread([done] {
        std::this_thread::sleep_for(std::chrono::seconds(20));
        if (!*done) {
            std::fputs("start-up read and GUI saves deadlocked\n", stderr);
            std::_Exit(1);
        }
    }).detach();
    std::thread startUp([&] {
        for (int i = 0; i < 20; ++i) {
            gf_readParameters();
        }
        *done = true;
    });
    while (!*done) {
        gf_saveBoolParameter(WEEK);
        desktop.pumpUntilIdle();
    }
    startUp.join();
    EXPECT_EQ(state(BLOCK_CALLSIGN).text, "");
}
