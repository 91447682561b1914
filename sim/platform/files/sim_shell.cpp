// The system shell: commands run through the real /bin/sh with the sandbox
// root as working directory, absolute paths rewritten to their mapped place.
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <cctype>

#include "qz_platform.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

// An absolute path inside a command (at the start of a word, or right after a
// redirection or '=') loses its leading '/' and so names the file below the
// root, which is the shell's working directory. System directories keep theirs.
bool KeepsItsSlash(const std::string &command, size_t slash)
{
    static const char *const kSystemDirs[] = {"bin", "sbin", "usr", "dev", "etc"};
    for (const char *dir : kSystemDirs) {
        size_t len = strlen(dir);
        if (command.compare(slash + 1, len, dir) == 0) {
            char next = slash + 1 + len < command.size() ? command[slash + 1 + len] : '\0';
            if (next == '\0' || next == '/' || !(isalnum(static_cast<unsigned char>(next)) || next == '_')) {
                return true;
            }
        }
    }
    return false;
}

std::string MapCommand(const std::string &command)
{
    static const char kWordStarts[] = " \t\n<>=|;&'\"";
    std::string mapped;
    mapped.reserve(command.size());
    for (size_t i = 0; i < command.size(); i++) {
        bool wordStart = i == 0 || strchr(kWordStarts, command[i - 1]) != nullptr;
        if (command[i] == '/' && wordStart && !KeepsItsSlash(command, i)) continue;
        mapped.push_back(command[i]);
    }
    return mapped;
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
