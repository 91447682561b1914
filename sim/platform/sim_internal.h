// Shared plumbing of the simulated platform's modules (not for tests).
#pragma once

#include <cstdarg>
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

}  // namespace qzsim

// Registers a reset hook at load time (the simulated platform may use static
// constructors; the library may not).
#define QZSIM_ON_RESET(fn) static const bool fn##_registered = (qzsim::RegisterResetHook(fn), true)
#define QZSIM_ON_CYCLE(fn) static const bool fn##_on_cycle = (qzsim::RegisterCycleHook(fn), true)
#define QZSIM_PROFILE_SECTION(key, parser) \
    static const bool parser##_registered = (qzsim::RegisterProfileSection(key, parser), true)
