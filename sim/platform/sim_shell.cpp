// The system shell: commands run through the real /bin/sh with the sandbox
// root as working directory, absolute paths rewritten to their mapped place.
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <regex>

#include "qz_platform.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

// An absolute path inside a command (at the start of a word, or right after a
// redirection or '=') loses its leading '/' and so names the file below the
// root, which is the shell's working directory. System directories keep theirs.
std::string MapCommand(const std::string &command)
{
    static const std::regex kAbsolute(R"((^|[\s<>=|;&'"])/(?!(bin|sbin|usr|dev|etc)(/|\b)))");
    return std::regex_replace(command, kAbsolute, "$1");
}

}  // namespace

extern "C" {

int32_t QZ_OS_CmdFormat(char *cmdBuf, const char *fmt, ...)
{
    int32_t ret;
    if (Faulted("QZ_OS_CmdFormat", &ret)) return ret;
    if (cmdBuf == nullptr || fmt == nullptr) return -1;
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(cmdBuf, QZ_OS_CMD_BUF_LEN, fmt, ap);
    va_end(ap);
    if (n < 0 || static_cast<uint32_t>(n) >= QZ_OS_CMD_BUF_LEN) {
        cmdBuf[0] = '\0';
        return -1;
    }
    return n;
}

const char *QZ_OS_GetCmdStr(const char *cmdBuf)
{
    return cmdBuf != nullptr ? cmdBuf : "";
}

uint32_t SSP_ExecShellCmd(const SSP_EXEC_OPT_S *, const char *cmdBuf, uint32_t)
{
    uint32_t ret;
    if (Faulted("SSP_ExecShellCmd", &ret)) return ret;
    if (cmdBuf == nullptr) return 1;
    std::string root = Root();
    if (root.empty()) return 1;
    std::string line = "cd '" + root + "' && " + MapCommand(cmdBuf);
    AppendPlatformLog("shell.log", cmdBuf);
    int status = system(line.c_str());
    if (status == -1) return 1;
    return WIFEXITED(status) ? static_cast<uint32_t>(WEXITSTATUS(status)) : 1;
}

}  // extern "C"
