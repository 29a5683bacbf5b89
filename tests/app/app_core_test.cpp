#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "app/app_messages.h"
#include "app/game_lighting.h"
#include "app/layout_rules.h"
#include "app/work_tool.h"
#include "app/worker_table.h"
#include "platform/ipc/registered_messages.h"
#include "platform/log/debug_log.h"

namespace dz::app {
namespace {

using namespace std::chrono_literals;

TEST(AppMessages, NamesRegisterToStableNumbersWithTheSharedDuplicate) {
    const AppMessages& m = RegisterAppMessages();
    // Registering a name again, as any other part of the process does, answers the number
    // the table holds for it.
    const std::vector<std::pair<std::string_view, uint32_t>> named = {
        {kAppShowMsgName, m.app_show},
        {kSetWndForwardMsgName, m.setwnd_forward},
        {kLightStatusNotifyMsgName, m.light_status_notify},
        {kLightStatusSetMsgName, m.light_status_set},
        {kWorkToolQueryMsgName, m.worktool_query},
        {kAudioRecordCmdMsgName, m.audiorecord_cmd}};
    for (const auto& [name, number] : named) {
        EXPECT_GE(number, ipc::kFirstRegisteredMessage) << name;
        EXPECT_EQ(ipc::RegisterMessage(name), number) << name;
    }
    for (size_t i = 0; i < kHookAndGameMessageNames.size(); ++i)
        EXPECT_EQ(ipc::RegisterMessage(kHookAndGameMessageNames[i]), m.hook_and_game[i]) << i;
    EXPECT_EQ(ipc::RegisteredMessageName(m.app_show), "Dozadir Keyboard");
    EXPECT_EQ(ipc::RegisteredMessageName(m.light_status_set),
              "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");
    EXPECT_EQ(ipc::RegisteredMessageName(m.audiorecord_cmd),
              "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
    // Entries 14 and 18 are the same name and so the same number; all else differ.
    EXPECT_EQ(m.hook_and_game[14], m.hook_and_game[18]);
    EXPECT_EQ(std::set<uint32_t>(m.hook_and_game.begin(), m.hook_and_game.end()).size(), 23u);
    const uint32_t game_start = *ipc::FindRegisteredMessage("Game_Start");
    EXPECT_TRUE(m.IsGameMessage(game_start));
    EXPECT_TRUE(m.IsGameMessage(*ipc::FindRegisteredMessage("Game_Death")));
    EXPECT_FALSE(m.IsHookMessage(game_start));
    EXPECT_TRUE(m.IsHookMessage(*ipc::FindRegisteredMessage("UWM_MOUSEMOVE_USER_MSG")));
    EXPECT_FALSE(m.IsGameMessage(m.app_show));
    EXPECT_FALSE(m.IsHookMessage(0));
}

TEST(AppMessages, PrivateTableAndTimers) {
    EXPECT_EQ(kPrivateMessages.front().value, 0x0401u);
    EXPECT_EQ(kPrivateMessages.back().value, 0x0D04u);
    ASSERT_NE(FindPrivateMessage(0x0C12), nullptr);
    EXPECT_EQ(FindPrivateMessage(0x0C12)->name, "MSG_DEVICE_ARRIVED");
    EXPECT_FALSE(FindPrivateMessage(0x04C8)->needs_awake);
    EXPECT_EQ(FindPrivateMessage(0x0C14), nullptr);
    EXPECT_EQ(kTimerDpiLayout.id, 1011);
    EXPECT_EQ(kTimerGameRestore.period_ms, 5000);
}

TEST(LayoutRules, MonitorSizeGivesTheLayoutDpi) {
    struct C {
        int w, h, dpi;
    };
    for (C c : {C{1920, 1080, 144}, C{1366, 768, 96}, C{1501, 961, 144}, C{1500, 1080, 96},
                C{1920, 960, 96}, C{2560, 1440, 144}, C{0, 0, 96}})
        EXPECT_EQ(LayoutDpiForMonitor(c.w, c.h), c.dpi) << c.w << "x" << c.h;
}

uint32_t U32(const std::array<uint8_t, kWorkToolAnswerSize>& b, size_t i) {
    return b[4 * i] | (b[4 * i + 1] << 8) | (b[4 * i + 2] << 16) | (uint32_t(b[4 * i + 3]) << 24);
}

TEST(WorkTool, AnswerLayout) {
    const auto b = BuildWorkToolAnswer();
    const std::vector<uint32_t> expected = {2,      3,      0, 2, 4, 0x320F, 0x221C, 2,  // mouse
                                            0x320F, 0x505B, 1,                           // keyboard
                                            0x320F, 0x1004, 3,                           // mousepad
                                            0x0C76, 0x1630, 7};                          // headset
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(U32(b, i), expected[i]) << i;
    for (size_t i = expected.size() * 4; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i;
}

TEST(WorkerTable, StopSignalsEveryEventAndJoinsCooperativeWorkers) {
    WorkerTable table;
    std::atomic<int> loops{0};
    for (size_t slot : {kSlotDeviceWatch, kSlotAudioDaemon, kSlotLightSync}) {
        ASSERT_TRUE(table.Start(slot, [&](const StopEvent& stop) {
            while (!stop.WaitFor(1ms)) ++loops;
        }));
    }
    EXPECT_FALSE(table.Start(kSlotDeviceWatch, [](const StopEvent&) {})) << "slot busy";
    EXPECT_FALSE(table.Start(kWorkerSlotCount, [](const StopEvent&) {})) << "out of range";
    while (loops < 3) std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(table.Running(kSlotLightSync));
    const auto t0 = std::chrono::steady_clock::now();
    const StopReport r = table.StopAll();
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_EQ(r.joined, 3u);
    EXPECT_TRUE(r.late_slots.empty());
    EXPECT_LT(took, 1000ms);
    for (size_t i = 0; i < kWorkerSlotCount; ++i) EXPECT_TRUE(table.Event(i).IsSet()) << i;
    EXPECT_FALSE(table.Running(kSlotLightSync));
    // A stopped slot can run again.
    EXPECT_TRUE(table.Start(kSlotLightSync, [](const StopEvent&) {}));
}

TEST(WorkerTable, OverrunningWorkerIsReportedAndStillJoined) {
    std::vector<std::string> lines;
    auto old = log::SetSink([&](std::string_view l) { lines.emplace_back(l); });
    std::atomic<bool> finished{false};
    {
        WorkerTable table;
        ASSERT_TRUE(table.Start(3, [&](const StopEvent& stop) {
            while (!stop.WaitFor(1ms)) {
            }
            std::this_thread::sleep_for(80ms);  // cleanup longer than the wait below
            finished = true;
        }));
        const StopReport r = table.StopAll(20ms);
        EXPECT_EQ(r.late_slots, std::vector<size_t>{3});
        EXPECT_EQ(r.joined, 1u);
        EXPECT_TRUE(finished) << "joined, not abandoned";
    }
    log::SetSink(old);
    bool said = false;
    for (const auto& l : lines) said |= l.find("worker 3 did not stop") != std::string::npos;
    EXPECT_TRUE(said);
}

TEST(StopEvent, ManualReset) {
    StopEvent e;
    EXPECT_FALSE(e.WaitFor(1ms));
    e.Set();
    EXPECT_TRUE(e.WaitFor(0ms));
    EXPECT_TRUE(e.WaitFor(0ms)) << "stays set";
    e.Reset();
    EXPECT_FALSE(e.IsSet());
}

TEST(StopEvent, ItsTokenEndsAWaitOnAnotherConditionVariable) {
    // How a worker of a lower layer (the scanner) waits on its own variable and still
    // ends when its slot is stopped.
    WorkerTable table;
    std::atomic<bool> ended{false};
    ASSERT_TRUE(table.Start(kSlotDeviceWatch, [&](const StopEvent& stop) {
        std::mutex m;
        std::condition_variable_any cv;
        std::unique_lock lock(m);
        (void)cv.wait(lock, stop.Token(), [] { return false; });
        ended = true;
    }));
    const StopReport report = table.StopAll();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(report.late_slots.empty());

    StopEvent e;
    const std::stop_token before = e.Token();
    e.Set();
    EXPECT_TRUE(before.stop_requested());
    e.Reset();
    EXPECT_FALSE(e.Token().stop_requested()) << "a new run gets a fresh token";
    EXPECT_TRUE(before.stop_requested());
}

// A device page that keeps its lighting record and counts the writes.
struct LightPage : DevicePage {
    LightRecord record{};
    std::vector<int> selected;
    int writes = 0, saves = 0, refreshes = 0;
    bool sync = true;
    struct Panel : LightingPanel {
        std::vector<int>* out;
        void SelectMode(int m) override { out->push_back(m); }
    } panel;
    LightPage() { panel.out = &selected; }
    LightRecord GetLightRecord() const override { return record; }
    void SetLightRecord(const LightRecord& r) override { record = r; }
    void SetLightSync(bool on) override { sync = on; }
    uint32_t ApplyLighting() override {
        ++writes;
        return 1;
    }
    void SaveProfile() override { ++saves; }
    void RefreshPage() override { ++refreshes; }
    LightingPanel* Lighting() override { return &panel; }
};

TEST(GameLighting, StartFlashesAModeAndTheTimerRestoresTheSavedOne) {
    LightPage page;
    page.record[0] = 5;
    GameLighting game;
    game.OnGameMessage(&page, 0, 9);
    EXPECT_EQ(page.record[0], 9);
    EXPECT_EQ(page.record[13], 5);
    EXPECT_FALSE(page.sync);
    EXPECT_TRUE(game.RestorePending());
    EXPECT_EQ(page.writes, 1);
    game.OnRestoreTimer(&page);
    EXPECT_EQ(page.record[0], 5);
    EXPECT_EQ(page.selected, (std::vector<int>{9, 5}));
    EXPECT_EQ(page.writes, 2);
    EXPECT_EQ(page.saves, 2);
    EXPECT_FALSE(game.RestorePending());
}

TEST(GameLighting, SavedModeRules) {
    struct C {
        uint8_t current;
        int64_t wparam;
        uint8_t saved_before;
        uint8_t saved_after;
    };
    for (C c : {C{0, 0, 7, 1}, C{21, 0, 7, 1}, C{20, 0, 7, 20}, C{3, 1, 7, 7}, C{3, 2, 7, 7}}) {
        LightRecord r{};
        r[0] = c.current;
        r[13] = c.saved_before;
        const LightRecord out = WithGameMode(r, c.wparam, 11, false);
        EXPECT_EQ(out[13], c.saved_after) << int(c.current) << " w" << c.wparam;
        EXPECT_EQ(out[0], 11);
    }
}

TEST(GameLighting, UnknownWparamChangesNothingButStillRestores) {
    LightPage page;
    page.record[0] = 4;
    page.record[13] = 6;
    GameLighting game;
    game.OnGameMessage(&page, 3, 9);
    EXPECT_EQ(page.record[0], 4);
    EXPECT_EQ(page.writes, 0);
    EXPECT_TRUE(game.RestorePending());
    game.OnRestoreTimer(&page);
    EXPECT_EQ(page.record[0], 6);
}

TEST(GameLighting, SecondStartKeepsTheUsersMode) {
    LightPage page;
    page.record[0] = 5;
    GameLighting game;
    game.OnGameMessage(&page, 0, 9);
    game.OnGameMessage(&page, 0, 12);  // before the restore timer fired
    EXPECT_EQ(page.record[0], 12);
    EXPECT_EQ(page.record[13], 5);
    game.OnRestoreTimer(&page);
    EXPECT_EQ(page.record[0], 5);
}

TEST(GameLighting, NoPageOrBadModeTouchesNoDevice) {
    GameLighting game;
    game.OnGameMessage(nullptr, 0, 3);
    EXPECT_TRUE(game.RestorePending());
    game.OnRestoreTimer(nullptr);
    LightPage page;
    page.record[0] = 2;
    game.OnGameMessage(&page, 0, 300);
    game.OnGameMessage(&page, 0, -1);
    EXPECT_EQ(page.writes, 0);
    EXPECT_EQ(page.record[0], 2);
}

}  // namespace
}  // namespace dz::app
