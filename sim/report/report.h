// wlan_report: reads a gateway snapshot (archive or folder) and turns it into
// one self-contained HTML page and a JSON document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qz_report {

// Seconds since 1970 of a gateway-local time text, read as if it were UTC:
// the page shows it back as the same text, never converted to another zone.
constexpr int64_t kNoTime = INT64_MIN;

struct Problem {
    std::string file;
    size_t line = 0;  // 0: the whole file
    std::string reason;
};

struct AirRecord {
    std::string mac;
    unsigned staId = 0;
    std::string time;  // the platform's own text
    int64_t epoch = kNoTime;
    int rssi = 0;
    unsigned txRate = 0;
    unsigned rxRate = 0;
    bool powerSave = false;
    bool fromArchive = false;
    size_t line = 0;
    int64_t order = 0;  // time used for ordering: the line's own, else its predecessor's
};

struct AirStation {
    std::string mac;
    size_t records = 0;
    std::string first, last;
};

struct RoamEvent {
    std::string time;
    int64_t epochMs = kNoTime;
    std::string mac, band, action, message;
    unsigned ap = 0;
    size_t line = 0;
};

struct TopoFile {
    unsigned number = 0;
    std::string path;
    size_t lines = 0;
    std::string first, last;  // time stamps of the first and last stamped lines
    std::vector<std::string> tail;
};

struct RingRecord {
    std::string ring;
    std::string time;  // empty: a wrapped remainder without its prefix
    std::string text;
    size_t line = 0;
};

struct NodeWarning {
    unsigned ap = 0;
    bool hidden = false;  // false: exposed
    std::string band, ssid, bssid, rssi;
};

struct CommandText {
    std::string name;  // command words joined by '_'
    std::string path;
    std::string text;
};

struct Report {
    std::string input;
    std::vector<std::string> manifestInfo, manifestMissing, manifestFailed;
    std::vector<AirRecord> air;       // archive and record file, in time order
    std::vector<size_t> cycleStarts;  // index into air of each cycle's first record
    std::vector<AirStation> stations;
    std::vector<RoamEvent> roam;  // time order
    std::vector<TopoFile> topo;   // rotation order, 1 (oldest) first
    std::vector<RingRecord> rings;
    std::vector<NodeWarning> nodes;
    bool haveCheckNode = false;
    std::vector<CommandText> commands;  // outputs shown as they are
    std::vector<Problem> problems;
    size_t knownFiles = 0;
};

// The snapshot's members by relative path ("var/wifi_airInterface", "cmd/show_log.txt", ...).
using Members = std::map<std::string, std::string>;

// Reads a snapshot archive or folder. Problems of the input itself (corrupt
// archive, unreadable file) are added to `problems`; false with `error` set
// when nothing at all could be read.
bool ReadInput(const std::string &input, Members &members, std::vector<Problem> &problems, std::string &error);

// Unpacks the record file from the nested archive's bytes; false with `error` set.
bool ReadNestedArchive(const std::string &bytes, std::string &recordFile, std::string &error);

// Parses every known member into `report` (problems included) and orders it.
void Analyse(const Members &members, Report &report);

// Parsers of single files, also driven by the fuzz target.
void ParseManifest(const std::string &text, Report &report);
void ParseRecordFile(const std::string &file, const std::string &text, bool fromArchive, Report &report);
void ParseRoamLog(const std::string &file, const std::string &text, Report &report);
void ParseTopoFile(const std::string &file, unsigned number, const std::string &text, Report &report);
void ParseCommand(const std::string &file, const std::string &text, Report &report);
void Finish(Report &report);

// Time texts of the simulated gateway: "YYYY-MM-DD hh:mm:ss"; kNoTime when unreadable.
int64_t ParseTime(const std::string &text);

std::string BuildJson(const Report &report);
// false with `error` set when Chart.js cannot be read.
bool BuildPage(const Report &report, const std::string &chartJsPath, std::string &page, std::string &error);

}  // namespace qz_report
