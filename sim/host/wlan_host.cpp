// wlan_host: the stand-in WLAN service process. Loads libqz_wlan_base.so over
// the simulated gateway platform (linked into this program, so its calls are
// global symbols the library binds to), starts it and delivers command lines
// from the console, -c and the Unix socket.
#include <dlfcn.h>
#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#if QZ_HAVE_READLINE
#include <readline/history.h>
#include <readline/readline.h>
#endif

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "host.h"
#include "qz_sim_service.h"
#include "qz_sim_util.h"
#include "qz_wlan_version.h"

namespace {

constexpr char kUsage[] =
    "Usage: wlan_host [OPTIONS]\n"
    "The simulated gateway's WLAN service: loads libqz_wlan_base.so, starts it and\n"
    "delivers wlancmd command lines to it.\n"
    "\n"
    "Options:\n"
    "  --profile FILE   product profile (JSON); default: default.json of the source\n"
    "                   tree's profiles/ (installed: of share/qz-wlan-sim/profiles)\n"
    "  --root DIR       sandbox root: every absolute path of the platform is taken\n"
    "                   below it; default: <bin>/../sandbox (installed:\n"
    "                   $XDG_STATE_HOME or ~/.local/state, qz-wlan-sim/sandbox)\n"
    "  --socket PATH    Unix socket for wlancmd clients; default:\n"
    "                   <root>/var/run/wlan_host.sock\n"
    "  --cycle-ms N     period of the platform's timer service (default 3000)\n"
    "  --library PATH   the library to load; default: <bin>/../lib/" QZ_WLAN_BASE_SONAME
    "\n"
    "                   (installed: " QZ_WLAN_BASE_SONAME
    " through the dynamic loader)\n"
    "  -c LINE          run LINE after start-up (repeatable, in order), print its\n"
    "                   output and exit: 0 when every line was delivered, 1 otherwise\n"
    "  --serve          read no console input; run until SIGINT or SIGTERM (or .quit)\n"
    "  --clock 'YYYY-MM-DD HH:MM:SS[.uuuuuu]'\n"
    "                   start the simulated clock there, in the profile's zone; it\n"
    "                   then moves only by .advance and .cycles (a cycle period\n"
    "                   each), and timers run only then, never on real time\n"
    "  --seed N         seed every random source of the platform (same seed, same\n"
    "                   random passwords); without it randomness is the kernel's\n"
    "  -f FILE, --script FILE\n"
    "                   run the session FILE: one line per command, '#' comments\n"
    "                   and blank lines skipped, \".expect-fail LINE\" for a line\n"
    "                   that must be refused, \".repeat N LINE\" or \".repeat N\" ...\n"
    "                   \".end\" for loops; exit 0 when every line went as\n"
    "                   expected, 1 otherwise\n"
    "  --transcript FILE\n"
    "                   write each line run after the prompt, then its output,\n"
    "                   with the sandbox root written as <root> and records\n"
    "                   without the library's source lines\n"
    "  --help           this text\n"
    "  --version        the program's name and version\n"
    "\n"
    "Without -c or --serve, a terminal gets a \"wlancmd> \" prompt with line editing,\n"
    "history and Tab completion; other input is read line by line to its end.\n"
    "\n"
    "A line is a wlancmd command line: at most 8 words of at most 47 characters,\n"
    "packed into a CLI message (type 149) and handed to WLAN_CliMsgProc on one\n"
    "dispatch thread; try \"?\". Lines starting with '.' are host commands:\n"
    "  .help  .quit  .feature NAME VALUE  .cycles N  .lastword [clear]  .trace [clear]\n"
    "and more listed by .help.\n"
    "\n"
    "Other shells send lines to the running host with: wlancmd [--socket PATH] WORD...\n"
    "Output of the timer and event threads goes to this program's standard output.\n";

struct Options {
    std::string profile = host::DefaultProfile();
    std::string root;
    std::string socket;
    std::string library;
    unsigned cycleMs = 3000;
    std::vector<std::string> lines;
    bool serve = false;
    std::string clock;
    bool seeded = false;
    uint64_t seed = 0;
    std::string script;
    std::string transcript;
};

[[noreturn]] void Fail(const std::string &message, int status = 2)
{
    fprintf(stderr, "wlan_host: %s\n", message.c_str());
    exit(status);
}

Options ParseOptions(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail(arg + " needs a value (see --help)");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            fputs(kUsage, stdout);
            exit(0);
        } else if (arg == "--version") {
            puts("wlan_host " QZ_WLAN_BASE_VERSION_STRING);
            exit(0);
        } else if (arg == "--profile") {
            o.profile = value();
        } else if (arg == "--root") {
            o.root = value();
        } else if (arg == "--socket") {
            o.socket = value();
        } else if (arg == "--library") {
            o.library = value();
        } else if (arg == "--cycle-ms") {
            std::string v = value();
            char *end = nullptr;
            unsigned long ms = strtoul(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || ms < 1 || ms > 3600000) Fail("--cycle-ms: " + v + " is not 1 to 3600000");
            o.cycleMs = static_cast<unsigned>(ms);
        } else if (arg == "-c") {
            o.lines.push_back(value());
        } else if (arg == "--serve") {
            o.serve = true;
        } else if (arg == "--clock") {
            o.clock = value();
        } else if (arg == "--seed") {
            std::string v = value();
            char *end = nullptr;
            errno = 0;
            o.seed = strtoull(v.c_str(), &end, 10);
            if (v.empty() || v[0] == '-' || *end != '\0' || errno != 0) Fail("--seed: " + v + " is not 0 to 2^64-1");
            o.seeded = true;
        } else if (arg == "-f" || arg == "--script") {
            o.script = value();
        } else if (arg == "--transcript") {
            o.transcript = value();
        } else {
            Fail("unknown option " + arg + " (see --help)");
        }
    }
    if (int(o.serve) + int(!o.lines.empty()) + int(!o.script.empty()) > 1) {
        Fail("-c, --script and --serve exclude each other");
    }
    if (o.root.empty()) o.root = host::DefaultRoot();
    if (o.library.empty()) o.library = host::DefaultLibrary();
    return o;
}

// ---- The library ---------------------------------------------------------------------

template <typename Fn>
Fn Lookup(void *lib, const char *name)
{
    return reinterpret_cast<Fn>(dlsym(lib, name));
}

// The loaded library, for the prompt's completion to read its tables.
void *g_library = nullptr;

// Loads the library and calls the start-up functions it has, in the service's
// order. The first two are required; later ones are skipped while absent.
// Null and a message when the library is unusable.
host::CliEntry StartLibrary(const std::string &path, std::string *error)
{
    void *lib = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (lib == nullptr) {
        *error = std::string("cannot load the library: ") + dlerror();
        return nullptr;
    }
    using Init = uint32_t (*)();
    auto cli = Lookup<host::CliEntry>(lib, "WLAN_CliMsgProc");
    auto logInit = Lookup<Init>(lib, "WLAN_CMD_LogInit");
    auto cmdInit = Lookup<Init>(lib, "WLAN_DBG_CmdInit");
    if (cli == nullptr || logInit == nullptr || cmdInit == nullptr) {
        *error = path + " lacks WLAN_CliMsgProc, WLAN_CMD_LogInit or WLAN_DBG_CmdInit";
        dlclose(lib);
        return nullptr;
    }
    auto check = [](const char *name, uint32_t status) {
        if (status != 0) fprintf(stderr, "wlan_host: %s answered 0x%X\n", name, status);
    };
    check("WLAN_CMD_LogInit", logInit());
    check("WLAN_DBG_CmdInit", cmdInit());
    for (const char *name : {"WLAN_FT_Init", "WLAN_InitAirInterface"}) {
        if (auto init = Lookup<Init>(lib, name)) check(name, init());
    }
    if (auto fitAp = Lookup<void (*)(uint32_t)>(lib, "WLAN_FITAP_Init")) fitAp(qzsim::ProfileFitApMode());
    if (auto apInst = Lookup<void (*)(uint8_t)>(lib, "WLAN_SetOwnAPInst")) {
        apInst(static_cast<uint8_t>(qzsim::ProfileOwnApInst()));
    }
    // Never closed: the library has no shutdown, its timer and tables live
    // until the process ends.
    g_library = lib;
    return cli;
}

// ---- Stopping ------------------------------------------------------------------------

// Signals are blocked in every thread and taken by one watcher thread; a stop
// (signal or .quit) wakes the main loop through an eventfd.
std::atomic<bool> g_stop{false};
int g_stopFd = -1;

void RequestStop()
{
    g_stop.store(true);
    uint64_t one = 1;
    (void)!write(g_stopFd, &one, sizeof(one));
}

sigset_t StopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);  // wakes the watcher at exit
    return set;
}

void WatchSignals()
{
    sigset_t set = StopSignals();
    int sig = 0;
    while (sigwait(&set, &sig) == 0) {
        if (sig == SIGUSR1) return;
        RequestStop();
    }
}

// ---- Console modes -------------------------------------------------------------------

// The transcript (--transcript): each line after the prompt, then its output.
FILE *g_transcript = nullptr;

// Writes text to the transcript with the sandbox root, which differs from run
// to run, as "<root>".
void Transcribe(const std::string &text)
{
    if (g_transcript == nullptr) return;
    const std::string root = qzsim::Root();
    std::string out = text;
    for (size_t at = 0; !root.empty() && (at = out.find(root, at)) != std::string::npos; at += 6) {
        out.replace(at, root.size(), "<root>");
    }
    fwrite(out.data(), 1, out.size(), g_transcript);
}

// Runs one line and prints its output; answers whether it was delivered.
// A repeated line is not echoed: its .repeat stands once in the transcript.
bool RunAndPrint(host::Dispatcher *dispatcher, const std::string &line, bool echo = true)
{
    if (echo) Transcribe("wlancmd> " + line + "\n");
    auto request = std::make_shared<host::Request>(line);
    dispatcher->Submit(request);
    return request->Drain([](bool isError, const std::string &text) {
        FILE *out = isError ? stderr : stdout;
        fwrite(text.data(), 1, text.size(), out);
        fflush(out);
        Transcribe(text);
    });
}

// Runs a session file; answers whether every line went as expected (a line
// marked ".expect-fail" refused, every other one delivered).
bool RunScript(host::Dispatcher *dispatcher, const std::string &path)
{
    std::vector<host::SessionStep> steps;
    std::string error;
    if (!host::ReadSession(path, &steps, &error)) Fail(error);
    bool ok = true;
    for (const auto &step : steps) {
        for (size_t i = 0; i < step.written.size(); i++)
            Transcribe((i == 0 ? "wlancmd> " : "> ") + step.written[i] + "\n");
        const bool repeated = !step.written.empty();
        for (uint32_t n = 0; n < step.count && !g_stop.load(); n++) {
            for (const auto &line : step.lines) {
                if (g_stop.load()) break;
                const std::string text = repeated ? host::ExpandCounter(line.text, step.start + n) : line.text;
                if (RunAndPrint(dispatcher, text, !repeated) == line.expectFail) {
                    fprintf(stderr, "wlan_host: %s:%u: %s%s\n", path.c_str(), line.number,
                            line.expectFail ? "expected a refusal, the line was delivered" : "the line was refused",
                            repeated ? (" (" + text + ", repetition " + std::to_string(n + 1) + ")").c_str() : "");
                    ok = false;
                }
            }
        }
    }
    return ok;
}

// Waits for input on fd or a stop; false on a stop.
bool WaitInput(int fd)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {g_stopFd, POLLIN, 0}};
    while (!g_stop.load()) {
        int n = poll(fds, 2, -1);
        if (n < 0 && errno != EINTR) return false;
        if (n > 0 && fds[1].revents != 0) return false;
        if (n > 0 && fds[0].revents != 0) return true;
    }
    return false;
}

// Reads standard input line by line to its end. With a prompt (a terminal
// without line editing), shows it before each line and ends with a newline.
void ReadLines(host::Dispatcher *dispatcher, const char *prompt)
{
    auto showPrompt = [prompt] {
        if (prompt == nullptr) return;
        fputs(prompt, stdout);
        fflush(stdout);
    };
    std::string pending;
    char buf[4096];
    showPrompt();
    while (WaitInput(STDIN_FILENO)) {
        ssize_t n = read(STDIN_FILENO, buf, sizeof(buf));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buf, static_cast<size_t>(n));
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos && !g_stop.load()) {
            (void)RunAndPrint(dispatcher, pending.substr(0, nl));
            pending.erase(0, nl + 1);
            showPrompt();
        }
    }
    if (!pending.empty() && !g_stop.load()) (void)RunAndPrint(dispatcher, pending);
    if (prompt != nullptr) fputc('\n', stdout);
}

#if QZ_HAVE_READLINE
host::Dispatcher *g_readlineDispatcher = nullptr;
bool g_readlineEof = false;

void OnReadline(char *line)
{
    if (line == nullptr) {
        rl_callback_handler_remove();  // no prompt after the end of input
        g_readlineEof = true;
        fputc('\n', stdout);
        return;
    }
    if (line[0] != '\0') add_history(line);
    (void)RunAndPrint(g_readlineDispatcher, line);
    free(line);
}

// Tab: the words host::Complete offers, never file names.
std::vector<std::string> g_matches;
size_t g_nextMatch = 0;

char *NextMatch(const char *, int state)
{
    if (state == 0) g_nextMatch = 0;
    return g_nextMatch < g_matches.size() ? strdup(g_matches[g_nextMatch++].c_str()) : nullptr;
}

char **CompleteWord(const char *text, int, int end)
{
    rl_attempted_completion_over = 1;
    g_matches = host::Complete(rl_line_buffer, static_cast<size_t>(end), host::GatherCompletionSources(g_library));
    return rl_completion_matches(text, NextMatch);
}

void ReadTerminal(host::Dispatcher *dispatcher)
{
    g_readlineDispatcher = dispatcher;
    rl_catch_signals = 0;  // the signal watcher owns SIGINT and SIGTERM
    // Words are split on blanks only, as the host splits lines: a MAC's
    // colons stay inside its word.
    rl_basic_word_break_characters = " \t";
    rl_completer_word_break_characters = rl_basic_word_break_characters;
    rl_attempted_completion_function = CompleteWord;
    rl_callback_handler_install("wlancmd> ", OnReadline);
    while (!g_readlineEof && WaitInput(STDIN_FILENO)) rl_callback_read_char();
    if (!g_readlineEof) {
        rl_callback_handler_remove();
        fputc('\n', stdout);
    }
}
#else
// Built without readline (a cross build has none): the same prompt, no editing.
void ReadTerminal(host::Dispatcher *dispatcher)
{
    ReadLines(dispatcher, "wlancmd> ");
}
#endif

}  // namespace

int main(int argc, char **argv)
{
    Options o = ParseOptions(argc, argv);

    // Before any thread exists, so that every thread inherits the mask.
    sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::string error;
    if (!qzsim::SetRoot(o.root, &error)) Fail(error);
    qzsim::Reset();
    if (!qzsim::LoadProfileFile(o.profile, &error)) Fail("bad profile: " + error);
    // After the profile, whose zone the clock's text is read in.
    if (!o.clock.empty()) {
        time_t seconds = 0;
        uint32_t micros = 0;
        if (!qzsim::ParseLocalTime(o.clock, &seconds, &micros, &error)) Fail("--clock: " + error);
        qzsim::FixClock(seconds, micros);
        qzsim::SetTimerPeriod(o.cycleMs);
    }
    if (o.seeded) qzsim::SeedRandom(o.seed);
    // A transcript is compared with an expected one: source lines of the
    // library would make every edit of it a diff.
    if (!o.transcript.empty()) host::ShowSourceLines(false);
    if (!o.transcript.empty() && (g_transcript = fopen(o.transcript.c_str(), "w")) == nullptr) {
        Fail("cannot write the transcript " + o.transcript + ": " + strerror(errno));
    }
    if (o.socket.empty()) o.socket = host::DefaultSocket(qzsim::Root());
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(o.socket).parent_path(), ec);
    g_stopFd = eventfd(0, EFD_CLOEXEC);
    if (g_stopFd < 0) Fail(std::string("eventfd: ") + strerror(errno));

    host::SocketServer server;
    if (!server.Listen(o.socket, &error)) Fail(error);
    // A fixed clock makes the session repeatable: events are delivered on the
    // thread that raises them, and timers run only when the session says.
    const bool fixed = !o.clock.empty();
    if (!fixed) qzsim::StartEventThread();
    host::CliEntry cli = StartLibrary(o.library, &error);
    if (cli == nullptr) {
        server.Stop();
        qzsim::StopEventThread();
        Fail(error);
    }
    if (!fixed) qzsim::StartTimerThread(o.cycleMs);
    host::Dispatcher dispatcher(cli, RequestStop);
    dispatcher.Start();
    server.Start(&dispatcher);
    std::thread watcher(WatchSignals);

    int status = 0;
    if (!o.script.empty()) {
        status = RunScript(&dispatcher, o.script) ? 0 : 1;
    } else if (!o.lines.empty()) {
        for (const auto &line : o.lines) {
            if (g_stop.load()) break;
            if (!RunAndPrint(&dispatcher, line)) status = 1;
        }
    } else if (o.serve) {
        fprintf(stderr, "wlan_host: serving on %s (root %s)\n", o.socket.c_str(), qzsim::Root().c_str());
        while (WaitInput(-1)) {
        }
    } else if (isatty(STDIN_FILENO)) {
        printf("wlan_host: root %s, socket %s; .help lists the host commands, ? the library's\n", qzsim::Root().c_str(),
               o.socket.c_str());
        ReadTerminal(&dispatcher);
    } else {
        ReadLines(&dispatcher, nullptr);
    }

    // The dispatcher first: it fails queued requests, so that connection
    // threads waiting on them can end.
    dispatcher.Stop();
    server.Stop();
    qzsim::StopTimerThread();
    qzsim::StopEventThread();
    pthread_kill(watcher.native_handle(), SIGUSR1);
    watcher.join();
    close(g_stopFd);
    if (g_transcript != nullptr && fclose(g_transcript) != 0) {
        fprintf(stderr, "wlan_host: the transcript %s is incomplete: %s\n", o.transcript.c_str(), strerror(errno));
        status = 1;
    }
    fflush(stdout);
    return status;
}
