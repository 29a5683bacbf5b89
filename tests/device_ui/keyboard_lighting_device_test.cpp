// The keyboard's lighting on its device object: the program its thread runs, ApplyLighting
// with its restart rule and the start action of the custom colour effect, the colour groups,
// the settings read back, the inputs of the host-driven effects and their frames, the page's
// repainting, and the thread beside the UI thread feeding it everything.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <chrono>
#include <thread>

#include "device/lighting/lighting_tables.h"
#include "device_ui/keyboard_page.h"
#include "models/keyboard_colours.h"
#include "models/keyboard_settings.h"
#include "support/qt_wait.h"
#include "ui/widgets/device_key_button.h"

#if defined(__SANITIZE_THREAD__)
#define DZ_TEST_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define DZ_TEST_TSAN 1
#endif
#endif

namespace dz {
namespace {

using lighting::LedRecord;
using sim::DeviceKind;
using sim::Link;

class KeyboardLightingDeviceTest : public test::KeyboardPageTest {
  protected:
    // The profile's lighting record with `edit` applied, then ApplyLighting.
    template <class Edit>
    void Apply(Edit edit) {
        LightRecord r = keyboard_->GetLightRecord();
        edit(r);
        keyboard_->SetLightRecord(r);
        (void)keyboard_->ApplyLighting();
    }
    void ApplyEffect(uint8_t effect) {
        Apply([effect](LightRecord& r) { r[0] = effect; });
    }
    // Group `group` of the profile's custom colours: light i gets (i, 2i, 3i) (bytes).
    void StoreGroup(int group) {
        Json::Value file = ReadJsonFile(ProfileFile());
        Json::Value& colours = file["Device"][0]["CustomLightMode"]["LightColorInfo"][group];
        for (int i = 0; i < 170; ++i) {
            colours[i]["Red"] = i;
            colours[i]["Green"] = (2 * i) & 0xFF;
            colours[i]["Blue"] = (3 * i) & 0xFF;
            colours[i]["Alpha"] = 255;
        }
        test::WriteJson(ProfileFile(), file);
        ASSERT_EQ(keyboard_->LoadProfile(), 1u);
    }
    ui::DeviceKeyButton* LightButton(int n) {
        return qobject_cast<ui::DeviceKeyButton*>(keyboard_->LightButton(n));
    }
    // Runs the program by hand for `ms` milliseconds of passes (the thread stopped).
    void RunPasses(uint64_t ms) {
        auto& program = keyboard_->LightingProgramOf();
        for (uint64_t t = 0; t < ms; ++t) (void)program.RunUntil(now_ + t);
        now_ += ms;
    }
    uint64_t now_ = 50'000'000;
};

TEST_F(KeyboardLightingDeviceTest, TheWaveAnimatesThePageOnceTheKeyboardIsRead) {
    Connect();
    ASSERT_TRUE(keyboard_->LightingThreadRunning());
    ui::DeviceKeyButton* button = LightButton(0);
    ASSERT_NE(button, nullptr);
    // The default profile's wave: the buttons take new colours as it moves.
    std::vector<QRgb> seen;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            keyboard_->PushLightFrame();
            const QRgb c = button->LightColor();
            if (seen.empty() || seen.back() != c) seen.push_back(c);
            return seen.size() >= 5;
        },
        5000));
    // Past the first frame (the lights before the first step) every colour shown is at the
    // profile's brightness.
    for (size_t i = 2; i < seen.size(); ++i) EXPECT_EQ(qAlpha(seen[i]), 205) << i;
    // Through the keyboard runs it itself: nothing streamed.
    EXPECT_EQ(keyboard_->Stream().SubmittedCount(), 0u);
}

TEST_F(KeyboardLightingDeviceTest, ApplyingRestartsOnlyAnotherEffectOr20) {
    Connect();
    keyboard_->StopLightingThread();
    ApplyEffect(11);
    RunPasses(2);
    const auto& state = keyboard_->LightingProgramOf().Effects().State();
    EXPECT_EQ(state.colour_index[4], 165) << "the spread of a restart";
    RunPasses(100);  // 10 steps at the profile's speed 2
    EXPECT_EQ(state.colour_index[4], 175);
    // The brightness alone: the cycle goes on.
    Apply([](LightRecord& r) { r[1] = 2; });
    RunPasses(10);
    EXPECT_EQ(state.colour_index[4], 176);
    EXPECT_EQ(keyboard_->Leds().Get(4).alpha, 110);
    ApplyEffect(12);
    RunPasses(1);
    EXPECT_EQ(state.colour_index[4], 165);
}

TEST_F(KeyboardLightingDeviceTest, TheCustomColourEffectLoadsItsGroupOnEveryApply) {
    Connect();
    StoreGroup(0);
    keyboard_->StopLightingThread();
    auto* lighting = Panel<test::StandInLighting>();
    ApplyEffect(20);
    EXPECT_EQ(lighting->shown_group, 0) << "the group shown selected";
    EXPECT_EQ(keyboard_->CustomColours()[7], (LedRecord{7, 14, 21, 255}));
    RunPasses(20);
    EXPECT_EQ(keyboard_->Leds().Get(7), (LedRecord{7, 14, 21, 205})) << "at the brightness";
    Settle();
    // And to the keyboard's colour page of the lighting settings (page 0), at each light's
    // position on the keyboard.
    const std::vector<uint8_t> page = Model().KeyColourPage(0);
    const uint8_t t = keyboard_->Tables().maps.led[7];
    EXPECT_EQ((std::vector<uint8_t>(page.begin() + 3 * t, page.begin() + 3 * t + 3)),
              (std::vector<uint8_t>{7, 14, 21}));

    // Painting a key keeps its colour in the effect; a selected group stores it.
    lighting->group = 2;
    Apply([](LightRecord& r) {
        r[5] = 1;
        r[6] = 2;
        r[7] = 3;
    });
    keyboard_->PaintKey(9);
    EXPECT_EQ(keyboard_->CustomColours()[9], (LedRecord{1, 2, 3, 255}));
    RunPasses(20);
    EXPECT_EQ(keyboard_->Leds().Get(9), (LedRecord{1, 2, 3, 205}));
    EXPECT_EQ(Section()["CustomLightMode"]["LightColorInfo"][2][9]["Green"].asInt(), 2);

    // Filling: every light the lighting colour, or black; the alphas stay.
    keyboard_->FillCustomColour(1);
    EXPECT_EQ(keyboard_->CustomColours()[100], (LedRecord{1, 2, 3, 255}));
    keyboard_->FillCustomColour(0);
    EXPECT_EQ(keyboard_->CustomColours()[100], (LedRecord{0, 0, 0, 255}));
    EXPECT_EQ(Section()["CustomLightMode"]["LightColorInfo"][2][100]["Red"].asInt(), 0);

    // Selecting a group stores it as the profile's and in the lighting settings.
    keyboard_->SelectCustomGroup(0);
    EXPECT_EQ(Section()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 0);
    keyboard_->SelectCustomGroup(2);
    EXPECT_EQ(Section()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 2);
    EXPECT_EQ(keyboard_->GetLightRecord()[12], 2);
    keyboard_->LoadCustomGroup(false);
    EXPECT_EQ(keyboard_->CustomColours()[9], (LedRecord{0, 0, 0, 255}));
}

TEST_F(KeyboardLightingDeviceTest, AKeyboardReadBackOnEffect20BringsItsColoursFirst) {
    Connect();
    keyboard_->StopLightingThread();
    // The keyboard's page 0 holds a colour at key position 3's light.
    const uint8_t t = keyboard_->Tables().maps.led[3];
    std::vector<uint8_t> colours(510, 0);
    colours[3 * t] = 0x40;
    colours[3 * t + 2] = 0x80;
    CommandChannel direct;
    ASSERT_EQ(OpenCommandPath(direct, CommandPath(DeviceKind::kKeyboard), false), 1);
    ASSERT_EQ(direct.WriteKeyColors(0, 512, colours), kCmdOk);
    CloseCommandPaths(direct);
    // And it says it runs effect 20.
    ASSERT_TRUE(Model().WriteSettingsBytes(kKbEffect, std::vector<uint8_t>{20}));
    keyboard_->Resync();
    Settle();
    EXPECT_EQ(keyboard_->LightingProgramOf().Effect(), 20);
    EXPECT_EQ(Section()["CustomLightMode"]["LightColorInfo"][0][3]["Red"].asInt(), 0x40);
    EXPECT_EQ(keyboard_->CustomColours()[3].blue, 0x80) << "the group named by byte 12";
    RunPasses(20);
    EXPECT_EQ(keyboard_->Leds().Get(3).red, 0x40);

    // Read again unchanged: effect 20 starts again all the same (its colours read again).
    emu_.Traffic().Clear();
    keyboard_->Resync();
    Settle();
    EXPECT_GT(CountCommand(Sent(), CMD_READ_KEYCOLORS), 0u);
}

TEST_F(KeyboardLightingDeviceTest, HostColourAndAudioAreComputedHereAndStreamed) {
    Connect();
    ApplyEffect(30);
    const uint32_t host[6] = {0x10, 0x20, 0x30, 0, 0, 0};
    keyboard_->FeedHostColour(host, 6);
    ASSERT_TRUE(test::WaitUntil([&] { return keyboard_->Leds().Get(0).red == 0x10; }, 3000));
    EXPECT_EQ(keyboard_->Leds().Get(0), (LedRecord{0x10, 0x20, 0x30, 205}));
    // The step that made the picture sent it, no frame timer asked; the frames before it
    // carried the pictures before it.
    const uint8_t t = keyboard_->Tables().maps.led[0];
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            const std::vector<uint8_t> frame = Model().LastLightFrame();
            return frame.size() == 378u && frame[3 * t] == 0x10 * 205 / 256;
        },
        3000))
        << "the host colour in the keyboard's frame";

    // The audio effect with loud bands: every key lit in the foreground colour.
    Apply([](LightRecord& r) {
        r[0] = 29;
        r[1] = 5;
    });
    const std::vector<int32_t> bands(500, 4000);
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            keyboard_->FeedAudioSpectrum(bands.data(), static_cast<int>(bands.size()));
            return keyboard_->Leds().Get(0).alpha == 254;
        },
        3000));
    const AudioLightInfoRecord audio =
        dynamic_cast<CKeyboardProfiledata*>(keyboard_->ProfileData())->ReadAudioLightInfo();
    const LedRecord lit = keyboard_->Leds().Get(0);
    if (audio.seven_color == 0) {
        EXPECT_EQ(lit, (LedRecord{audio.fg_red, audio.fg_green, audio.fg_blue, 254}));
    } else {
        EXPECT_NE(lit.red + lit.green + lit.blue, 0);
    }
}

TEST_F(KeyboardLightingDeviceTest, ThePageRepaintsAtTheScreensPaceAndNotWhileHidden) {
    Connect();
    keyboard_->StopLightingThread();
    ApplyEffect(1);
    RunPasses(20);
    // Frames only for the page: due now, the picture is behind.
    EXPECT_LT(keyboard_->FrameInterval(), kFrameIntervalStillMs);
    ui::DeviceKeyButton* button = LightButton(0);
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            keyboard_->PushLightFrame();
            return button->LightColor() == qRgba(keyboard_->Leds().Get(0).red,
                                                 keyboard_->Leds().Get(0).green,
                                                 keyboard_->Leds().Get(0).blue, 205);
        },
        3000));
    // Two frames in a row: the second repaints nothing (not yet a refresh later).
    RunPasses(40);
    keyboard_->PushLightFrame();
    const QRgb first = button->LightColor();
    RunPasses(40);
    keyboard_->PushLightFrame();
    EXPECT_EQ(button->LightColor(), first);
    EXPECT_GT(keyboard_->FrameInterval(), kFrameIntervalMovingMs) << "due a refresh later";

    // Hidden: no repaint and frames at the still pace.
    window_->hide();
    RunPasses(40);
    EXPECT_EQ(keyboard_->FrameInterval(), kFrameIntervalStillMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    keyboard_->PushLightFrame();
    EXPECT_EQ(button->LightColor(), first);
    window_->show();
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            keyboard_->PushLightFrame();
            return button->LightColor() != first;
        },
        3000));
}

TEST_F(KeyboardLightingDeviceTest, TheThreadRunsEveryEffectWhileTheWindowFeedsIt) {
#ifdef DZ_TEST_TSAN
    const auto duration = std::chrono::seconds(10);
#else
    const auto duration = std::chrono::seconds(1);
#endif
    Connect();
    StoreGroup(0);
    ASSERT_TRUE(keyboard_->LightingThreadRunning());
    std::vector<int32_t> bands(500);
    const auto end = std::chrono::steady_clock::now() + duration;
    int round = 0;
    uint64_t versions = keyboard_->Leds().Version();
    for (; std::chrono::steady_clock::now() < end; ++round) {
        if (round % 25 == 0) {
            const auto effect = static_cast<uint8_t>((round / 25) % 33);
            Apply([effect, round](LightRecord& r) {
                r[0] = effect;
                r[2] = static_cast<uint8_t>(round % 5);
                r[11] = static_cast<uint8_t>(round % 4);
            });
        }
        for (size_t i = 0; i < 25; ++i)
            bands[i] = static_cast<int32_t>((round * 53 + static_cast<int>(i) * 97) % 4200);
        keyboard_->FeedAudioSpectrum(bands.data(), static_cast<int>(bands.size()));
        const uint32_t host[3] = {static_cast<uint32_t>(round), 7, 9};
        keyboard_->FeedHostColour(host, 3);
        keyboard_->PaintKey(round % 170);
        if (round % 60 == 0) keyboard_->FillCustomColour(round % 120 == 0 ? 1 : 0);
        keyboard_->PushLightFrame();
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Settle();
    EXPECT_GT(round, 100);
    EXPECT_GT(keyboard_->Leds().Version(), versions + 100);
    keyboard_->StopLightingThread();
    EXPECT_FALSE(keyboard_->LightingThreadRunning());
}

}  // namespace
}  // namespace dz
