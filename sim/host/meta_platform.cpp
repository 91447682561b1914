// Meta-commands over the simulated platform's control API: feature answers,
// timer cycles, injected faults, and the last-word and trace records.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "host.h"

namespace {

// An integer in [min, max], the whole word, in decimal.
bool ParseInt(const std::string &word, long long min, long long max, long long *out)
{
    if (word.empty() || word.size() > 20) return false;
    char *end = nullptr;
    long long v = strtoll(word.c_str(), &end, 10);
    if (*end != '\0' || v < min || v > max) return false;
    *out = v;
    return true;
}

// A failure code: a signed decimal (leading zeros too: 010 is 10, never octal
// 8) or 0x hexadecimal, within the 64-bit signed range.
bool ParseCode(const std::string &word, long long *out)
{
    if (word.empty()) return false;
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const size_t digits = hex ? 2 : (word[0] == '-' || word[0] == '+' ? 1 : 0);
    const char *allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (word.size() <= digits || word.find_first_not_of(allowed, digits) != std::string::npos) return false;
    errno = 0;
    char *end = nullptr;
    long long v = strtoll(word.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0') return false;
    *out = v;
    return true;
}

bool Feature(const std::vector<std::string> &args, std::string *out)
{
    long long value = 0;
    if (args.size() != 2 || !ParseInt(args[1], INT32_MIN, INT32_MAX, &value)) return false;
    qzsim::ChangeFeature(args[0], static_cast<int32_t>(value));
    qzsim::FlushEvents();  // the next command sees the refreshed answer
    *out = "feature " + args[0] + " = " + std::to_string(value) + ", event 4343 raised";
    return true;
}
HOST_META("feature", "NAME VALUE", "set a feature's answer and raise event 4343 with its name", Feature);

bool Cycles(const std::vector<std::string> &args, std::string *out)
{
    long long n = 0;
    if (args.size() != 1 || !ParseInt(args[0], 1, 1000000, &n)) return false;
    qzsim::StepTimerCycles(static_cast<int>(n));
    *out = "ran " + std::to_string(n) + " timer cycle" + (n == 1 ? "" : "s");
    return true;
}
HOST_META("cycles", "N", "run N timer cycles now (1 to 1000000; a fixed clock moves a period each)", Cycles);

// A platform call fails as the tests make it fail: CALL lets SKIP calls
// pass, then answers CODE (its own failure form) TIMES times, -1 for ever.
// Only the calls the platform lists as able to fail can be named, so a typo
// or any other symbol of the process is refused rather than arming nothing.
bool Fail(const std::vector<std::string> &args, std::string *out)
{
    long long n = 0, code = 0, skip = 0, times = 1;
    if (args.size() == 1 && args[0] == "clear") {
        qzsim::ClearFaults();
        *out = "faults cleared";
        return true;
    }
    if (!args.empty() && args[0] == "alloc") {
        if (args.size() != 2 || !ParseInt(args[1], 1, 1000000, &n)) return false;
        qzsim::FailAlloc(static_cast<int>(n));
        *out = "allocation " + args[1] + " from now fails";
        return true;
    }
    if (args.size() < 2 || args.size() > 4) return false;
    if (!qzsim::IsFailableCall(args[0])) {
        *out = "no platform call " + args[0];
        return false;
    }
    if (!ParseCode(args[1], &code) || (args.size() > 2 && !ParseInt(args[2], 0, 1000000, &skip)) ||
        (args.size() > 3 && !ParseInt(args[3], -1, 1000000, &times))) {
        return false;
    }
    (void)qzsim::FailCall(args[0], code, static_cast<int>(skip), static_cast<int>(times));
    *out = args[0] + " fails with " + args[1] + ": " + std::to_string(skip) + " calls pass, then " +
           (times < 0 ? std::string("every one fails") : std::to_string(times) + " fail");
    return true;
}
HOST_META("fail", "CALL CODE [SKIP [TIMES]] | alloc N | clear",
          "make a platform call or the Nth allocation fail (clear: none fails)", Fail);

// Source lines help an engineer at the console find the place; a transcript
// leaves them out, so that an edit of the library that only moves lines does
// not rewrite every expected record.
bool g_sourceLines = true;

std::string Place(const std::string &unit, unsigned line)
{
    return g_sourceLines ? unit + ":" + std::to_string(line) : unit;
}

// A last argument "clear" empties the records after showing them.
bool TakeClear(std::vector<std::string> *args)
{
    const bool clear = !args->empty() && args->back() == "clear";
    if (clear) args->pop_back();
    return clear;
}

bool LastWord(const std::vector<std::string> &args, std::string *out)
{
    std::vector<std::string> rest = args;
    const bool clear = TakeClear(&rest);
    if (!rest.empty()) return false;
    auto records = qzsim::LastWords();
    for (const auto &lw : records) {
        char values[128];
        snprintf(values, sizeof(values), " code=0x%X values=%u,%u,%u,%u\n", lw.code, lw.value1, lw.value2, lw.value3,
                 lw.value4);
        *out += Place(lw.file, lw.line) + values;
    }
    *out += std::to_string(records.size()) + " last-word record" + (records.size() == 1 ? "" : "s");
    if (clear) qzsim::ClearRecords();
    return true;
}
HOST_META("lastword", "[clear]", "print the last-word records (clear: then empty all records)", LastWord);

// A filter of digits picks an identifier, any other word the lines holding it.
bool Trace(const std::vector<std::string> &args, std::string *out)
{
    std::vector<std::string> rest = args;
    const bool clear = TakeClear(&rest);
    if (rest.size() > 1) return false;
    const std::string filter = rest.empty() ? "" : rest[0];
    long long id = -1;
    if (!filter.empty() && !ParseInt(filter, 0, UINT32_MAX, &id)) id = -1;
    size_t shown = 0;
    for (const auto &t : qzsim::Traces()) {
        if (id >= 0 ? t.id != id : t.text.find(filter) == std::string::npos) continue;
        *out += "[" + std::to_string(t.id) + "] " + Place(t.file, t.line) + " " + t.text;
        if (t.text.empty() || t.text.back() != '\n') *out += "\n";
        shown++;
    }
    *out += std::to_string(shown) + " trace line" + (shown == 1 ? "" : "s");
    if (clear) qzsim::ClearRecords();
    return true;
}
HOST_META("trace", "[ID | TEXT] [clear]",
          "print the trace lines (of identifier ID, or holding TEXT; clear: then empty all records)", Trace);

}  // namespace

void host::ShowSourceLines(bool show)
{
    g_sourceLines = show;
}
