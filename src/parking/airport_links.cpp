// Link or generate, per scanned airport: a link file to the archived park file of the
// add-on's publisher, or a park file generated from the scenery's own stands.
#include "parking/addon_airport_scan.h"

#include "core/scan_pool.h"

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
#include <memory>

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

std::string lf_failedWriteLine(const ScanOutput& output)
{
    return fmt::format("{}{} {} did not succeed", "===> ", output.generated ? "Generating" : "Writing",
                       path_to_utf8(output.path));
}

void lf_writeLinkFile(const ScanOutput& link)
{
    lf_createFolder(link.path.parent_path());
    if (!gf_writeTextFile(link.path, link.reference, true))
        lf_addScanMessage(lf_failedWriteLine(link));
}

void lf_writeGenerated(const ScanOutput& output)
{
    lf_createFolder(output.path.parent_path());
    const Apf& apf = *output.generated;
    if (!gf_writeApf(apf, output.path, kApfGenerated, gf_simNumber())) {
        lf_addScanMessage(lf_failedWriteLine(output));
        return;
    }
    const std::string helipads = output.helipads > 0
                                     ? fmt::format(", of which {} helipad{}", output.helipads, gf_plural(output.helipads))
                                     : "";
    lf_addScanMessage(fmt::format("Generated {}: {} position{}{}", gf_apfFileName(apf.icao), apf.stands.size(),
                                  gf_plural(apf.stands.size()), helipads));
}

void lf_writeOutput(const ScanOutput& output)
{
    if (output.generated)
        lf_writeGenerated(output);
    else
        lf_writeLinkFile(output);
}

// The outputs to write, in walk order: of several with one file name, the last one in walk
// order, in its place.
std::vector<ScanOutput> lf_lastOutputs(std::vector<std::optional<ScanFileResult>> files)
{
    std::map<fs::path, ScanOutput*> last;
    std::vector<ScanOutput*> order;
    for (auto& file : files) {
        if (!file)
            continue;
        for (ScanOutput& output : file->outputs) {
            auto [it, added] = last.try_emplace(output.path, &output);
            if (!added) {
                std::erase(order, it->second);
                it->second = &output;
            }
            order.push_back(&output);
        }
    }
    std::vector<ScanOutput> outputs;
    outputs.reserve(order.size());
    for (ScanOutput* output : order)
        outputs.push_back(std::move(*output));
    return outputs;
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

void lf_writeScanOutputs(std::vector<std::optional<ScanFileResult>> files)
{
    // Shared with the writing tasks: a task given up may outlive this call.
    struct Writes {
        std::vector<ScanOutput> outputs;
        std::vector<std::vector<std::string>> messages;
    };
    auto writes = std::make_shared<Writes>();
    writes->outputs = lf_lastOutputs(std::move(files));
    writes->messages.resize(writes->outputs.size());
    ScanPoolJob job;
    job.count = writes->outputs.size();
    job.runTask = [writes](std::size_t i) {
        const ScanMessageCapture capture(writes->messages[i]);
        lf_writeOutput(writes->outputs[i]);
    };
    job.onGiveUp = [](std::size_t, bool) {};
    const ScanPoolReport report = gf_runScanPool(std::move(job));
    for (std::size_t i = 0; i < report.ends.size(); ++i) {
        if (report.ends[i] == ScanTaskEnd::Done)
            gf_appendScanMessages(std::move(writes->messages[i]));
        else if (report.ends[i] == ScanTaskEnd::GivenUp)
            lf_addScanMessage(lf_failedWriteLine(writes->outputs[i]));
    }
}
