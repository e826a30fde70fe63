// Link or generate, per scanned airport: a link file to the archived park file of the
// add-on's publisher, or a park file generated from the scenery's own stands.
#include "parking/addon_airport_scan.h"

#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/sim_choice.h"
#include "core/text_lines.h"
#include "core/text_strings.h"
#include "parking/publisher_lookup.h"
#include "parking/scan_messages.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSimaddon = "simaddon";

fs::path lf_outputFolder(const std::string& publisher)
{
    return publisher == kSimaddon ? folders::mySimaddon() : folders::myThirdparty();
}

void lf_createFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw fs::filesystem_error("create_directory", folder, error);
}

void lf_addLinkFile(const Apf& apf, const std::string& reference, ScanOutputs& outputs)
{
    ScanOutput link;
    link.path = lf_outputFolder(apf.publisher) / gf_linkFileName(apf.icao);
    link.reference = reference;
    outputs.push_back(std::move(link));
}

void lf_writeLinkFile(const ScanOutput& link)
{
    lf_createFolder(link.path.parent_path());
    if (!gf_writeTextFile(link.path, link.reference, true))
        lf_addScanMessage(fmt::format("{}Writing {} did not succeed", "===> ", path_to_utf8(link.path)));
}

void lf_writeGenerated(const ScanOutput& output)
{
    lf_createFolder(output.path.parent_path());
    const Apf& apf = *output.generated;
    if (!gf_writeApf(apf, output.path, kApfGenerated, g_msfs2020.load() ? 1 : 2)) {
        lf_addScanMessage(fmt::format("{}Generating {} did not succeed", "===> ", path_to_utf8(output.path)));
        return;
    }
    const std::string helipads = output.helipads > 0
                                     ? fmt::format(", of which {} helipad{}", output.helipads, gf_plural(output.helipads))
                                     : "";
    lf_addScanMessage(fmt::format("Generated {}: {} position{}{}", gf_apfFileName(apf.icao), apf.stands.size(),
                                  gf_plural(apf.stands.size()), helipads));
}

std::string lf_escapeBlanks(const std::string& publisher)
{
    std::string escaped;
    for (char c : publisher)
        escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    return escaped;
}

} // namespace

std::optional<std::string> lf_simaddonExists(const Apf& apf)
{
    if (!g_simAddonAirports.contains(apf.icao)) {
        lf_addScanMessage(fmt::format("{} does not exist as simaddon", apf.icao));
        return std::nullopt;
    }
    return std::string("archive/") + kSimaddon + "/" + apf.icao + ".xml";
}

std::optional<std::string> lf_thirdpartyExists(const std::string& publisher, const Apf& apf,
                                               std::int32_t& archivedCount)
{
    const std::string escaped = lf_escapeBlanks(publisher);
    const auto& lists = g_msfs2020.load() ? g_thirdParties20 : g_thirdParties24;
    for (const ThirdPartyList& list : lists) {
        if (list.publisher != publisher && list.publisher != escaped)
            continue;
        for (const std::string& item : list.airports) {
            int number = 0;
            if (lf_thirdpartyItemNumber(list.publisher, apf.icao, item, number)) {
                archivedCount = number;
                return "archive/thirdparty/" + escaped + "/" + apf.icao + ".xml";
            }
        }
    }
    lf_addScanMessage(fmt::format("thirdparty {} {} does not exist", escaped, apf.icao));
    return std::nullopt;
}

bool lf_linkArchivedApf(Apf& apf, std::int32_t& archivedCount, const fs::path& bglPath, ScanOutputs& outputs)
{
    apf.BGLpath = path_to_utf8(bglPath);
    PublisherInfo info = gf_findPublisher(bglPath);
    apf.publisher = std::move(info.publisher);
    apf.manufacturer = std::move(info.manufacturer);
    apf.creator = std::move(info.creator);
    apf.title = std::move(info.title);
    archivedCount = 0;
    if (apf.publisher.empty())
        return false;
    if (apf.publisher == kSimaddon) {
        const auto reference = lf_simaddonExists(apf);
        if (!reference)
            return false;
        lf_addLinkFile(apf, *reference, outputs);
        lf_addScanMessage(fmt::format("{} airport {} linked to {}", kSimaddon, apf.icao, *reference));
        return true;
    }
    const auto reference = lf_thirdpartyExists(apf.publisher, apf, archivedCount);
    if (!reference) {
        archivedCount = 0;
        return false;
    }
    lf_addLinkFile(apf, *reference, outputs);
    lf_addScanMessage(fmt::format("thirdparty airport {} linked to {}", apf.icao, *reference));
    return true;
}

void lf_generateApf(Apf& apf, std::int32_t helipadCount, ScanOutputs& outputs)
{
    if (apf.stands.empty())
        return;
    std::sort(apf.stands.begin(), apf.stands.end(), [](const Stand& a, const Stand& b) { return a.id < b.id; });
    ScanOutput output;
    output.path = lf_outputFolder(apf.publisher) / gf_apfFileName(apf.icao);
    output.helipads = helipadCount;
    output.generated = std::move(apf);
    outputs.push_back(std::move(output));
}

void lf_writeScanOutputs(const std::vector<std::optional<ScanFileResult>>& files)
{
    // The last output of each file name in walk order wins; they are written in that order.
    std::map<fs::path, const ScanOutput*> last;
    std::vector<const ScanOutput*> order;
    for (const auto& file : files) {
        if (!file)
            continue;
        for (const ScanOutput& output : file->outputs) {
            auto [it, added] = last.try_emplace(output.path, &output);
            if (!added) {
                std::erase(order, it->second);
                it->second = &output;
            }
            order.push_back(&output);
        }
    }
    for (const ScanOutput* output : order) {
        if (output->generated)
            lf_writeGenerated(*output);
        else
            lf_writeLinkFile(*output);
    }
}
