// Fixture for tests that run the built wlan_host and wlancmd programs: each
// test has its own root and socket, and a served host is stopped at the end.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

#include "host.h"
#include "qz_test.h"

struct Finished {
    int status;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

class HostE2eTest : public qztest::PlatformTest {
  protected:
    void TearDown() override
    {
        if (server_ > 0) {
            kill(server_, SIGKILL);
            (void)qztest::WaitExit(server_);
        }
        if (serverErr_ >= 0) close(serverErr_);
        PlatformTest::TearDown();
    }

    std::string Socket() const { return root() + "/host.sock"; }

    // Runs a program to its end; stdin from the given text. Safe to call
    // from several threads at once.
    Finished Run(const std::string &program, const std::vector<std::string> &args, const std::string &input = "")
    {
        const std::string base = root() + "/run" + std::to_string(runs_++);
        const std::string in = base + ".in", out = base + ".out", err = base + ".err";
        std::ofstream(in) << input;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = qztest::SpawnProgram(program, args, &actions);
        posix_spawn_file_actions_destroy(&actions);
        Finished f{qztest::WaitExit(pid), qztest::ReadFile(out), qztest::ReadFile(err)};
        for (const auto &path : {in, out, err}) unlink(path.c_str());
        return f;
    }

    // wlan_host with this test's root and socket; its timer thread never
    // fires, so that the output is only the commands'.
    Finished RunHost(std::vector<std::string> args, const std::string &input = "")
    {
        args.insert(args.begin(), {"--root", root(), "--socket", Socket(), "--cycle-ms", "3600000"});
        return Run("wlan_host", args, input);
    }

    // Starts "wlan_host --serve" and returns once it accepts clients (it
    // says so on its standard error). Its timer thread runs every 50 ms and
    // prints to the host's own output, never to a client's.
    void Serve()
    {
        int pipeFds[2];
        ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, (root() + "/serve.out").c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
        server_ = qztest::SpawnProgram(
            "wlan_host", {"--root", root(), "--socket", Socket(), "--serve", "--cycle-ms", "50"}, &actions);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        serverErr_ = pipeFds[0];
        std::string said;
        char c;
        while (said.find('\n') == std::string::npos && read(serverErr_, &c, 1) == 1) said += c;
        ASSERT_NE(said.find("serving on " + Socket()), std::string::npos) << said;
    }

    // Stops the served host with a signal (0: waits for it to stop by
    // itself); its exit status.
    int StopServer(int sig)
    {
        kill(server_, sig);
        int status = qztest::WaitExit(server_);
        server_ = -1;
        close(serverErr_);
        serverErr_ = -1;
        return status;
    }

    // One line through the socket, as wlancmd sends it.
    Finished Send(const std::string &line)
    {
        Finished f{0, "", ""};
        std::string error;
        f.status = host::SendLine(
            Socket(), line, [&f](const std::string &t) { f.out += t; }, [&f](const std::string &t) { f.err += t; },
            &error);
        f.err += error;
        return f;
    }

  private:
    pid_t server_ = -1;
    int serverErr_ = -1;
    std::atomic<int> runs_{0};
};
