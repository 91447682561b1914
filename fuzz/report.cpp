// wlan_report's readers on made-up snapshots: any bytes as any of the
// snapshot's files, or as the whole archive. Whatever comes, the JSON output
// parses back, every problem names a line the file has, every record is
// counted under its station, and the page's data cannot end its script early.
//
// Input: a stream of members. Byte 0 of each: which file (below, modulo the
// count); then its length (2 bytes, little-endian, cut to what is left) and
// its bytes. File 0 is the whole input read as a snapshot archive.
#include <fstream>
#include <string>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "report.h"

namespace {

const char *const kNames[] = {
    nullptr,  // the archive itself
    "manifest.txt",
    "var/wifi_airInterface",
    "var/wifi_airInterface.tar.gz",
    "proc/wifilog/debug/2G",
    "var/zarvo/topodebug.1.log",
    "var/zarvo/topodebug.10.log",
    "cmd/show_log.txt",
    "cmd/show_apledlog.txt",
    "cmd/check_node.txt",
    "cmd/show_topo.txt",
    "cmd/other.txt",
};
constexpr size_t kCount = sizeof kNames / sizeof kNames[0];

std::string TempPath(const char *what)
{
    return std::string("/tmp/qz_fuzz_report_") + std::to_string(getpid()) + what;
}

size_t LineCount(const std::string &text)
{
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n + (!text.empty() && text.back() != '\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string chartJs = [] {
        std::string path = TempPath("_chart.js");
        std::ofstream(path) << "window.Chart = function () {};";
        return path;
    }();
    qz_report::Members members;
    std::vector<qz_report::Problem> inputProblems;
    size_t at = 0;
    while (at < size) {
        size_t kind = data[at++] % kCount;
        size_t len = at + 2 <= size ? data[at] | (data[at + 1] << 8) : 0;
        at = std::min(size, at + 2);
        len = std::min(len, size - at);
        std::string bytes(reinterpret_cast<const char *>(data + at), len);
        at += len;
        if (kNames[kind]) {
            members[kNames[kind]] = std::move(bytes);
            continue;
        }
        std::string path = TempPath(".tar.gz"), error;
        std::ofstream(path, std::ios::binary) << bytes;
        qz_report::ReadInput(path, members, inputProblems, error);
        unlink(path.c_str());
    }

    qz_report::Report report;
    qz_report::Analyse(members, report);
    nlohmann::json j = nlohmann::json::parse(qz_report::BuildJson(report), nullptr, false);
    if (j.is_discarded()) __builtin_trap();
    size_t counted = 0;
    for (const auto &s : j["air"]["stations"]) counted += s["records"].get<size_t>();
    if (counted != report.air.size() || j["air"]["lines"].size() != report.air.size()) __builtin_trap();
    for (const qz_report::Problem &p : report.problems) {
        auto m = members.find(p.file);
        if (m != members.end() && p.line > LineCount(m->second)) __builtin_trap();
    }

    std::string page, error;
    if (!qz_report::BuildPage(report, chartJs, page, error)) __builtin_trap();
    size_t scripts = 0;
    for (size_t p = page.find("</script"); p != std::string::npos; p = page.find("</script", p + 1)) ++scripts;
    // The early error handler, the data, Chart.js and the page's own script.
    if (scripts != 4) __builtin_trap();
    return 0;
}
