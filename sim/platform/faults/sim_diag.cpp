// Process diagnostics: the debug console, last words, traces, the operation
// log and the Wi-Fi log. Each record is kept in memory for tests and appended
// to a file under the root for engineers.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "qz_platform.h"
#include "sim_internal.h"

using namespace qzsim;

extern "C" {

uint32_t QZ_PROC_DBG_LastWord(const char *file, uint32_t line, uint32_t code, uint32_t value1, uint32_t value2,
                              uint32_t value3, uint32_t value4)
{
    LastWord lw{file ? file : "", line, code, value1, value2, value3, value4};
    RecordLastWord(lw);
    char text[256];
    snprintf(text, sizeof(text), "%s:%u code=0x%X values=%u,%u,%u,%u", lw.file.c_str(), line, code, value1, value2,
             value3, value4);
    AppendPlatformLog("lastword.log", text);
    return code;
}

void QZ_PROC_DBG_TraceS(uint32_t, uint32_t, uint32_t, uint32_t, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string text = VFormat(fmt, ap);
    va_end(ap);
    ConsoleWrite(text.data(), text.size());
}

int32_t QZ_OS_Printf(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string text = VFormat(fmt, ap);
    va_end(ap);
    ConsoleWrite(text.data(), text.size());
    return static_cast<int32_t>(text.size());
}

void QZ_PROC_DBG_TraceN(uint32_t traceId, const char *file, uint32_t line, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string text = VFormat(fmt, ap);
    va_end(ap);
    TraceLine t{traceId, file ? file : "", line, text};
    AppendPlatformLog("trace.log",
                      "[" + std::to_string(traceId) + "] " + t.file + ":" + std::to_string(line) + " " + text);
    RecordTrace(t);
}

uint32_t QZ_PROC_DBG_Log_RecordEx(uint32_t kind, uint32_t level, const char *text, uint32_t len)
{
    uint32_t ret;
    if (Faulted("QZ_PROC_DBG_Log_RecordEx", &ret)) return ret;
    LogLine l{kind, level, std::string(text ? text : "", text ? len : 0)};
    AppendPlatformLog("oplog.log", l.text);
    RecordOpLog(l);
    return 0;
}

void WIFI_LOG_Record(uint32_t logClass, uint32_t module, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string text = VFormat(fmt, ap);
    va_end(ap);
    LogLine l{logClass, module, text};
    std::string line = "class=" + std::to_string(logClass) + " module=" + std::to_string(module) + " " + text;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    AppendPlatformLog("wifi.log", line);
    RecordWifiLog(l);
}

uint32_t WIFI_LOG_WriteFile(const char *path, const char *text, uint32_t len)
{
    uint32_t ret;
    if (Faulted("WIFI_LOG_WriteFile", &ret)) return ret;
    if (path == nullptr || text == nullptr) return 1;
    std::string mapped = MapPath(path);
    int fd = open(mapped.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) return 1;
    ssize_t n = write(fd, text, len);
    close(fd);
    return n == static_cast<ssize_t>(len) ? 0 : 1;
}

}  // extern "C"
