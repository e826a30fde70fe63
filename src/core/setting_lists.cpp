// Drop-down lists of the settings. Messages to a control that does not exist yet
// are skipped; the selection is always the entry equal to the value, never a
// prefix match, so the list shows what is stored.
#include "core/setting_lists.h"

#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/settings.h"
#include "core/text_convert.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <fmt/xchar.h>

namespace {

std::optional<std::size_t> lf_indexOf(const std::vector<std::string>& entries, const std::string& value)
{
    const auto found = std::find(entries.begin(), entries.end(), value);
    if (found == entries.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - entries.begin());
}

void lf_addString(HWND list, const std::wstring& text)
{
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void lf_select(HWND list, std::optional<std::size_t> index)
{
    if (index) {
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(*index), 0);
    }
}

void lf_fillTextCombo(const char* caller, HWND list, const std::vector<std::string>& entries,
                      std::optional<std::size_t> selected)
{
    if (!IsWindow(list)) {
        return;
    }
    try {
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (const auto& entry : entries) {
            lf_addString(list, utf8_to_wide(entry));
        }
        lf_select(list, selected);
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", caller, e.what()));
    }
}

} // namespace

void gf_fillIntCombo(const IntGuiParameter& setting)
{
    if (!IsWindow(setting.hwnd)) {
        return;
    }
    SendMessageW(setting.hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::int32_t option : setting.optionValues) {
        lf_addString(setting.hwnd, fmt::format(L"{}", option));
    }
    const auto& options = setting.optionValues;
    const auto found = std::find(options.begin(), options.end(), setting.value.load());
    if (found != options.end()) {
        lf_select(setting.hwnd, static_cast<std::size_t>(found - options.begin()));
    }
}

void gf_fillChoiceCombo(const ChoiceParameter& setting)
{
    lf_fillTextCombo("gf_fillChoiceCombo", setting.hwnd, setting.choices, gf_indexOfChoice(setting));
}

void gf_fillCallsignCombo()
{
    static const std::vector<std::string> noEntries;
    // The main loop replaces the list and the GUI thread the chosen callsign under the
    // parameters mutex; the control is filled after it is released.
    std::shared_ptr<std::vector<std::string>> shared;
    std::string chosen;
    {
        const std::lock_guard lock(g_parametersMutex);
        shared = CALLSIGN_2_OBJECTID.sharedEntries;
        chosen = CALLSIGN_2_OBJECTID.value;
    }
    const auto& entries = shared ? *shared : noEntries;
    lf_fillTextCombo("gf_fillCallsignCombo", CALLSIGN_2_OBJECTID.hwnd, entries, lf_indexOf(entries, chosen));
}

std::optional<std::size_t> gf_indexOfChoice(const ChoiceParameter& setting)
{
    return lf_indexOf(setting.choices, setting.value);
}

std::wstring gf_formatFloatW(std::wstring_view format, float value)
{
    return fmt::format(fmt::runtime(fmt::wstring_view(format.data(), format.size())), value);
}
