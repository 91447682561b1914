// wlancmd: sends one command line to a running wlan_host and prints that
// command's output, as the gateway's command line does.
#include <cstdio>
#include <string>
#include <vector>

#include "host.h"
#include "qz_wlan_version.h"

namespace {

constexpr char kUsage[] =
    "Usage: wlancmd [--socket PATH | --root DIR] WORD...\n"
    "Sends the words as one command line to a running wlan_host and prints the\n"
    "output of that command only. Lines starting with '.' are host commands\n"
    "(wlancmd .help lists them); \"wlancmd ?\" lists the library's commands.\n"
    "\n"
    "  --socket PATH   the host's socket; default: <root>/var/run/wlan_host.sock\n"
    "  --root DIR      the host's sandbox root; default: wlan_host's\n"
    "  --help          this text\n"
    "  --version       the program's name and version\n"
    "\n"
    "Exit status: 0 the line was delivered, 1 the host refused it, 2 usage or\n"
    "connection error.\n";

[[noreturn]] void Usage(const std::string &message)
{
    fprintf(stderr, "wlancmd: %s\n%s", message.c_str(), kUsage);
    exit(2);
}

}  // namespace

int main(int argc, char **argv)
{
    std::string socket;
    std::string root;
    int i = 1;
    for (; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            puts("wlancmd " QZ_WLAN_BASE_VERSION_STRING);
            return 0;
        }
        if (arg == "--") {
            i++;
            break;
        }
        if (arg != "--socket" && arg != "--root") break;
        if (i + 1 >= argc) Usage(arg + " needs a value");
        (arg == "--socket" ? socket : root) = argv[++i];
    }
    if (i >= argc) Usage("no command words");
    std::string line;
    for (int w = i; w < argc; w++) {
        std::string word = argv[w];
        for (char c : word) {
            if (c == '\n' || c == '\r') Usage("word " + std::to_string(w - i + 1) + " holds a line break");
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (socket.empty()) socket = host::DefaultSocket(root.empty() ? host::DefaultRoot() : root);

    std::string error;
    int status = host::SendLine(
        socket, line,
        [](const std::string &text) {
            fwrite(text.data(), 1, text.size(), stdout);
            fflush(stdout);
        },
        [](const std::string &text) {
            fwrite(text.data(), 1, text.size(), stderr);
            fflush(stderr);
        },
        &error);
    if (!error.empty()) fprintf(stderr, "wlancmd: %s\n", error.c_str());
    return status;
}
