// The report's two outputs: the JSON document for scripts (every record) and
// the HTML page (chart series thinned for display, Chart.js inlined).
#include "report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace qz_report {
namespace {

using nlohmann::json;

// Points drawn for all stations together, and at least per station: keeps
// the page small and the browser quick whatever the record count.
constexpr size_t kPointBudget = 40000;
constexpr size_t kMinStationPoints = 400;
constexpr size_t kCyclePoints = 4000;
// Rows of the page's long tables; the JSON keeps them all.
constexpr size_t kMaxRows = 5000;
constexpr size_t kMaxCommandText = 256 * 1024;

const char kPageHead[] =
#include "report_page.inc"
    ;

std::string Dump(const json &j)
{
    // Binary bytes in a snapshot must not stop the report.
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

json Problems(const Report &r)
{
    json out = json::array();
    for (const Problem &p : r.problems) out.push_back({{"file", p.file}, {"line", p.line}, {"reason", p.reason}});
    return out;
}

json Stations(const Report &r)
{
    json out = json::array();
    for (const AirStation &s : r.stations)
        out.push_back({{"mac", s.mac}, {"records", s.records}, {"first", s.first}, {"last", s.last}});
    return out;
}

json RoamEvents(const Report &r, size_t limit)
{
    json out = json::array();
    for (size_t i = 0; i < r.roam.size() && i < limit; ++i) {
        const RoamEvent &e = r.roam[i];
        out.push_back({{"time", e.time},
                       {"mac", e.mac},
                       {"band", e.band},
                       {"ap", e.ap},
                       {"action", e.action},
                       {"message", e.message},
                       {"line", e.line}});
    }
    return out;
}

json TopoFiles(const Report &r)
{
    json out = json::array();
    for (const TopoFile &t : r.topo)
        out.push_back({{"number", t.number},
                       {"path", t.path},
                       {"lines", t.lines},
                       {"first", t.first},
                       {"last", t.last},
                       {"tail", t.tail}});
    return out;
}

json Rings(const Report &r, size_t limit)
{
    json out = json::array();
    for (size_t i = 0; i < r.rings.size() && i < limit; ++i) {
        const RingRecord &g = r.rings[i];
        out.push_back({{"ring", g.ring}, {"time", g.time}, {"text", g.text}, {"line", g.line}});
    }
    return out;
}

json Nodes(const Report &r)
{
    json out = json::array();
    for (const NodeWarning &w : r.nodes)
        out.push_back({{"ap", w.ap},
                       {"kind", w.hidden ? "hidden" : "exposed"},
                       {"band", w.band},
                       {"ssid", w.ssid},
                       {"bssid", w.bssid},
                       {"rssi", w.rssi}});
    return out;
}

json Manifest(const Report &r)
{
    return {{"info", r.manifestInfo}, {"missing", r.manifestMissing}, {"failed", r.manifestFailed}};
}

std::string RecordFile(const AirRecord &a)
{
    return a.fromArchive ? "var/wifi_airInterface.tar.gz:var/wifi_airInterface" : "var/wifi_airInterface";
}

// First and last time text of each source, for the summary.
json Spans(const Report &r)
{
    json out = json::array();
    auto add = [&](const char *what, const std::string &first, const std::string &last) {
        if (!first.empty() || !last.empty()) out.push_back({{"what", what}, {"first", first}, {"last", last}});
    };
    if (!r.air.empty()) add("air-interface records", r.air.front().time, r.air.back().time);
    if (!r.roam.empty()) add("roam events", r.roam.front().time, r.roam.back().time);
    std::string first, last;
    for (const TopoFile &t : r.topo) {
        if (first.empty()) first = t.first;
        if (!t.last.empty()) last = t.last;
    }
    add("topology files", first, last);
    first.clear();
    last.clear();
    for (const RingRecord &g : r.rings) {
        if (ParseTime(g.time) == kNoTime) continue;
        if (first.empty() || g.time < first) first = g.time;
        if (g.time > last) last = g.time;
    }
    add("rings", first, last);
    return out;
}

// Chart series: the x of a cycle is its time (seconds, local time read as
// UTC) when any record has one, else its number.
json ChartData(const Report &r)
{
    bool timed = std::any_of(r.air.begin(), r.air.end(), [](const AirRecord &a) { return a.epoch != kNoTime; });
    int64_t firstKnown = 0;
    for (const AirRecord &a : r.air)
        if (a.order != INT64_MIN) {
            firstKnown = a.order;
            break;
        }
    std::vector<int64_t> recordX(r.air.size());
    json cycles = json::array();
    size_t nCycles = r.cycleStarts.size();
    size_t stride = std::max<size_t>(1, (nCycles + kCyclePoints - 1) / kCyclePoints);
    for (size_t c = 0; c < nCycles; ++c) {
        size_t from = r.cycleStarts[c];
        size_t to = c + 1 < nCycles ? r.cycleStarts[c + 1] : r.air.size();
        int64_t x = timed ? (r.air[from].order != INT64_MIN ? r.air[from].order : firstKnown) : static_cast<int64_t>(c);
        for (size_t i = from; i < to; ++i) recordX[i] = x;
        if (c % stride == 0) {
            // A thinned point carries the most anchors of the cycles it stands for.
            size_t most = 0;
            for (size_t k = c; k < std::min(nCycles, c + stride); ++k) {
                size_t end = k + 1 < nCycles ? r.cycleStarts[k + 1] : r.air.size();
                most = std::max(most, end - r.cycleStarts[k]);
            }
            cycles.push_back({x, most});
        }
    }

    std::map<std::string, std::vector<size_t>> byMac;
    for (size_t i = 0; i < r.air.size(); ++i) byMac[r.air[i].mac].push_back(i);
    size_t perStation = r.stations.empty() ? 0 : std::max(kMinStationPoints, kPointBudget / r.stations.size());
    json stations = json::array();
    for (const AirStation &s : r.stations) {
        const std::vector<size_t> &rows = byMac[s.mac];
        size_t step = std::max<size_t>(1, (rows.size() + perStation - 1) / perStation);
        json points = json::array();
        for (size_t k = 0; k < rows.size(); k += step) {
            const AirRecord &a = r.air[rows[k]];
            points.push_back({recordX[rows[k]], a.txRate, a.rxRate, a.rssi, a.powerSave ? 1 : 0});
        }
        stations.push_back({{"mac", s.mac},
                            {"records", s.records},
                            {"first", s.first},
                            {"last", s.last},
                            {"step", step},
                            {"points", std::move(points)}});
    }
    return {{"timed", timed}, {"cyclePoints", std::move(cycles)}, {"cycleStride", stride}, {"stations", stations}};
}

// A JSON string; plain text (most of it) is written as it is, the rest goes
// through the library's escaping.
void AppendString(std::string &out, const std::string &s)
{
    bool plain = std::all_of(s.begin(), s.end(), [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 0x20 && u < 0x7f && c != '"' && c != '\\';
    });
    if (plain)
        out += '"' + s + '"';
    else
        out += Dump(json(s));
}

// The record lines are written by hand: through the library's objects they
// would take most of the run time of a full snapshot.
std::string RecordLines(const Report &r)
{
    std::string out = "[";
    out.reserve(r.air.size() * 180);
    for (const AirRecord &a : r.air) {
        if (out.size() > 1) out += ',';
        out += "{\"file\":";
        AppendString(out, RecordFile(a));
        out += ",\"line\":" + std::to_string(a.line) + ",\"mac\":";
        AppendString(out, a.mac);
        out += ",\"powerSave\":";
        out += a.powerSave ? "true" : "false";
        out += ",\"rssi\":" + std::to_string(a.rssi) + ",\"rxRate\":" + std::to_string(a.rxRate) +
               ",\"staId\":" + std::to_string(a.staId) + ",\"time\":";
        AppendString(out, a.time);
        out += ",\"txRate\":" + std::to_string(a.txRate) + "}";
    }
    return out + "]";
}

}  // namespace

std::string BuildJson(const Report &r)
{
    json j = {
        {"input", r.input},
        {"manifest", Manifest(r)},
        {"air",
         {{"records", r.air.size()}, {"cycles", r.cycleStarts.size()}, {"stations", Stations(r)}, {"lines", nullptr}}},
        {"roam", {{"events", RoamEvents(r, SIZE_MAX)}}},
        {"topology", {{"files", TopoFiles(r)}}},
        {"rings", {{"records", Rings(r, SIZE_MAX)}}},
        {"nodes", {{"checked", r.haveCheckNode}, {"warnings", Nodes(r)}}},
        {"problems", Problems(r)},
    };
    // Keys are sorted: "air" comes first and "lines" follows its "cycles"
    // number, so the first such text is the placeholder and no string's.
    std::string text = Dump(j);
    const std::string mark = "\"lines\":null";
    size_t at = text.find(mark);
    text.replace(at, mark.size(), "\"lines\":" + RecordLines(r));
    return text + "\n";
}

bool BuildPage(const Report &r, const std::string &chartJsPath, std::string &page, std::string &error)
{
    std::ifstream in(chartJsPath, std::ios::binary);
    std::ostringstream chartJs;
    chartJs << in.rdbuf();
    if (!in || chartJs.str().empty()) {
        error = "cannot read Chart.js from " + chartJsPath + " (install libjs-chart.js)";
        return false;
    }
    size_t archived = static_cast<size_t>(
        std::count_if(r.air.begin(), r.air.end(), [](const AirRecord &a) { return a.fromArchive; }));
    json problems = Problems(r);
    if (problems.size() > kMaxRows) problems.erase(problems.begin() + kMaxRows, problems.end());
    json commands = json::array();
    for (const CommandText &c : r.commands)
        commands.push_back({{"name", c.name}, {"path", c.path}, {"text", c.text.substr(0, kMaxCommandText)}});
    json data = {
        {"input", r.input},
        {"manifest", Manifest(r)},
        {"summary",
         {{"records", r.air.size()},
          {"archived", archived},
          {"cycles", r.cycleStarts.size()},
          {"stations", r.stations.size()},
          {"roamEvents", r.roam.size()},
          {"ringRecords", r.rings.size()},
          {"problems", r.problems.size()},
          {"spans", Spans(r)}}},
        {"air", ChartData(r)},
        {"roam", RoamEvents(r, kMaxRows)},
        {"topology", TopoFiles(r)},
        {"rings", Rings(r, kMaxRows)},
        {"nodes", {{"checked", r.haveCheckNode}, {"warnings", Nodes(r)}}},
        {"commands", std::move(commands)},
        {"problems", std::move(problems)},
        {"maxRows", kMaxRows},
    };
    // Inside a script element "<" could end it early; in JSON it only occurs
    // inside strings, where \u003c reads back the same.
    std::string text = Dump(data);
    std::string safe;
    safe.reserve(text.size());
    for (char c : text) {
        if (c == '<')
            safe += "\\u003c";
        else
            safe += c;
    }
    std::string head = kPageHead;
    const std::string dataMark = "@DATA@", chartMark = "@CHARTJS@";
    size_t d = head.find(dataMark);
    size_t c = head.find(chartMark);
    if (d == std::string::npos || c == std::string::npos || c < d) {
        error = "page template is broken";
        return false;
    }
    page.clear();
    page.reserve(head.size() + safe.size() + chartJs.str().size());
    page.append(head, 0, d);
    page += safe;
    page.append(head, d + dataMark.size(), c - d - dataMark.size());
    // The library's text must not end its script element early.
    std::string script = chartJs.str();
    for (size_t at = script.find("</script"); at != std::string::npos; at = script.find("</script", at))
        script.replace(at, 2, "<\\/");
    page += script;
    page.append(head, c + chartMark.size(), std::string::npos);
    return true;
}

}  // namespace qz_report
