// The stand-in WLAN service process: command lines from every source (console,
// -c, socket clients) are checked, packed into CLI message records and handed
// to the library one at a time on a single dispatch thread. Lines starting
// with '.' are host meta-commands and never reach the library.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qz_sim.h"

namespace host {

// ---- Command lines and CLI messages -------------------------------------------

// The gateway's front-end limits: at most 8 words of at most 47 characters.
constexpr size_t kMaxWords = 8;
constexpr size_t kMaxWordLen = 47;

// Splits a line on blanks (spaces, tabs). false (and a message naming the
// offending word) when the line breaks a front-end limit.
bool SplitLine(const std::string &line, std::vector<std::string> *words, std::string *error);
// A type-149 CLI message record holding the words (at most kMaxWords, each at
// most kMaxWordLen characters), every other byte zero.
std::vector<unsigned char> PackCliMsg(const std::vector<std::string> &words);

// ---- Meta-commands -------------------------------------------------------------

// Handles ".name ARGS..."; args are the words after the name. Writes its text
// into *out; false when the arguments are wrong (the host adds the usage).
// Runs on the dispatch thread, so nothing else runs in the library meanwhile
// and platform console output goes to the requester.
using MetaHandler = std::function<bool(const std::vector<std::string> &args, std::string *out)>;
// name without the dot ("station"); usage is the argument synopsis
// ("add MAC SSID [BYTES_PER_CYCLE] | del MAC"); summary is one line for .help.
void RegisterMeta(const std::string &name, const std::string &usage, const std::string &summary, MetaHandler handler);

// The host commands' names, with their dot (".help" and ".quit" too).
std::vector<std::string> MetaNames();

// Registers a meta-command at load time from any file of the host.
#define HOST_META(name, usage, summary, handler) \
    static const bool handler##_meta_registered = (host::RegisterMeta(name, usage, summary, handler), true)

// ---- Completion -------------------------------------------------------------------

// What Tab completes from, gathered afresh at each Tab.
struct CompletionSources {
    // Each entry of the library's command table: its keywords in slot order,
    // an empty one matching any word, as the shell matches them.
    std::vector<std::vector<std::string>> commands;
    std::vector<std::string> metas;       // host commands, with their dot
    std::vector<std::string> features;    // names .feature takes
    std::vector<std::string> calls;       // platform calls .fail can name
    std::vector<std::string> interfaces;  // Wi-Fi interface names
    std::vector<std::string> stations;    // MAC texts of the associated stations
};
// The words that may stand where the word ending at cursor stands (from the
// blank before it), given the words before it: those starting with what was
// typed of it, sorted, each once.
std::vector<std::string> Complete(const std::string &line, size_t cursor, const CompletionSources &sources);
// The live sources: the command and feature tables of the library (a dlopen
// handle; null: none), the host commands and the simulated product.
CompletionSources GatherCompletionSources(void *library);

// Whether .lastword and .trace show the library's source lines (default
// yes). A transcript leaves them out, so that it survives edits that only
// move lines.
void ShowSourceLines(bool show);

// ---- Sessions -----------------------------------------------------------------------

// A command line of a session file: its number in the file, its text and
// whether it is marked ".expect-fail".
struct SessionLine {
    unsigned number = 0;
    std::string text;
    bool expectFail = false;
};

// What a session runs: a plain line (count 1, nothing in written), or a
// ".repeat" with its lines. written holds the repeat as the file has it
// (the command, then a block's lines and its ".end"), for the transcript.
struct SessionStep {
    std::vector<std::string> written;
    uint32_t count = 1;
    uint32_t start = 0;
    std::vector<SessionLine> lines;
};

// Reads a session file. false and a message naming the file and line (with
// .repeat's usage where it is misused) when it cannot be run as written.
bool ReadSession(const std::string &path, std::vector<SessionStep> *steps, std::string *error);
// A repeated line's text for the repetition counted value: each "{i}" or
// "{i:FORMAT}" (printf's [0][WIDTH]d, x or X) becomes value.
std::string ExpandCounter(const std::string &text, uint32_t value);

// ---- Requests and the dispatch thread -----------------------------------------------

// One command line in flight: the dispatch thread writes its output, the
// requester drains it (so a slow reader never holds up the dispatch thread).
class Request {
  public:
    explicit Request(std::string line) : line_(std::move(line)) {}
    const std::string &line() const { return line_; }

    // Dispatch thread side.
    void Output(const char *text, size_t len);
    void Error(const std::string &text);
    void Finish(bool delivered);

    // Requester side: calls sink(isError, text) for each piece of output as
    // it arrives until the request finishes; answers whether it was delivered.
    using Sink = std::function<void(bool isError, const std::string &text)>;
    bool Drain(const Sink &sink);
    // The requester is gone: output from now on is dropped.
    void Abandon();

  private:
    struct Piece {
        bool isError;
        std::string text;
    };
    void Push(bool isError, const char *text, size_t len);

    std::string line_;
    std::mutex mu_;
    std::condition_variable cv_;
    std::deque<Piece> pieces_;
    bool done_ = false;
    bool delivered_ = false;
    bool abandoned_ = false;
};

// The library's CLI entry point (WLAN_CliMsgProc).
using CliEntry = uint32_t (*)(const void *msg, uint32_t ignored, uint32_t a3, uint32_t a4);

// Runs one line on the calling thread: meta-command, or checked, packed and
// delivered to the library. Output and errors go to the request (and the
// platform console of the calling thread should point at it as well).
// Answers false when the line was refused or the meta-command failed.
// A ".quit" line calls onQuit.
bool ExecuteLine(const std::string &line, CliEntry entry, const std::function<void()> &onQuit, Request *request);

// Serialises every request on one thread.
class Dispatcher {
  public:
    Dispatcher(CliEntry entry, std::function<void()> onQuit) : entry_(entry), onQuit_(std::move(onQuit)) {}
    ~Dispatcher() { Stop(); }
    void Start();
    // Finishes the request that runs; queued ones fail with "host stopping".
    void Stop();
    // false (the request already finished, failed) when stopping.
    bool Submit(const std::shared_ptr<Request> &request);

  private:
    void Loop();

    CliEntry entry_;
    std::function<void()> onQuit_;
    std::mutex mu_;
    std::condition_variable cv_;
    std::deque<std::shared_ptr<Request>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

// ---- Socket server and client -------------------------------------------------------

// The byte limit of a command line sent by a client (newline included).
constexpr size_t kMaxClientLine = 1024;
// Frames of the answer: kind byte, 4-byte big-endian length, payload.
constexpr char kFrameOutput = 'O';
constexpr char kFrameError = 'E';
constexpr char kFrameStatus = 'S';  // payload: one byte, 0 delivered, 1 refused

// Checks a line received from a client: well-formed UTF-8 text without
// control bytes (tabs and a final carriage return allowed). false and a
// message naming the first bad byte otherwise. While the line is still
// arriving (complete false), a character cut short at its end is accepted.
bool CheckClientLine(const std::string &line, bool complete, std::string *error);

// Listens on a Unix socket and hands each client's line to the dispatcher.
class SocketServer {
  public:
    SocketServer() = default;
    ~SocketServer() { Stop(); }
    // Binds and listens (a stale socket file is replaced; a live one is "in
    // use"). false and a message on failure.
    bool Listen(const std::string &path, std::string *error);
    // Accepts clients and hands their lines to the dispatcher.
    void Start(Dispatcher *dispatcher);
    // Stops accepting, wakes and joins every connection, removes the socket.
    void Stop();
    // Joins the connections that have finished; answers how many are still
    // served (a test waits for 0 before it counts memory).
    size_t JoinFinished();

  private:
    struct Connection;
    void AcceptLoop();
    std::string StartServing(const std::shared_ptr<Connection> &conn);
    void Serve(const std::shared_ptr<Connection> &conn);
    void Reap(bool all);

    Dispatcher *dispatcher_ = nullptr;
    std::string path_;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    std::thread acceptThread_;
    std::mutex mu_;
    std::condition_variable doneCv_;  // a connection finished
    std::vector<std::shared_ptr<Connection>> connections_;
    bool stopping_ = false;
};

// Sends one line to a host and streams the answer: output to out, errors to
// err. Answers 0 delivered, 1 refused, 2 on a connection failure (message in
// *error).
int SendLine(const std::string &socketPath, const std::string &line,
             const std::function<void(const std::string &)> &out, const std::function<void(const std::string &)> &err,
             std::string *error);

// ---- Paths --------------------------------------------------------------------------------

// The directory of the running executable.
std::string ExecutableDir();
// Whether the running executable is the build tree's (not an installed one).
bool InBuildTree();
// Build tree: the source tree's profiles/default.json, <bin>/../lib/<soname>
// and <bin>/../sandbox. Installed: the installed profiles, the library by its
// SONAME through the dynamic loader, and a per-user sandbox.
std::string DefaultProfile();
std::string DefaultLibrary();
std::string DefaultRoot();
// <root>/var/run/wlan_host.sock.
std::string DefaultSocket(const std::string &root);

}  // namespace host
