// Meta-commands that make a session repeatable: the simulated clock (shown,
// set, moved) and a listing of the files the library wrote in the sandbox,
// so that a transcript pins them too.
#include <dlfcn.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMaxAdvanceCycles = 1000000;  // as many as .cycles runs at once
constexpr size_t kShownTextBytes = 16384;        // a longer text shows its ends and a digest
constexpr size_t kShownEndLines = 5;

bool Refused(const std::string &error, std::string *out)
{
    *out = "refused: " + error;
    return false;
}

std::string Now()
{
    time_t seconds = 0;
    uint32_t micros = 0;
    qzsim::ClockNow(&seconds, &micros);
    return qzsim::FormatLocalTime(seconds, micros) + (qzsim::ClockFixed() ? "" : " (real time)");
}

bool Clock(const std::vector<std::string> &args, std::string *out)
{
    if (args.empty()) {
        *out = Now();
        return true;
    }
    if (args.size() != 3 || args[0] != "SET") return false;
    time_t seconds = 0;
    uint32_t micros = 0;
    std::string error;
    if (!qzsim::ParseLocalTime(args[1] + " " + args[2], &seconds, &micros, &error)) return Refused(error, out);
    if (!qzsim::ClockFixed()) return Refused("the clock is real time (start the host with --clock)", out);
    qzsim::FixClock(seconds, micros);
    *out = Now();
    return true;
}
HOST_META("clock", "[SET YYYY-MM-DD HH:MM:SS[.uuuuuu]]",
          "print the simulated time, or set it (backwards too; with --clock only)", Clock);

// "SECONDS[.uuuuuu]" as microseconds.
bool ParseDuration(const std::string &text, uint64_t *micros)
{
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    auto digits = [](const std::string &s) { return s.find_first_not_of("0123456789") == std::string::npos; };
    if (whole.empty() || whole.size() > 9 || !digits(whole) || !digits(fraction) || fraction.size() > 6 ||
        (dot != std::string::npos && fraction.empty())) {
        return false;
    }
    *micros = std::stoull(whole) * 1000000 + std::stoull((fraction + "000000").substr(0, 6));
    return true;
}

bool Advance(const std::vector<std::string> &args, std::string *out)
{
    uint64_t micros = 0;
    if (args.size() != 1) return false;
    if (!ParseDuration(args[0], &micros)) return Refused("\"" + args[0] + "\" is not SECONDS[.uuuuuu]", out);
    if (!qzsim::ClockFixed()) return Refused("the clock is real time (start the host with --clock)", out);
    const uint64_t cycles = qzsim::CyclesWithin(micros);
    if (cycles > kMaxAdvanceCycles) {
        return Refused(
            "that runs " + std::to_string(cycles) + " timer cycles, more than " + std::to_string(kMaxAdvanceCycles),
            out);
    }
    (void)qzsim::AdvanceClock(micros);
    *out = Now() + ", " + std::to_string(cycles) + " timer cycle" + (cycles == 1 ? "" : "s") + " ran";
    return true;
}
HOST_META("advance", "SECONDS[.uuuuuu]", "move the simulated clock on, running the timer cycles due (--clock)",
          Advance);

// The library's password generator, as the service's callers use it: with
// --seed the passwords repeat.
bool Password(const std::vector<std::string> &args, std::string *out)
{
    using Generate = uint32_t (*)(uint32_t len, char *dst, uint32_t size);
    if (args.size() != 1 || args[0].size() > 3 || args[0].find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const auto len = static_cast<uint32_t>(std::stoul(args[0]));
    auto generate = reinterpret_cast<Generate>(dlsym(RTLD_DEFAULT, "WLAN_GenerateRandPwd"));
    if (generate == nullptr) return Refused("the library has no WLAN_GenerateRandPwd", out);
    char password[1024] = "";
    const uint32_t status = generate(len, password, sizeof(password));
    *out = status == 0 ? std::string(password) : "refused: WLAN_GenerateRandPwd answered " + std::to_string(status);
    return status == 0;
}
HOST_META("password", "LEN", "a random password of LEN characters from the library (repeats with --seed)", Password);

// A MAC text as the library writes it into logs (whole or masked, as the
// feature FT_WLAN_SHOW_FULL_MAC says at the moment).
bool MacLog(const std::vector<std::string> &args, std::string *out)
{
    using Format = void (*)(const char *mac, char *dst, uint32_t size);
    if (args.size() != 1) return false;
    auto format = reinterpret_cast<Format>(dlsym(RTLD_DEFAULT, "WLAN_GetMacLogFormat"));
    if (format == nullptr) return Refused("the library has no WLAN_GetMacLogFormat", out);
    char text[64] = "";
    format(args[0].c_str(), text, sizeof(text));
    *out = text;
    return true;
}
HOST_META("maclog", "MAC", "the MAC text as the library writes it into logs (FT_WLAN_SHOW_FULL_MAC)", MacLog);

// Appends records to a ring through the library's writer, as the service's
// modules do: "TEXT n<number>" behind the writer's time prefix.
bool Log(const std::vector<std::string> &args, std::string *out)
{
    static const char *const kRings[][2] = {{"wlan", "WLAN_CMD_LOG_TblGet"},
                                            {"apled", "WLAN_CMD_APLEDLOG_TblGet"},
                                            {"xlink", "WLAN_CMD_ZarvoErrLOG_TblGet"},
                                            {"vitrans", "WLAN_CMD_VitransLog_TblGet"}};
    using Ring = void *(*)();
    using Save = void (*)(void *ring, const char *fmt, ...);
    if (args.size() != 3 || args[1].size() > 5 || args[1].find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const char *getter = nullptr;
    for (const auto &ring : kRings) {
        if (args[0] == ring[0]) getter = ring[1];
    }
    if (getter == nullptr) return Refused("no ring \"" + args[0] + "\" (wlan, apled, xlink, vitrans)", out);
    auto ringOf = reinterpret_cast<Ring>(dlsym(RTLD_DEFAULT, getter));
    auto save = reinterpret_cast<Save>(dlsym(RTLD_DEFAULT, "WLAN_LOG_SaveWlanLog"));
    if (ringOf == nullptr || save == nullptr) return Refused("the library has no ring writer", out);
    const unsigned long count = std::stoul(args[1]);
    for (unsigned long i = 1; i <= count; i++) save(ringOf(), "%s n%lu", args[2].c_str(), i);
    *out = std::to_string(count) + " record" + (count == 1 ? "" : "s") + " appended to the " + args[0] + " ring";
    return true;
}
HOST_META("log", "RING COUNT TEXT", "append COUNT records \"TEXT n<i>\" to a ring (wlan, apled, xlink, vitrans)", Log);

// ---- .files -------------------------------------------------------------------------

// The host's own files are not the library's.
bool HostOwned(const std::string &path)
{
    return path.rfind("/var/log/qzsim/", 0) == 0 || path.rfind("/var/run/", 0) == 0;
}

// Text: every line well-formed UTF-8 with no control bytes but tabs (and a
// line end of CR LF), as the host asks of a client's line.
bool IsText(const std::string &bytes)
{
    std::string error;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        if (!host::CheckClientLine(line, true, &error)) return false;
    }
    return true;
}

// FNV-1a, 64 bits: pins bytes too long to show, the same on every target.
std::string Digest(const std::string &bytes)
{
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    char text[32];
    snprintf(text, sizeof(text), "fnv1a64 %016llx", static_cast<unsigned long long>(h));
    return text;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A text in full with "| " before each line; a long one by its first and
// last lines, its line count and its digest.
std::string ShowText(const std::string &bytes)
{
    const std::vector<std::string> lines = SplitLines(bytes);
    std::string out;
    auto show = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; i++) out += "| " + lines[i] + "\n";
    };
    if (bytes.size() <= kShownTextBytes) {
        show(0, lines.size());
    } else {
        show(0, kShownEndLines);
        out += "| ... " + std::to_string(lines.size()) + " lines, " + Digest(bytes) + "\n";
        show(lines.size() - kShownEndLines, lines.size());
    }
    if (!bytes.empty() && bytes.back() != '\n') out += "(no newline at the end)\n";
    return out;
}

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A gzip'd tar by its members (name, size, digest): its own bytes carry the
// time the members were packed.
std::string ShowArchive(const fs::path &path)
{
    const std::string quoted = "'" + path.string() + "'";
    std::string out;
    FILE *list = popen(("tar -tzf " + quoted + " 2>/dev/null").c_str(), "r");
    if (list == nullptr) return "  (cannot list the archive)\n";
    char name[4096];
    while (fgets(name, sizeof(name), list) != nullptr) {
        std::string member(name);
        if (!member.empty() && member.back() == '\n') member.pop_back();
        std::string bytes;
        if (FILE *content = popen(("tar -xzOf " + quoted + " '" + member + "' 2>/dev/null").c_str(), "r")) {
            char buf[65536];
            for (size_t n; (n = fread(buf, 1, sizeof(buf), content)) > 0;) bytes.append(buf, n);
            (void)pclose(content);
        }
        out += "  member " + member + ", " + std::to_string(bytes.size()) + " bytes, " + Digest(bytes) + "\n";
    }
    if (pclose(list) != 0) out += "  (not a whole gzip'd tar)\n";
    return out;
}

std::string ShowFile(const fs::path &path, const std::string &shown)
{
    if (shown.size() > 7 && shown.compare(shown.size() - 7, 7, ".tar.gz") == 0) {
        return shown + ", gzip'd tar\n" + ShowArchive(path);
    }
    const std::string bytes = ReadFile(path);
    std::string out = shown + ", " + std::to_string(bytes.size()) + " bytes";
    if (!IsText(bytes)) return out + ", binary, " + Digest(bytes) + "\n";
    return out + "\n" + ShowText(bytes);
}

bool Files(const std::vector<std::string> &args, std::string *out)
{
    if (args.size() > 1) return false;
    const std::string root = qzsim::Root();
    std::vector<std::string> paths;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        std::string shown = it->path().string().substr(root.size());
        if (HostOwned(shown) || (!args.empty() && fnmatch(args[0].c_str(), shown.c_str(), 0) != 0)) continue;
        paths.push_back(shown);
    }
    std::sort(paths.begin(), paths.end());
    for (const auto &shown : paths) *out += ShowFile(root + shown, shown);
    *out += std::to_string(paths.size()) + " file" + (paths.size() == 1 ? "" : "s");
    return true;
}
HOST_META("files", "[GLOB]", "list the library's files in the sandbox (text shown, archives by member)", Files);

// ---- Loops in sessions ----------------------------------------------------------------

constexpr char kRepeatUsage[] = "N [from START] [LINE]";
constexpr uint32_t kMaxRepeat = 1000000;  // as many as .cycles runs at once

// Replaces each "{i}" or "{i:FORMAT}" by value; false and the bad one in
// *bad when a FORMAT is not printf's [0][WIDTH]d, x or X.
bool Expand(const std::string &text, uint32_t value, std::string *out, std::string *bad)
{
    out->clear();
    size_t at = 0;
    for (size_t open; (open = text.find("{i", at)) != std::string::npos;) {
        const size_t close = text.find('}', open);
        // "{i}" or "{i:FORMAT}"; other braces ("{id}") are text.
        if (close == std::string::npos || (close != open + 2 && text[open + 2] != ':')) {
            *out += text.substr(at, open + 2 - at);
            at = open + 2;
            continue;
        }
        const std::string format = close == open + 2 ? "d" : text.substr(open + 3, close - open - 3);
        const size_t digits = format.find_first_not_of("0123456789");
        if (format.empty() || format.size() > 3 || digits != format.size() - 1 ||
            std::string("dxX").find(format.back()) == std::string::npos) {
            *bad = text.substr(open, close - open + 1);
            return false;
        }
        char number[32];
        snprintf(number, sizeof(number), ("%" + format.substr(0, digits) + "l" + format.back()).c_str(),
                 static_cast<unsigned long>(value));
        *out += text.substr(at, open - at) + number;
        at = close + 1;
    }
    *out += text.substr(at);
    return true;
}

// "N [from START]" at the front of words; answers how many words it took, 0
// when they are not that.
size_t ParseRepeat(const std::vector<std::string> &words, uint32_t *count, uint32_t *start, std::string *error)
{
    auto number = [](const std::string &word, uint64_t max, uint32_t *out) {
        if (word.empty() || word.size() > 10 || word.find_first_not_of("0123456789") != std::string::npos) return false;
        const uint64_t v = std::stoull(word);
        if (v > max) return false;
        *out = static_cast<uint32_t>(v);
        return true;
    };
    if (words.empty() || !number(words[0], kMaxRepeat, count) || *count == 0) {
        *error = "\"" + (words.empty() ? std::string() : words[0]) + "\" is not a count from 1 to " +
                 std::to_string(kMaxRepeat);
        return 0;
    }
    *start = 0;
    if (words.size() < 2 || words[1] != "from") return 1;
    if (words.size() < 3 || !number(words[2], UINT32_MAX, start)) {
        *error = "from needs a number from 0 to " + std::to_string(UINT32_MAX);
        return 0;
    }
    return 3;
}

bool Repeat(const std::vector<std::string> &, std::string *out)
{
    return Refused("a .repeat runs in a session file (-f FILE)", out);
}
HOST_META("repeat", kRepeatUsage, "in a session: LINE or the lines up to .end, N times; {i} counts from START or 0",
          Repeat);

}  // namespace

namespace host {

std::string ExpandCounter(const std::string &text, uint32_t value)
{
    std::string out, bad;
    return Expand(text, value, &out, &bad) ? out : text;
}

bool ReadSession(const std::string &path, std::vector<SessionStep> *steps, std::string *error)
{
    std::ifstream in(path);
    if (!in) {
        *error = "cannot open the script " + path + ": " + strerror(errno);
        return false;
    }
    static const std::string kExpectFail = ".expect-fail";
    SessionStep *block = nullptr;  // the .repeat whose lines are being read
    unsigned blockStart = 0;
    unsigned number = 0;
    auto fail = [&](const std::string &message, bool usage) {
        *error = path + ":" + std::to_string(number) + ": " + message +
                 (usage ? std::string("\nusage: .repeat ") + kRepeatUsage + " (a block ends at .end)" : "");
        return false;
    };
    for (std::string line; std::getline(in, line);) {
        number++;
        bool oneLine = false;
        while (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> words;
        std::istringstream split(line);
        for (std::string word; split >> word;) words.push_back(word);
        if (words.empty() || words[0][0] == '#') continue;
        const std::string first = line.substr(line.find_first_not_of(" \t"));
        if (words[0] == ".end") {
            if (block == nullptr || words.size() != 1) return fail(".end without a .repeat block", true);
            if (block->lines.empty()) return fail("the .repeat block has no lines", true);
            block->written.push_back(".end");
            block = nullptr;
            continue;
        }
        if (words[0] == ".repeat") {
            if (block != nullptr) return fail("a .repeat block cannot hold another .repeat", true);
            SessionStep step;
            std::string why;
            const size_t taken = ParseRepeat({words.begin() + 1, words.end()}, &step.count, &step.start, &why);
            if (taken == 0) return fail(why, true);
            step.written.push_back(first);
            steps->push_back(step);
            if (words.size() == taken + 1) {
                block = &steps->back();
                blockStart = number;
                continue;
            }
            oneLine = true;  // the rest of the command, as written
            size_t at = 0;
            for (size_t w = 0; w <= taken; w++) at = first.find_first_not_of(" \t", first.find_first_of(" \t", at));
            words.erase(words.begin(), words.begin() + static_cast<long>(taken) + 1);
            line = first.substr(at);
            if (words[0] == ".repeat") return fail("a .repeat cannot repeat another .repeat", true);
        }
        SessionLine entry;
        entry.number = number;
        entry.text = line;  // as written: the host splits it into words
        if (words[0] == kExpectFail) {
            if (words.size() == 1) return fail(".expect-fail needs a line", false);
            if (words[1] == ".repeat" || words[1] == ".end") {
                return fail(".expect-fail marks a line inside the .repeat, not the .repeat", true);
            }
            entry.expectFail = true;
            entry.text.erase(0, line.find_first_not_of(" \t", line.find(kExpectFail) + kExpectFail.size()));
        }
        const bool repeated = block != nullptr || oneLine;
        std::string expanded, bad;
        if (repeated && !Expand(entry.text, 0, &expanded, &bad)) {
            return fail("the counter " + bad + " is not {i} or {i:FORMAT} (printf's [0][WIDTH]d, x or X)", true);
        }
        if (block != nullptr) {
            block->written.push_back(entry.expectFail ? kExpectFail + " " + entry.text : entry.text);
            block->lines.push_back(entry);
        } else if (repeated) {
            steps->back().lines.push_back(entry);  // a one-line .repeat
        } else {
            steps->push_back(SessionStep{{}, 1, 0, {entry}});
        }
    }
    if (block != nullptr) {
        number = blockStart;
        return fail(".repeat has no .end", true);
    }
    return true;
}

}  // namespace host
