// wlan_report [-o REPORT.html] [--json DATA.json] INPUT
// Exit status: 0 report written without problems, 3 written with problems,
// 1 usage error, unreadable input or an input with none of the known files.
#include "qz_wlan_version.h"
#include "report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#ifndef QZ_CHARTJS_PATH
#define QZ_CHARTJS_PATH "/usr/share/javascript/chart.js/chart.min.js"
#endif

namespace {

constexpr int kExitClean = 0;
constexpr int kExitError = 1;
constexpr int kExitProblems = 3;

void Usage(FILE *to)
{
    std::fputs(
        "usage: wlan_report [-o REPORT.html] [--json DATA.json] INPUT\n"
        "  INPUT         a snapshot archive made by wlan_snapshot, or a folder laid out like one\n"
        "  -o FILE       the HTML page (default report.html)\n"
        "  --json FILE   also write the data as JSON\n"
        "  --help, --version\n"
        "exit status: 0 no problems, 3 written with problems, 1 error\n",
        to);
}

bool WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "wlan_report: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string html = "report.html", json, input;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "-o" || a == "--json") && i + 1 < argc) {
            (a == "-o" ? html : json) = argv[++i];
        } else if (a == "--version") {
            std::puts("wlan_report " QZ_WLAN_BASE_VERSION_STRING);
            return kExitClean;
        } else if (a == "-h" || a == "--help") {
            Usage(stdout);
            return kExitClean;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            std::fprintf(stderr, "wlan_report: usage error: unknown option or missing value: %s\n", a.c_str());
            Usage(stderr);
            return kExitError;
        } else if (input.empty()) {
            input = a;
        } else {
            std::fprintf(stderr, "wlan_report: usage error: more than one INPUT (%s)\n", a.c_str());
            Usage(stderr);
            return kExitError;
        }
    }
    if (input.empty()) {
        std::fprintf(stderr, "wlan_report: usage error: no INPUT given\n");
        Usage(stderr);
        return kExitError;
    }

    qz_report::Members members;
    qz_report::Report report;
    report.input = input;
    std::string error;
    if (!qz_report::ReadInput(input, members, report.problems, error)) {
        std::fprintf(stderr, "wlan_report: %s\n", error.c_str());
        return kExitError;
    }
    qz_report::Analyse(members, report);
    if (report.knownFiles == 0) {
        std::fprintf(stderr,
                     "wlan_report: %s holds none of the snapshot's files (manifest.txt, cmd/*, var/wifi_airInterface, "
                     "var/wifi_airInterface.tar.gz, var/zarvo/topodebug.N.log, proc/wifilog/debug/2G)\n",
                     input.c_str());
        return kExitError;
    }

    std::string page;
    if (!qz_report::BuildPage(report, QZ_CHARTJS_PATH, page, error)) {
        std::fprintf(stderr, "wlan_report: %s\n", error.c_str());
        return kExitError;
    }
    if (!WriteFile(html, page)) return kExitError;
    if (!json.empty() && !WriteFile(json, qz_report::BuildJson(report))) return kExitError;

    std::fprintf(stderr, "wlan_report: %s: %zu records, %zu stations, %zu roam events, %zu problems\n", html.c_str(),
                 report.air.size(), report.stations.size(), report.roam.size(), report.problems.size());
    for (const qz_report::Problem &p : report.problems)
        std::fprintf(stderr, "  %s:%zu: %s\n", p.file.c_str(), p.line, p.reason.c_str());
    return report.problems.empty() ? kExitClean : kExitProblems;
}
