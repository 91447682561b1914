// Several threads write topology lines across rotations of the file family,
// and roam lines while the AP number changes: no data race (run under
// ThreadSanitizer), every line whole, none interleaved, none lost but those
// the family drops by design (whole oldest files).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../roam_topo/roam_topo_fixture.h"

namespace {

using TopoConcurrency = roamtest::RoamTopoTest;

// Runs writer(w) on n threads at once.
template <typename F>
void OnThreads(int n, F writer)
{
    std::vector<std::thread> threads;
    for (int w = 0; w < n; w++) threads.emplace_back(writer, w);
    for (auto &t : threads) t.join();
}

TEST_F(TopoConcurrency, WritersAcrossRotations)
{
    constexpr int kWriters = 4;
    constexpr int kLines = 1600;
    // 222 bytes a line: 1.42 MB, more than the ten files hold, so the family
    // rotates while the writers run. What it drops (at most 1.42 MB less nine
    // full files) is less than one writer's 355 kB, so every writer keeps a
    // tail even when a loaded machine runs the writers one after another.
    const std::string pad(190, 'p');
    OnThreads(kWriters, [&pad](int w) {
        for (int i = 0; i < kLines; i++) WLAN_TOPO_DebugLog("w%d %05d %s\n", w, i, pad.c_str());
    });

    std::map<int, std::vector<int>> seen;  // writer -> its line numbers in family order
    for (uint32_t n = 1; n <= 10; n++) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(std::filesystem::exists(TopoPath(n)));
        const std::string text = TopoFile(n);
        // Every file but the newest was closed by the first line past the limit.
        // (131072 bytes; a line is at most 255 characters.)
        if (n < 10) {
            EXPECT_GT(text.size(), 131072u);
            EXPECT_LE(text.size(), 131072u + 255u);
        }
        std::istringstream in(text);
        for (std::string l; std::getline(in, l);) {
            // The clock is fixed, so every whole line is known but for its writer and number.
            int writer = -1, number = -1;
            char expected[300] = "";
            if (sscanf(l.c_str(), "[2026-03-07 09:05:03] w%d %d", &writer, &number) == 2) {
                snprintf(expected, sizeof(expected), "[2026-03-07 09:05:03] w%d %05d %s", writer, number, pad.c_str());
            }
            ASSERT_EQ(l, expected);
            seen[writer].push_back(number);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(Under("/var/zarvo/topodebug.11.log")));
    // Rotation drops whole oldest files only: what is left of each writer is
    // the unbroken tail of its lines, in order.
    ASSERT_EQ(seen.size(), static_cast<size_t>(kWriters));
    size_t kept = 0;
    for (const auto &[writer, numbers] : seen) {
        SCOPED_TRACE(writer);
        kept += numbers.size();
        ASSERT_FALSE(numbers.empty());
        EXPECT_EQ(numbers.back(), kLines - 1);
        for (size_t i = 1; i < numbers.size(); i++) ASSERT_EQ(numbers[i], numbers[i - 1] + 1);
    }
    EXPECT_LT(kept, size_t{kWriters} * kLines);  // the oldest files were dropped
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(TopoConcurrency, FileChoiceFromSeveralThreads)
{
    // Callers that only ask for the file name share the index with writers.
    std::thread asker([] {
        for (int i = 0; i < 500; i++) {
            char name[33];
            ASSERT_EQ(WLAN_CMD_GetNewFileName(name, sizeof(name)), 0u);
        }
    });
    for (int i = 0; i < 500; i++) WLAN_TOPO_DebugLog("%0400d\n", i);  // too long: files created, nothing written
    for (int i = 0; i < 800; i++) WLAN_TOPO_DebugLog("%0200d\n", i);
    asker.join();
    EXPECT_EQ(g_uiTopoFileIndex, 2u);
}

TEST_F(TopoConcurrency, RoamLinesWhileTheApNumberChanges)
{
    constexpr int kWriters = 3;
    constexpr int kLines = 300;
    // Thread 0 changes the AP number; the others write.
    OnThreads(kWriters + 1, [](int w) {
        for (int i = 0; i < kLines; i++) {
            if (w == 0) {
                WLAN_SetOwnAPInst(static_cast<uint32_t>(i));
            } else {
                WLAN_RecordRoamLog("a1:b2:c3:d4:e5:f6", 1, 11, "w%d %03d", w, i);
            }
        }
    });
    std::istringstream in(RoamFile());
    int count = 0;
    const char *head = "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 5G][AP:";
    for (std::string l; std::getline(in, l); count++) {
        unsigned ap = 0;
        int writer = -1, number = -1;
        char expected[160] = "";
        if (sscanf(l.c_str() + std::min(l.size(), strlen(head)), "%u][MOVE END] w%d %d", &ap, &writer, &number) == 3) {
            snprintf(expected, sizeof(expected), "%s%u][MOVE END] w%d %03d", head, ap, writer, number);
        }
        ASSERT_EQ(l, expected);
    }
    EXPECT_EQ(count, kWriters * kLines);
}

}  // namespace
