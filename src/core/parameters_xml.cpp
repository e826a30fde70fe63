// Reading, writing and saving "parameters.xml". Every save replaces the file in one
// step, so a crash or a full disk never leaves half a file.
#include "core/parameters_xml.h"

#include "core/log.h"
#include "core/parameters_document.h"
#include "core/parameters_migration.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/version_data.h"
#include "core/xml_file.h"
#include "ui/control_text.h"

#include <algorithm>
#include <filesystem>
#include <fmt/format.h>

std::mutex g_parametersMutex;

namespace {

constexpr int kBannerStars = 70;
constexpr int kBannerText = 10;

std::string lf_closingBanner()
{
    return gf_starBanner(kBannerStars, kBannerText, false, false);
}

void lf_logSetting(const BoolParameter& setting)
{
    lf_logBoolParameter(setting);
}

void lf_logSetting(const IntParameter& setting)
{
    lf_logIntParameter(setting);
}

void lf_logSetting(const StringParameter& setting)
{
    gf_logStringParameter(setting);
}

std::optional<bool> lf_find(const pugi::xml_document& document, const BoolParameter& setting)
{
    return gf_findBoolParameter(document, setting.name);
}

std::optional<std::int32_t> lf_find(const pugi::xml_document& document, const IntParameter& setting)
{
    const auto stored = gf_findIntParameter(document, setting.name);
    if (!stored) {
        return stored;
    }
    return std::clamp(*stored, setting.minValue, setting.maxValue);
}

std::optional<std::string> lf_find(const pugi::xml_document& document, const StringParameter& setting)
{
    return gf_findStringParameter(document, setting.name);
}

template <class T>
T lf_current(const ValueParameter<T>& setting)
{
    return static_cast<T>(setting.value);
}

// Calls f for every registered setting, registry by registry, in file order.
template <class F>
void lf_forEachSetting(F&& f)
{
    for (BoolParameter* setting : boolParameters) f(*setting);
    for (BoolGuiParameter* setting : boolGuiParameters) f(static_cast<BoolParameter&>(*setting));
    for (IntParameter* setting : intParameters) f(*setting);
    for (IntGuiParameter* setting : intGuiParameters) f(static_cast<IntParameter&>(*setting));
    for (StringParameter* setting : stringParameters) f(*setting);
    for (StringGuiParameter* setting : stringGuiParameters) f(static_cast<StringParameter&>(*setting));
}

// Shows the registered settings in their controls. Runs without g_parametersMutex:
// the messages may have to wait for the GUI thread.
void lf_refreshControls()
{
    for (const BoolGuiParameter* setting : boolGuiParameters) gf_setCheckBox(*setting);
    for (const IntGuiParameter* setting : intGuiParameters) gf_setControlTextInt(*setting);
    for (const StringGuiParameter* setting : stringGuiParameters) gf_setControlText(*setting);
}

// gf_saveXmlFile writes a temporary file and renames it over "parameters.xml".
bool lf_saveDocument(pugi::xml_document& document)
{
    if (gf_saveXmlFile(document, g_parametersPath)) {
        return true;
    }
    gf_logMarked(fmt::format("saving: {} failed", path_to_utf8(g_parametersPath)));
    return false;
}

void lf_writeParametersLocked(bool withDefaults)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("root");
    if (withDefaults) {
        PROGRAM_VERSION.defaultValue = gf_versionString(g_programVersion);
    }
    pugi::xml_node parameters = root.append_child("parameters");
    if (parameters) {
        lf_forEachSetting([&](auto& setting) {
            const std::string text = gf_parameterText(withDefaults ? setting.defaultValue : lf_current(setting));
            if (!gf_appendParameterNode(parameters, setting.name, text)) {
                gf_logUnlessQuitting(fmt::format("{}adding xml parameter {} with {} failed!", "===> ", setting.name, text));
            }
            lf_logSetting(setting);
        });
        lf_saveDocument(document);
    }
    gf_log(lf_closingBanner());
}

// A file without "root" is rewritten whole from the settings in memory.
void lf_wrapParametersRootLocked()
{
    gf_log("\nPlacing a root level around a new parameters.xml to make it 100% xml compliance\n");
    lf_writeParametersLocked(false);
}

// A file that cannot be used is kept as its generation copy before anything replaces it, and
// the log says what was wrong with it; one that cannot be copied is left as it is, so that the
// settings in it are not lost. True when the file may be replaced.
bool lf_keepUnusableLocked(std::string_view reason, std::string_view then)
{
    std::error_code error;
    if (!std::filesystem::exists(g_parametersPath.get(), error) && !error) {
        return true;
    }
    const std::string path = path_to_utf8(g_parametersPath);
    if (gf_save1GenerationOf(g_parametersPath)) {
        gf_logMarked(fmt::format("{} {}. Saved as 0.xml and {}.", path, reason, then));
        return true;
    }
    gf_logMarked(fmt::format("{} {}. It could not be saved as 0.xml and is left as it is.", path, reason));
    return false;
}

std::string lf_loadFailure(const pugi::xml_parse_result& loaded)
{
    return fmt::format("failed to load ({})", gf_xmlLoadFailure(loaded, g_parametersPath));
}

// Reads every registered setting from the loaded document; a missing one takes its
// default and is appended. Returns false, with what was wrong, when there is no "parameters"
// element.
bool lf_readParametersLocked(std::string& failure)
{
    pugi::xml_document document;
    const std::filesystem::path& path = g_parametersPath;
    const pugi::xml_parse_result loaded = gf_loadXmlFile(document, path);
    if (!loaded) {
        failure = lf_loadFailure(loaded);
        return false;
    }
    pugi::xml_node parameters = gf_parametersNode(document);
    if (!parameters) {
        failure = "holds no parameters";
        return false;
    }
    gf_log(fmt::format("from '{}'", path_to_utf8(path)));
    lf_forEachSetting([&](auto& setting) {
        if (const auto stored = lf_find(document, setting)) {
            setting.value = *stored;
        } else {
            setting.value = setting.defaultValue;
            gf_appendParameterNode(parameters, setting.name, gf_parameterText(setting.defaultValue));
        }
        lf_logSetting(setting);
    });
    lf_saveDocument(document);
    gf_log(lf_closingBanner());
    return true;
}

// The file was deleted, damaged or emptied of its settings while the program runs: it is
// written whole from the settings in memory, so that no other setting is lost.
void lf_rewriteUnreadableLocked(std::string_view reason)
{
    if (lf_keepUnusableLocked(reason, "written again")) {
        lf_writeParametersLocked(false);
    }
}

// A "parameters" element that holds at least one registered setting: one that names none
// (emptied, or holding only names of no setting) would leave a save with one setting only.
bool lf_hasUsableParameters(const pugi::xml_document& document)
{
    const pugi::xml_node parameters = gf_parametersNode(document);
    bool usable = false;
    lf_forEachSetting([&](const auto& setting) {
        usable = usable || static_cast<bool>(parameters.find_child_by_attribute("parameter", "name", setting.name.c_str()));
    });
    return usable;
}

// One value into the file: every element of that name is set, or a new one appended.
// Returns true when the whole file was rewritten from memory (it could not be read, or had
// no "root").
template <class P>
bool lf_saveParameterLocked(const P& setting)
{
    const std::string text = gf_parameterText(lf_current(setting));
    pugi::xml_document document;
    if (const pugi::xml_parse_result loaded = gf_loadXmlFile(document, g_parametersPath); !loaded) {
        lf_rewriteUnreadableLocked(lf_loadFailure(loaded));
        return true;
    }
    if (!lf_hasUsableParameters(document)) {
        lf_rewriteUnreadableLocked("holds no known parameter");
        return true;
    }
    const pugi::xml_node root = document.child("root");
    pugi::xml_node parameters = gf_parametersNode(document);
    bool found = false;
    for (pugi::xml_node node : parameters.children("parameter")) {
        if (setting.name == node.attribute("name").value()) {
            gf_setOrAppendAttribute(node, "value", text);
            found = true;
        }
    }
    if (!found) {
        gf_appendParameterNode(parameters, setting.name, text);
    }
    lf_logSetting(setting);
    if (!root) {
        lf_wrapParametersRootLocked();
        return true;
    }
    lf_saveDocument(document);
    return false;
}

template <class P>
void lf_saveParameter(const P& setting)
{
    bool rewritten = false;
    {
        std::lock_guard lock(g_parametersMutex);
        rewritten = lf_saveParameterLocked(setting);
    }
    if (rewritten) {
        lf_refreshControls();
    }
}

void lf_switchOn(BoolGuiParameter& setting)
{
    setting.value = true;
    gf_saveBoolParameter(setting);
    gf_setCheckBox(setting);
}

} // namespace

void lf_logBoolParameter(const BoolParameter& setting)
{
    gf_logUnlessQuitting(fmt::format("{}={}", setting.name, gf_parameterText(lf_current(setting))));
}

void lf_logIntParameter(const IntParameter& setting)
{
    gf_logUnlessQuitting(fmt::format("{}={}", setting.name, lf_current(setting)));
}

void gf_logStringParameter(const StringParameter& setting)
{
    gf_logUnlessQuitting(fmt::format("{}=\"{}\"", setting.name, setting.value));
}

bool gf_keepUnusableParameters(std::string_view reason, std::string_view then)
{
    std::lock_guard lock(g_parametersMutex);
    return lf_keepUnusableLocked(reason, then);
}

bool gf_readParameters()
{
    gf_log(gf_starBanner(kBannerStars, 0, true, false, "parameters"));
    bool read = false;
    {
        std::lock_guard lock(g_parametersMutex);
        std::string failure;
        read = lf_readParametersLocked(failure);
        if (!read && lf_keepUnusableLocked(failure, "replaced by the default values")) {
            gf_log(fmt::format("{} not found, creating new with default values:", path_to_utf8(g_parametersPath)));
            lf_writeParametersLocked(true);
        }
        gf_applySimChoice(SIM_CHOICE.value.load());
    }
    lf_refreshControls();
    return !read;
}

void gf_writeParameters(bool withDefaults)
{
    {
        std::lock_guard lock(g_parametersMutex);
        lf_writeParametersLocked(withDefaults);
    }
    lf_refreshControls();
}

void gf_saveBoolParameter(const BoolParameter& setting)
{
    lf_saveParameter(setting);
}

void gf_saveIntParameter(const IntParameter& setting)
{
    lf_saveParameter(setting);
}

void gf_saveStringParameter(const StringParameter& setting)
{
    lf_saveParameter(setting);
}

void gf_setStringParameter(StringParameter& setting, std::string_view text)
{
    setting.value = std::string(text);
    gf_saveStringParameter(setting);
}

bool lf_removeParameter(std::string_view name)
{
    std::lock_guard lock(g_parametersMutex);
    pugi::xml_document document;
    if (!gf_loadXmlFile(document, g_parametersPath)) {
        return false;
    }
    pugi::xml_node parameters = gf_parametersNode(document);
    if (!parameters) {
        return false;
    }
    pugi::xml_node node = parameters.find_child_by_attribute("parameter", "name", std::string(name).c_str());
    if (!node) {
        return false;
    }
    parameters.remove_child(node);
    gf_logUnlessQuitting(fmt::format("Parameter '{}' removed", name));
    lf_saveDocument(document);
    return true;
}

void gf_initParameters()
{
    if (gf_readParameters()) {
        lf_switchOn(SCAN_LIVERIES);
        lf_switchOn(SCAN_AIRPORTS);
        return;
    }
    if (lf_migrateParameters()) {
        gf_log("\nYour previous version was too old to convert the old text box parameters to the newdropbox values.");
        gf_log(fmt::format("{} re-starts with default parameter values ...\n", kProductName));
        // Written without removing the old file first: the new one replaces it in one step.
        gf_writeParameters(true);
    }
}
