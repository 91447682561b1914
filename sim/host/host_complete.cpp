// Tab completion at the prompt: which words may follow the words typed so far.
// Complete() is pure; GatherCompletionSources() reads the live tables.
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "host.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_shell.h"

namespace host {
namespace {

// The words commands take after their keywords, as the command catalogue and
// the host commands' usage lines give them. One pattern per word: literal choices
// separated by '|', a list of the sources named by '@', or "" for a word that
// fits anything and offers nothing (a number, an index).
const std::vector<std::vector<std::string_view>> kArguments = {
    {"debug", "ap", "on|off|log|bssid"},
    {"debug", "ap", "bssid", "", "staidx"},
    {"debug", "scn", "show|roam|thresh|dfx|addFriend"},
    {"debug", "scn", "show", "sta|ap|log|friend_sta"},
    {"debug", "scn", "roam", "@mac"},
    {"debug", "scn", "dfx", "on|off"},
    {"debug", "scn", "addFriend", "", "@mac"},
    {"debug", "roam", "11k|11v", "disable|clear"},
    {"scen", "help|get|auto|fix"},
    {"-i", "@if", "assoclist|rssi"},
    {"-i", "@if", "rssi", "@mac"},
    {".feature", "@feature"},
    {".fail", "@call|alloc|clear"},
    {".lastword", "clear"},
    {".trace", "clear"},
    {".clock", "SET"},
    {".log", "wlan|apled|xlink|vitrans"},
    {".maclog", "@mac"},
    {".station", "add|del|set"},
    {".station", "del|set", "@mac"},
    {".station", "set", "", "ssid|rssi|txRate|rxRate|powerSave|bytesPerCycle|staId|inactive"},
    {".station", "set", "", "inactive", "true|false"},
};

std::vector<std::string_view> Choices(std::string_view pattern)
{
    std::vector<std::string_view> out;
    size_t start = 0;
    while (!pattern.empty() && start <= pattern.size()) {
        const size_t bar = std::min(pattern.find('|', start), pattern.size());
        out.push_back(pattern.substr(start, bar - start));
        start = bar + 1;
    }
    return out;
}

// Whether a typed word may stand where pattern stands: any word for a source
// (a MAC not yet associated is still a MAC) or an open word.
bool Fits(std::string_view pattern, const std::string &word)
{
    if (pattern.empty()) return true;
    for (std::string_view choice : Choices(pattern)) {
        if ((!choice.empty() && choice[0] == '@') || choice == word) return true;
    }
    return false;
}

const std::vector<std::string> *Source(std::string_view name, const CompletionSources &sources)
{
    if (name == "@mac") return &sources.stations;
    if (name == "@if") return &sources.interfaces;
    if (name == "@feature") return &sources.features;
    if (name == "@call") return &sources.calls;
    return nullptr;
}

// Whether the typed words reach a command: a host command, or an entry of
// the table whose keywords they match as the shell matches them.
bool Reaches(const std::vector<std::string> &typed, const CompletionSources &sources)
{
    if (typed.empty()) return false;
    if (typed[0][0] == '.') {
        return std::find(sources.metas.begin(), sources.metas.end(), typed[0]) != sources.metas.end();
    }
    return std::any_of(sources.commands.begin(), sources.commands.end(), [&](const std::vector<std::string> &entry) {
        if (entry.size() > typed.size()) return false;
        for (size_t i = 0; i < entry.size(); i++) {
            if (!entry[i].empty() && entry[i] != typed[i]) return false;
        }
        return true;
    });
}

}  // namespace

std::vector<std::string> Complete(const std::string &line, size_t cursor, const CompletionSources &sources)
{
    const std::string before = line.substr(0, std::min(cursor, line.size()));
    const size_t blank = before.find_last_of(" \t");
    const size_t start = blank == std::string::npos ? 0 : blank + 1;
    const std::string prefix = before.substr(start);
    std::vector<std::string> typed;
    std::string error;
    (void)SplitLine(before.substr(0, start), &typed, &error);
    if (!error.empty()) return {};  // a line the host refuses anyway
    const size_t k = typed.size();

    std::vector<std::string> out;
    auto offer = [&](std::string_view word) {
        if (!word.empty() && word.compare(0, prefix.size(), prefix) == 0) out.emplace_back(word);
    };
    if (k == 0) {
        for (const auto &meta : sources.metas) offer(meta);
    }
    for (const auto &entry : sources.commands) {
        if (entry.size() <= k || entry[k].empty()) continue;
        bool fits = true;
        for (size_t i = 0; i < k && fits; i++) fits = entry[i].empty() || entry[i] == typed[i];
        if (fits) offer(entry[k]);
    }
    if (Reaches(typed, sources)) {
        for (const auto &row : kArguments) {
            if (row.size() <= k) continue;
            bool fits = true;
            for (size_t i = 0; i < k && fits; i++) fits = Fits(row[i], typed[i]);
            if (!fits) continue;
            for (std::string_view choice : Choices(row[k])) {
                if (const auto *source = Source(choice, sources)) {
                    for (const auto &word : *source) offer(word);
                } else {
                    offer(choice);
                }
            }
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

CompletionSources GatherCompletionSources(void *library)
{
    CompletionSources sources;
    // Read between the lines the console runs: commands register at start-up,
    // before lines are delivered, so the table no longer changes by then.
    const auto *table =
        library == nullptr ? nullptr : static_cast<const WLAN_DBG_CMD_TABLE *>(dlsym(library, "g_stCmdTable"));
    if (table != nullptr && table->entries != nullptr) {
        for (uint32_t i = 0; i < table->count; i++) {
            std::vector<std::string> keywords;
            for (uint32_t slot = 0; slot < WLAN_DBG_MATCHED_SLOTS; slot++) {
                const char *word = table->entries[i].keywords[slot];
                keywords.emplace_back(word, strnlen(word, WLAN_DBG_KEYWORD_LEN));
            }
            while (!keywords.empty() && keywords.back().empty()) keywords.pop_back();
            sources.commands.push_back(std::move(keywords));
        }
    }
    // The refresh table has a row for every feature but the few whose
    // accessors no refresh event reaches; those come from the feature list.
    const auto *features =
        library == nullptr ? nullptr : static_cast<const WLAN_FT_FUNC_S *>(dlsym(library, "g_ftFuncTable"));
    for (uint32_t i = 0; features != nullptr && i < WLAN_FT_TABLE_ROWS; i++) {
        if (features[i].pcFeatureName != nullptr) sources.features.emplace_back(features[i].pcFeatureName);
    }
#define WLAN_FT_FEATURE_NO_ROW(name) sources.features.emplace_back(#name);
#include "qz_wlan_feature.def"
    sources.metas = MetaNames();
    sources.calls = qzsim::FailableCalls();
    sources.interfaces = qzsim::WifiInterfaceNames();
    sources.stations = qzsim::StationMacs();
    return sources;
}

}  // namespace host
