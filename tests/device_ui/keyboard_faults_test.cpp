// The keyboard's transfers with a fault at each packet: every case ends (no hang beyond the
// exchange's time-outs), answers what the operation answers for a keyboard that did not take
// the write, leaves the profile file parseable and as it was, and once the fault is gone the
// next apply writes everything.
#include <gtest/gtest.h>

#include <functional>

#include "device_ui/keyboard_page.h"
#include "models/keyboard_io.h"
#include "models/macro_image.h"
#include "support/macro_files.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::FaultKind;
using sim::Link;

struct Failure {
    QString what;
    int result;
};

constexpr int kShortTimeoutMs = 30;

class KeyboardFaultsTest : public test::KeyboardPageTest {
  protected:
    void SetUp() override {
        KeyboardPageTest::SetUp();
        // Three macros on three keys: a 90-byte image, two packets.
        test::WriteMacroList(Folder(), {10, 0, 4});
        Json::Value file = ReadJsonFile(ProfileFile());
        for (int m = 0; m < 3; ++m)
            file["Device"][0]["KeyList"][m]["Assignment"] =
                KeyCodeToProfileInt({kKeyTypeMacro, static_cast<uint8_t>(m), 0});
        file["Device"][0]["SystemStages"]["WinFlag"] = 1;
        test::WriteJson(ProfileFile(), file);
        // A silent keyboard costs 2 x 30 ms per packet here, not 2 x 1 s: every fault goes
        // at every packet. (The channel's own tests measure the real time-outs.)
        keyboard_->Channel().SetTimeouts(kShortTimeoutMs, kShortTimeoutMs);
        Connect();
        TakePerKeyColours();
        QObject::connect(keyboard_, &CRezazodaKeyboardDevice::WriteFailed,
                         [this](const QString& what, int result) {
                             failures_.push_back({what, result});
                         });
    }

    // Runs `operation` with `fault` armed at packet `at` of it; false when it did not end.
    bool RunWithFault(const std::function<void()>& operation, FaultKind fault, int at) {
        emu_.ClearFaults(DeviceKind::kKeyboard);
        failures_.clear();
        EXPECT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, fault, at));
        operation();
        // A hang guard, not a speed figure: a case takes at most two short time-outs.
        const bool ended = test::WaitUntil([&] { return keyboard_->Worker().Pending() == 0; },
                                           std::chrono::seconds(20));
        Settle();
        emu_.ClearFaults(DeviceKind::kKeyboard);
        return ended;
    }
    // The per-key colour effect, as the user chooses it (a first read takes the keyboard's
    // effect), and the LED array as the test sets it.
    void TakePerKeyColours() {
        LightRecord r = keyboard_->GetLightRecord();
        r[0] = kPerKeyColourEffect;
        keyboard_->SetLightRecord(r);
        (void)keyboard_->ApplyLighting();
        keyboard_->SaveProfile();
        PaintLeds();
    }
    // The lighting thread, started by a first read, stops: the lights stay as set.
    void PaintLeds() {
        keyboard_->StopLightingThread();
        for (int i = 0; i < 126; ++i)
            keyboard_->SetLedColour(i, lighting::PackLed({static_cast<uint8_t>(i), 3, 5, 255}));
    }
    // The keyboard plugged in (again, after a disconnect) and its channel opened afresh.
    void Reconnect() {
        CloseCommandPaths(keyboard_->Channel());
        ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
        ASSERT_EQ(OpenCommandPath(keyboard_->Channel(), CommandPath(DeviceKind::kKeyboard), false),
                  1);
    }

    // The apply step of the window, then what the keyboard holds is the profile's.
    void ApplyAndCheckEverythingIsWritten(const char* after) {
        SCOPED_TRACE(after);
        Reconnect();
        failures_.clear();
        if (!keyboard_->TablesRead() || keyboard_->Tables().maps.PositionCount() == 0) {
            keyboard_->FirstSync();
            Settle();
        }
        TakePerKeyColours();
        ASSERT_EQ(keyboard_->Tables().maps.PositionCount(), 126);
        int answer = 99;
        keyboard_->WriteMacros([&answer](int a) { answer = a; });
        (void)keyboard_->WriteCurrentKeyMap(0);
        (void)keyboard_->WriteSystemSettings(0, 0, 1, 0, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return !keyboard_->ColourWritePaused(); }));
        keyboard_->WriteKeyColours();
        Settle();
        EXPECT_EQ(answer, 0);
        EXPECT_TRUE(failures_.empty());
        EXPECT_EQ(Model().MacroMemory()[2], 90);
        for (int m = 0; m < 3; ++m) {
            const auto c = Model().KeySlot(sim::KeyboardSlotOfPosition(m));
            EXPECT_EQ((KeyFunctionCode{c[0], c[1], c[2]}),
                      (KeyFunctionCode{kKeyTypeMacro, static_cast<uint8_t>(m), 0}));
        }
        // The block of the profile as it is now (a first read takes the keyboard's flags).
        LightInfoRecord light;
        const LightRecord r = keyboard_->GetLightRecord();
        light.mode = r[0];
        light.brightness = r[1];
        light.speed = r[2];
        light.direction = r[3];
        light.multicolor = r[4];
        light.red = r[5];
        light.green = r[6];
        light.blue = r[7];
        light.device_mode = r[11];
        const KeyboardSettingsBlock block =
            EncodeKeyboardSettings(light, keyboard_->System(), keyboard_->Lists().effects);
        const std::vector<uint8_t> held = Model().ProfileSettings(0);
        EXPECT_TRUE(std::equal(block.begin() + 1, block.end() - 1, held.begin() + 1));
        const KeyColourPage page = BuildKeyColourPage(keyboard_->Leds(), keyboard_->Tables().maps);
        const std::vector<uint8_t> colours = Model().KeyColourPage(0);
        EXPECT_TRUE(std::equal(page.begin(), page.begin() + 510, colours.begin()));
        EXPECT_EQ(colours[3 * 125], 125);
    }
    // Resets what the apply writes, so that the next check sees a fresh write.
    void ForgetWrites() {
        CommandChannel direct;
        ASSERT_EQ(OpenCommandPath(direct, CommandPath(DeviceKind::kKeyboard), false), 1);
        const std::vector<uint8_t> zeros(512, 0);
        ASSERT_EQ(direct.WriteMacros(std::span(zeros).first(96)), kCmdOk);
        ASSERT_EQ(direct.WriteKeyColors(0, 512, std::span(zeros).first(510)), kCmdOk);
        CloseCommandPaths(direct);
        ASSERT_TRUE(Model().SetKeySlot(sim::KeyboardSlotOfPosition(0), {0x20, 0, 0x29}));
    }

    struct Operation {
        const char* name;
        int packets;
        std::function<void()> run;
        const char* failure;  // what WriteFailed names, or nullptr for none
        int macro_answer_on_failure = 0;
    };
    std::vector<Operation> Operations() {
        return {
            {"first read", 19, [this] { keyboard_->FirstSync(); }, nullptr},
            {"settings", 3, [this] { (void)keyboard_->WriteSystemSettings(0, 0, 1, 0, 0); },
             "settings"},
            {"key map", 13, [this] { (void)keyboard_->WriteCurrentKeyMap(0); }, "key map"},
            {"macros", 5,
             [this] {
                 macro_answer_ = 99;
                 keyboard_->WriteMacros([this](int a) { macro_answer_ = a; });
             },
             "macros"},
            {"key colours", 10,
             [this] {
                 if (keyboard_->ColourWritePaused())
                     (void)test::WaitUntil([&] { return !keyboard_->ColourWritePaused(); });
                 keyboard_->WriteKeyColours();
             },
             "key colours"},
        };
    }

    std::vector<Failure> failures_;
    int macro_answer_ = 99;
};

TEST_F(KeyboardFaultsTest, EveryFaultAtEveryPacketEndsWithAFailureAndTheProfileAsItWas) {
    for (const Operation& op : Operations()) {
        std::vector<std::pair<FaultKind, int>> cases;
        for (int k = 1; k <= op.packets; ++k)
            for (FaultKind f : {FaultKind::kStatusFF, FaultKind::kStatusFE, FaultKind::kDisconnect,
                                FaultKind::kNoAnswer, FaultKind::kWrongCode})
                cases.emplace_back(f, k);
        for (const auto& [fault, at] : cases) {
            const std::string label = std::string(op.name) + ", " + sim::FaultName(fault) +
                                      " at packet " + std::to_string(at);
            SCOPED_TRACE(label);
            Reconnect();
            ForgetWrites();
            const std::string before = test::ReadText(ProfileFile());
            ASSERT_TRUE(RunWithFault(op.run, fault, at)) << "did not end";

            const Json::Value profile = ReadJsonFile(ProfileFile());
            ASSERT_TRUE(profile.isObject()) << "the profile file still parses";
            if (op.failure != nullptr) {
                EXPECT_EQ(test::ReadText(ProfileFile()), before)
                    << "a failed write changes no file";
                ASSERT_EQ(failures_.size(), 1u) << "the failure is reported";
                EXPECT_EQ(failures_[0].what.toStdString(), op.failure);
                EXPECT_NE(failures_[0].result, kCmdOk);
            }
            if (std::string(op.name) == "macros") {
                EXPECT_EQ(macro_answer_, -1);
            }
            if (std::string(op.name) == "first read") {
                EXPECT_TRUE(keyboard_->TablesRead());
                // Tables read whole or not at all: a fault before END leaves no keys.
                const int found = keyboard_->Tables().maps.PositionCount();
                EXPECT_TRUE(found == 0 || found == 126) << found;
                if (at <= 17) {
                    EXPECT_EQ(found, 0);
                }
                for (int n = 0; n < 126; ++n)
                    ASSERT_EQ(keyboard_->KeyButton(n)->isEnabled(), found == 126) << n;
            }
            ApplyAndCheckEverythingIsWritten("the next apply");
        }
    }
}

}  // namespace
}  // namespace dz
