// Parsers of the snapshot's files. Each line is read by its documented
// format; a line that does not fit is listed as a problem and skipped.
#include "report.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace qz_report {
namespace {

constexpr std::string_view kRecordHeader = "MAC               STAID  TIME                 RSSI Tx/RxRate     PowerSave";
// A record line is at most 99 bytes; a wider one is not a record line.
constexpr size_t kMaxRecordLine = 99;
constexpr size_t kExcerpt = 60;
constexpr size_t kTopoTail = 10;

// Splits at '\n' and drops one trailing '\r', calling fn(line, number).
template <typename Fn>
void ForEachLine(std::string_view text, Fn fn)
{
    size_t number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        fn(line, ++number);
    }
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool StartsWith(std::string_view s, std::string_view p)
{
    return s.substr(0, p.size()) == p;
}

// Control bytes other than tab mean the line is not text.
bool IsText(std::string_view s)
{
    return std::none_of(s.begin(), s.end(), [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return (u < 0x20 && u != '\t') || u == 0x7f;
    });
}

std::string Excerpt(std::string_view s)
{
    std::string out;
    for (char c : s.substr(0, kExcerpt)) {
        unsigned char u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7f) ? '?' : c;
    }
    if (s.size() > kExcerpt) out += "...";
    return out;
}

void AddProblem(Report &report, const std::string &file, size_t line, std::string reason)
{
    report.problems.push_back({file, line, std::move(reason)});
}

bool Digits(std::string_view s, size_t maxLen, uint64_t &value)
{
    if (s.empty() || s.size() > maxLen) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// "YYYY-MM-DD hh:mm:ss" at the start of `s`.
int64_t ParseStamp(std::string_view s)
{
    if (s.size() < 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':') return kNoTime;
    uint64_t y, mo, d, h, mi, se;
    if (!Digits(s.substr(0, 4), 4, y) || !Digits(s.substr(5, 2), 2, mo) || !Digits(s.substr(8, 2), 2, d) ||
        !Digits(s.substr(11, 2), 2, h) || !Digits(s.substr(14, 2), 2, mi) || !Digits(s.substr(17, 2), 2, se))
        return kNoTime;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || se > 60) return kNoTime;
    return DaysFromCivil(static_cast<int64_t>(y), static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 +
           static_cast<int64_t>(h * 3600 + mi * 60 + se);
}

// Words of a record line, split at runs of blanks.
std::vector<std::string_view> Words(std::string_view s)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == ' ') ++i;
        size_t start = i;
        while (i < s.size() && s[i] != ' ') ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

bool ParseRate(std::string_view s, unsigned &tx, unsigned &rx)
{
    size_t slash = s.find("M/");
    if (slash == std::string_view::npos || s.size() < slash + 3 || s.back() != 'M') return false;
    uint64_t a, b;
    if (!Digits(s.substr(0, slash), 10, a) || !Digits(s.substr(slash + 2, s.size() - slash - 3), 10, b)) return false;
    if (a > UINT32_MAX || b > UINT32_MAX) return false;
    tx = static_cast<unsigned>(a);
    rx = static_cast<unsigned>(b);
    return true;
}

// "xx:xx:xx:%s %-6u %s  %-4d %-13s %s"; the time text may hold blanks, so
// the fields are taken from both ends.
bool ParseRecord(std::string_view line, AirRecord &r, std::string &why)
{
    if (line.size() > kMaxRecordLine) {
        why = "record line longer than " + std::to_string(kMaxRecordLine) + " bytes";
        return false;
    }
    std::vector<std::string_view> w = Words(line);
    if (w.size() < 5) {
        why = "record line with " + std::to_string(w.size()) + " fields";
        return false;
    }
    if (!StartsWith(w[0], "xx:xx:xx:") || w[0].size() == 9) {
        why = "MAC does not start with xx:xx:xx:";
        return false;
    }
    uint64_t staId;
    if (!Digits(w[1], 10, staId) || staId > UINT32_MAX) {
        why = "STAID is not a number";
        return false;
    }
    std::string_view rssi = w[w.size() - 3];
    bool negative = !rssi.empty() && rssi[0] == '-';
    uint64_t magnitude;
    if (!Digits(rssi.substr(negative ? 1 : 0), 10, magnitude) || magnitude > 2147483648ull) {
        why = "RSSI is not a number";
        return false;
    }
    if (!ParseRate(w[w.size() - 2], r.txRate, r.rxRate)) {
        why = "rate is not NM/NM";
        return false;
    }
    std::string_view ps = w.back();
    if (ps != "on" && ps != "off") {
        why = "PowerSave is neither on nor off";
        return false;
    }
    r.mac = std::string(w[0]);
    r.staId = static_cast<unsigned>(staId);
    r.rssi = static_cast<int>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
    r.powerSave = ps == "on";
    if (w.size() > 5) {
        const char *from = w[2].data();
        const char *to = w[w.size() - 4].data() + w[w.size() - 4].size();
        r.time.assign(from, static_cast<size_t>(to - from));
    }
    r.epoch = r.time.size() == 19 ? ParseStamp(r.time) : kNoTime;
    return true;
}

std::string CommandName(const std::string &path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    std::string out;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        char l = static_cast<char>(std::tolower(u));
        out += std::isalnum(u) ? l : '_';
    }
    return out;
}

// Closing texts, usage lines and the unknown-command answer frame a
// command's output; they are not its data.
bool IsFraming(std::string_view line)
{
    std::string_view t = Trim(line);
    return t.empty() || StartsWith(t, "wlancmd") || StartsWith(t, "[Usage]") ||
           StartsWith(t, "Can't find this command");
}

// "\r\n[%s:%06u]": the time text is the platform's; the microseconds close it.
bool RingPrefix(std::string_view line, std::string &time, std::string_view &rest)
{
    if (line.empty() || line[0] != '[') return false;
    size_t close = line.find(']');
    if (close == std::string_view::npos || close < 8 || line[close - 7] != ':') return false;
    uint64_t micro;
    if (!Digits(line.substr(close - 6, 6), 6, micro)) return false;
    time.assign(line.substr(1, close - 8));
    rest = line.substr(close + 1);
    return true;
}

void ParseRing(const std::string &file, const std::string &ring, const std::string &text, Report &report)
{
    bool any = false;
    ForEachLine(text, [&](std::string_view line, size_t n) {
        if (IsFraming(line)) return;
        if (!IsText(line)) {
            AddProblem(report, file, n, "ring line is not text: " + Excerpt(line));
            return;
        }
        std::string time;
        std::string_view rest;
        if (RingPrefix(line, time, rest)) {
            report.rings.push_back({ring, std::move(time), std::string(rest), n});
        } else if (any && !report.rings.back().time.empty()) {
            // A record's message may itself hold line ends.
            report.rings.back().text += "\n" + std::string(line);
        } else {
            // After a wrap the ring starts with the newest records and is followed
            // by what is left of an older one: kept without a time.
            report.rings.push_back({ring, "", std::string(line), n});
        }
        any = true;
    });
}

// "Warning: find Exposed node for AP%u!!! band %s ssid %s bssid %s rssi %s"
// and "Warning: find Hidden for AP%u!!! ..."; an SSID may hold blanks.
bool ParseWarning(std::string_view line, NodeWarning &w)
{
    std::string_view rest;
    if (StartsWith(line, "Warning: find Exposed node for AP")) {
        rest = line.substr(33);
        w.hidden = false;
    } else if (StartsWith(line, "Warning: find Hidden for AP")) {
        rest = line.substr(27);
        w.hidden = true;
    } else {
        return false;
    }
    size_t bang = rest.find("!!! band ");
    uint64_t ap;
    if (bang == std::string_view::npos || !Digits(rest.substr(0, bang), 3, ap)) return false;
    rest = rest.substr(bang + 9);
    size_t ssid = rest.find(" ssid ");
    size_t bssid = rest.rfind(" bssid ");
    size_t rssi = rest.rfind(" rssi ");
    if (ssid == std::string_view::npos || bssid == std::string_view::npos || rssi == std::string_view::npos ||
        !(ssid < bssid && bssid < rssi))
        return false;
    w.ap = static_cast<unsigned>(ap);
    w.band = std::string(rest.substr(0, ssid));
    w.ssid = std::string(rest.substr(ssid + 6, bssid - ssid - 6));
    w.bssid = std::string(rest.substr(bssid + 7, rssi - bssid - 7));
    w.rssi = std::string(rest.substr(rssi + 6));
    return true;
}

void ParseCheckNode(const std::string &file, const std::string &text, Report &report)
{
    report.haveCheckNode = true;
    ForEachLine(text, [&](std::string_view line, size_t n) {
        if (!StartsWith(line, "Warning: find")) return;
        NodeWarning w;
        if (ParseWarning(line, w))
            report.nodes.push_back(std::move(w));
        else
            AddProblem(report, file, n, "unparsable node warning: " + Excerpt(line));
    });
}

}  // namespace

int64_t ParseTime(const std::string &text)
{
    return text.size() == 19 ? ParseStamp(text) : kNoTime;
}

void ParseManifest(const std::string &text, Report &report)
{
    ForEachLine(text, [&](std::string_view line, size_t) {
        std::string_view t = Trim(line);
        if (t.empty()) return;
        std::string lower;
        for (char c : t.substr(0, 8)) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string item(t);
        if (StartsWith(lower, "missing"))
            report.manifestMissing.push_back(item);
        else if (StartsWith(lower, "failed") || StartsWith(lower, "fail"))
            report.manifestFailed.push_back(item);
        else
            report.manifestInfo.push_back(item);
    });
}

void ParseRecordFile(const std::string &file, const std::string &text, bool fromArchive, Report &report)
{
    ForEachLine(text, [&](std::string_view line, size_t n) {
        if (n == 1 && Trim(line) == Trim(kRecordHeader)) return;
        if (Trim(line).empty()) return;
        AirRecord r;
        std::string why;
        if (!IsText(line)) {
            AddProblem(report, file, n, "record line is not text: " + Excerpt(line));
        } else if (!ParseRecord(line, r, why)) {
            AddProblem(report, file, n, "unparsable record line (" + why + "): " + Excerpt(line));
        } else {
            if (n == 1) AddProblem(report, file, 1, "record file without its header line");
            r.fromArchive = fromArchive;
            r.line = n;
            report.air.push_back(std::move(r));
        }
    });
}

void ParseRoamLog(const std::string &file, const std::string &text, Report &report)
{
    ForEachLine(text, [&](std::string_view line, size_t n) {
        // The Wi-Fi log holds other modules' lines too; only tagged station lines are roam lines.
        size_t tag = line.find("[FBT][STA ");
        if (tag == std::string_view::npos) return;
        RoamEvent e;
        e.line = n;
        std::string_view stamp = line.substr(0, tag);
        bool ok = IsText(line);
        if (ok && !stamp.empty()) {
            // "%04u-%02u-%02u %02u:%02u:%02u.%03d "
            uint64_t ms;
            int64_t s = ParseStamp(stamp);
            ok = stamp.size() == 24 && s != kNoTime && stamp[19] == '.' && Digits(stamp.substr(20, 3), 3, ms) &&
                 stamp[23] == ' ';
            if (ok) {
                e.time = std::string(stamp.substr(0, 23));
                e.epochMs = s * 1000 + static_cast<int64_t>(ms);
            }
        }
        std::string_view rest = line.substr(tag + 10);
        size_t macEnd = rest.find("][Band ");
        size_t bandEnd = macEnd == std::string_view::npos ? macEnd : rest.find("][AP:", macEnd + 7);
        size_t apEnd = bandEnd == std::string_view::npos ? bandEnd : rest.find("][", bandEnd + 5);
        size_t actEnd = apEnd == std::string_view::npos ? apEnd : rest.find("] ", apEnd + 2);
        uint64_t ap = 0;
        ok = ok && actEnd != std::string_view::npos && Digits(rest.substr(bandEnd + 5, apEnd - bandEnd - 5), 3, ap) &&
             ap <= 255;
        if (!ok) {
            AddProblem(report, file, n, "unparsable roam line: " + Excerpt(line));
            return;
        }
        e.mac = std::string(rest.substr(0, macEnd));
        e.band = std::string(rest.substr(macEnd + 7, bandEnd - macEnd - 7));
        e.ap = static_cast<unsigned>(ap);
        e.action = std::string(rest.substr(apEnd + 2, actEnd - apEnd - 2));
        e.message = std::string(rest.substr(actEnd + 2));
        report.roam.push_back(std::move(e));
    });
}

void ParseTopoFile(const std::string &file, unsigned number, const std::string &text, Report &report)
{
    TopoFile t;
    t.number = number;
    t.path = file;
    std::vector<std::string> tail;
    ForEachLine(text, [&](std::string_view line, size_t n) {
        t.lines = n;
        if (!IsText(line)) {
            AddProblem(report, file, n, "topology line is not text: " + Excerpt(line));
            return;
        }
        // "[%04u-%02u-%02u %02u:%02u:%02u] "; a line without a stamp was
        // written while the local time was not available.
        if (!line.empty() && line[0] == '[' && line.size() > 1 && std::isdigit(static_cast<unsigned char>(line[1]))) {
            if (line.size() < 22 || line[20] != ']' || ParseStamp(line.substr(1)) == kNoTime) {
                AddProblem(report, file, n, "unparsable topology time stamp: " + Excerpt(line));
                return;
            }
            std::string stamp(line.substr(1, 19));
            if (t.first.empty()) t.first = stamp;
            t.last = stamp;
        }
        if (tail.size() == kTopoTail) tail.erase(tail.begin());
        tail.push_back(line.size() > 512 ? Excerpt(line) : std::string(line));
    });
    t.tail = std::move(tail);
    report.topo.push_back(std::move(t));
}

void ParseCommand(const std::string &file, const std::string &text, Report &report)
{
    static const std::map<std::string, std::string> kRings = {
        {"show_log", "log"},
        {"show_apledlog", "apledlog"},
        {"show_xlinkerrlog", "xlinkerrlog"},
        {"show_vitranslog", "vitranslog"},
    };
    std::string name = CommandName(file);
    // File names are the command words joined by '_'; the closing text
    // identifies a ring output saved under another name.
    auto ring = kRings.find(name);
    if (ring == kRings.end()) {
        for (const auto &[key, value] : kRings) {
            if (text.find("wlancmd show " + value + " success!") != std::string::npos ||
                (value == "xlinkerrlog" && text.find("wlancmd show xlikerrlog success!") != std::string::npos))
                ring = kRings.find(key);
        }
    }
    if (ring != kRings.end()) {
        ParseRing(file, ring->second, text, report);
    } else if (name == "check_node" || text.find("Warning: find ") != std::string::npos) {
        ParseCheckNode(file, text, report);
    } else {
        report.commands.push_back({name, file, text});
    }
}

void Finish(Report &report)
{
    // Lines whose time cannot be read keep their place in file order: they
    // take the time of the line before them.
    std::stable_partition(report.air.begin(), report.air.end(), [](const AirRecord &r) { return r.fromArchive; });
    int64_t last = INT64_MIN;
    for (AirRecord &r : report.air) r.order = last = r.epoch != kNoTime ? r.epoch : last;
    std::stable_sort(report.air.begin(), report.air.end(),
                     [](const AirRecord &a, const AirRecord &b) { return a.order < b.order; });

    std::map<std::string, size_t> index;
    report.cycleStarts.clear();
    for (size_t i = 0; i < report.air.size(); ++i) {
        const AirRecord &r = report.air[i];
        // Every line of one cycle carries the same time text.
        if (i == 0 || r.time != report.air[i - 1].time || r.fromArchive != report.air[i - 1].fromArchive)
            report.cycleStarts.push_back(i);
        auto [it, added] = index.emplace(r.mac, report.stations.size());
        if (added) report.stations.push_back({r.mac, 0, r.time, r.time});
        AirStation &s = report.stations[it->second];
        ++s.records;
        s.last = r.time;
    }

    int64_t lastMs = INT64_MIN;
    std::vector<int64_t> order;
    for (const RoamEvent &e : report.roam) order.push_back(lastMs = e.epochMs != kNoTime ? e.epochMs : lastMs);
    std::vector<size_t> idx(report.roam.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
    std::stable_sort(idx.begin(), idx.end(), [&](size_t a, size_t b) { return order[a] < order[b]; });
    std::vector<RoamEvent> sorted;
    sorted.reserve(idx.size());
    for (size_t i : idx) sorted.push_back(std::move(report.roam[i]));
    report.roam = std::move(sorted);

    std::sort(report.topo.begin(), report.topo.end(),
              [](const TopoFile &a, const TopoFile &b) { return a.number < b.number; });
}

}  // namespace qz_report
