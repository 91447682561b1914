// Shared plumbing of the simulated platform's modules (not for tests).
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <string>

#include "qz_sim.h"

namespace qzsim {

// Called by Reset(); each module registers one to drop its state.
void RegisterResetHook(void (*hook)());

// Called at the start of every timer cycle (thread or RunTimerCycles), before
// the callbacks: the simulated product's clocked state advances here.
void RegisterCycleHook(void (*hook)());

// Writes console text to the calling thread's sink (or the default one).
void ConsoleWrite(const char *text, size_t len);
std::string VFormat(const char *fmt, va_list ap);

// Appends one line to a file below the root ("/var/log/qzsim/<name>").
void AppendPlatformLog(const char *name, const std::string &line);

void RecordLastWord(const LastWord &lw);
void RecordTrace(const TraceLine &t);
void RecordWifiLog(const LogLine &l);
void RecordOpLog(const LogLine &l);

// Notes a call's name for CallsMade() while recording (FaultHit calls it).
void NoteCall(const char *name);
// Stops the process when name is not in FailableCalls(): a call site that
// asks about a name the list lacks could never be made to fail.
void RequireFailableCall(const char *name);

// Fault check for calls that answer a status: returns true and sets *ret.
template <typename T>
bool Faulted(const char *name, T *ret)
{
    long long code = 0;
    if (!FaultHit(name, &code)) {
        return false;
    }
    *ret = static_cast<T>(code);
    return true;
}

// The shell hands a command handler pointers into the CLI record's 48-byte
// word slots, which need not hold a terminator. A sibling handler refuses a
// line with a word that fills its slot (its usage error) instead of reading
// past it.
constexpr size_t kCliWordSlot = 48;
inline bool WordsFit(uint32_t argc, char *const argv[])
{
    for (uint32_t i = 0; i < argc && i < 8; i++) {
        if (argv[i] == nullptr || memchr(argv[i], '\0', kCliWordSlot) == nullptr) return false;
    }
    return true;
}

}  // namespace qzsim

// Registers a reset hook at load time (the simulated platform may use static
// constructors; the library may not).
#define QZSIM_ON_RESET(fn) static const bool fn##_registered = (qzsim::RegisterResetHook(fn), true)
#define QZSIM_ON_CYCLE(fn) static const bool fn##_on_cycle = (qzsim::RegisterCycleHook(fn), true)
#define QZSIM_PROFILE_SECTION(key, parser) \
    static const bool parser##_registered = (qzsim::RegisterProfileSection(key, parser), true)
