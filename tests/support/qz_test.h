// Test support: every test runs against a fresh sandbox root and a fresh
// simulated platform, with the debug console captured.
#pragma once

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "qz_sim.h"

namespace qztest {

class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The sandbox root of this test and a path below it.
    const std::string &root() const { return root_; }
    std::string Under(const std::string &path) const { return root_ + path; }

  private:
    std::string root_;
};

// A CLI message record as the gateway's front end sends it; the word count
// carried is the number of words unless given.
std::vector<unsigned char> MakeCliMsg(uint32_t type, const std::vector<std::string> &words, int64_t count = -1);
// Sends one wlancmd line (split on blanks) and returns its console output.
std::string RunLine(const std::string &line);

// Drops the command table (its block is never freed by the library, which
// lives until the process ends; tests create it many times).
void FreeCommandTable();

// Last words of one source unit with one code.
size_t CountLastWords(const std::string &unit, uint32_t code);
std::string ReadFile(const std::string &path);

// True when the tests run through an emulator (a cross build under qemu-arm).
bool Emulated();

// Starts a built program (<build>/bin/NAME) with args and the file actions
// given (may be null). A cross build runs it through its emulator. The pid,
// or -1 (and a test failure) when it cannot start.
pid_t SpawnProgram(const std::string &name, const std::vector<std::string> &args,
                   const posix_spawn_file_actions_t *actions);
// Waits for a child: its exit status, 128 + the signal that ended it, or -1.
int WaitExit(pid_t pid);

}  // namespace qztest
