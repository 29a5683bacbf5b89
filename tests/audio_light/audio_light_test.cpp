// The capture program's packets into bands and host colours, and the audio styles of
// "AudioFile.json" with their colour block.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "panels/audio/audio_bands.h"
#include "panels/audio/audio_styles.h"
#include "profile/json_file.h"
#include "support/temp_folder.h"

namespace dz::panels {
namespace {

std::vector<uint8_t> Packet(const std::vector<int32_t>& values) {
    std::vector<uint8_t> bytes(values.size() * 4);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}
// 500 values, group j of five holding `v(j)` in each of its values.
std::vector<int32_t> Grouped(int32_t (*v)(size_t)) {
    std::vector<int32_t> values(kSampleCount);
    for (size_t i = 0; i < kSampleCount; ++i) values[i] = i < 125 ? v(i / 5) : 7777;
    return values;
}

TEST(AudioBands, EveryThirdPacketDeliversTheBandsAndStartsTheCountAgain) {
    AudioBands bands;
    const auto loud = Packet(Grouped([](size_t j) { return int32_t(100 * (j + 1)); }));
    const auto quiet = Packet(std::vector<int32_t>(kSampleCount, 0));
    using R = AudioBands::Result;
    EXPECT_EQ(bands.OnSamplePacket(loud), R::kUpdated);
    // Four differences of 100 (j + 1) each, over a previous value of 0: (0 + 400 (j + 1)) / 4.
    EXPECT_EQ(bands.Bands()[0], 100);
    EXPECT_EQ(bands.Bands()[24], 2500);
    EXPECT_EQ(bands.Counter(), 1);
    EXPECT_EQ(bands.OnSamplePacket(quiet), R::kUpdated);
    EXPECT_EQ(bands.Bands()[0], (100 + 400) / 4);
    EXPECT_EQ(bands.OnSamplePacket(loud), R::kDeliver);
    EXPECT_EQ(bands.Counter(), 0);
    const auto& block = bands.DeliveryBlock();
    for (size_t j = 0; j < kBandCount; ++j) EXPECT_EQ(block[j], bands.Bands()[j]);
    for (size_t i = kBandCount; i < kSampleCount; ++i) ASSERT_EQ(block[i], 0) << i;
    EXPECT_EQ(bands.OnSamplePacket(quiet), R::kUpdated);
    EXPECT_EQ(bands.OnSamplePacket(loud), R::kUpdated);
    EXPECT_EQ(bands.OnSamplePacket(quiet), R::kDeliver) << "packet 6 delivers again";
}

TEST(AudioBands, IdenticalPacketsQuarterTheBandsAndTheFifthValueTakesNoPart) {
    AudioBands bands;
    std::vector<int32_t> values(kSampleCount, 0);
    for (size_t i = 0; i < 4; ++i) values[i] = 1000;  // band 0: 4000 / 4
    values[4] = 1'000'000;                              // the fifth of group 0
    values[200] = 1'000'000;                            // beyond the 25 groups
    const auto p = Packet(values);
    (void)bands.OnSamplePacket(p);
    EXPECT_EQ(bands.Bands()[0], 1000);
    EXPECT_EQ(bands.Bands()[1], 0);
    for (int expected : {250, 62, 15, 3, 0}) {
        (void)bands.OnSamplePacket(p);
        EXPECT_EQ(bands.Bands()[0], expected);
    }
}

TEST(AudioBands, PacketsOfOtherLengths) {
    AudioBands bands;
    std::vector<int32_t> first(kSampleCount, 0);
    first[1] = 400;
    (void)bands.OnSamplePacket(Packet(first));
    ASSERT_EQ(bands.Bands()[0], 100);
    using R = AudioBands::Result;
    // No bytes: nothing.
    EXPECT_EQ(bands.OnSamplePacket({}), R::kIgnored);
    EXPECT_EQ(bands.Counter(), 1);
    // Three bytes overwrite the low three bytes of value 0; value 1 keeps 400.
    const std::vector<uint8_t> three{0x10, 0x00, 0x00};
    EXPECT_EQ(bands.OnSamplePacket(three), R::kUpdated);
    EXPECT_EQ(bands.Bands()[0], (100 + 16) / 4);
    // 2000 bytes are a whole packet; one byte more, or a megabyte, is refused untouched.
    const AudioBands before = bands;
    EXPECT_EQ(bands.OnSamplePacket(std::vector<uint8_t>(2001, 0xFF)), R::kRejected);
    EXPECT_EQ(bands.OnSamplePacket(std::vector<uint8_t>(1 << 20, 0xFF)), R::kRejected);
    EXPECT_EQ(bands.Bands(), before.Bands());
    EXPECT_EQ(bands.Counter(), before.Counter());
    EXPECT_EQ(bands.OnSamplePacket(std::vector<uint8_t>(2000, 0)), R::kDeliver);
}

TEST(AudioBands, ExtremeValuesSaturateInsteadOfWrapping) {
    AudioBands bands;
    std::vector<int32_t> a(kSampleCount, INT_MAX), b(kSampleCount, INT_MIN);
    (void)bands.OnSamplePacket(Packet(a));
    (void)bands.OnSamplePacket(Packet(b));
    (void)bands.OnSamplePacket(Packet(a));
    for (int32_t v : bands.Bands()) EXPECT_GT(v, 0);
}

TEST(HostColourBuffer, APacketOverwritesTheStartAndLongerOnesAreRefused) {
    HostColourBuffer colour;
    EXPECT_TRUE(colour.OnColourPacket(Packet({1, 2, 3, 4, 5, 6})));
    EXPECT_TRUE(colour.OnColourPacket(Packet({9})));
    EXPECT_EQ(colour.Values(), (std::array<uint32_t, 6>{9, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(colour.OnColourPacket(std::vector<uint8_t>(25, 7)));
    EXPECT_FALSE(colour.OnColourPacket({}));
    EXPECT_EQ(colour.Values()[0], 9u);
}

// ---- Styles ------------------------------------------------------------------------------

class AudioStyleFileTest : public ::testing::Test {
  protected:
    std::filesystem::path User() const { return dir_.path() / "user" / kAudioFileName; }
    std::filesystem::path Default() const {
        return std::filesystem::path(DZ_DATA_DIR) / "DefaultData" / kAudioFileName;
    }
    void WriteUser(const std::string& text) {
        std::filesystem::create_directories(User().parent_path());
        test::WriteText(User(), text);
    }
    test::TempFolder dir_;
};

TEST_F(AudioStyleFileTest, TheShippedFileHasFourNamedStyles) {
    AudioStyleFile file(User(), Default());
    const AudioStyleRecord& r = file.Load();
    EXPECT_EQ(r.style, 0);
    EXPECT_EQ(r.names, (std::array<std::string, 4>{"第一组", "第二组", "第三组", "第四组"}));
    EXPECT_NE(r.colours[0], (std::array<uint8_t, 3>{0, 0, 0}));
}

TEST_F(AudioStyleFileTest, AUserFileWithoutStylesIsSeededFromTheDefault) {
    AudioStyleFile reference(dir_.path() / "other.json", Default());
    const AudioStyleRecord shipped = reference.Load();
    struct Case {
        const char* what;
        std::optional<std::string> text;  // none: no file
    };
    for (const Case& c : {Case{"missing", std::nullopt}, Case{"not JSON", "{ nope"},
                          Case{"without Device", R"({"Other": 1})"}}) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(User().parent_path());
        if (c.text) WriteUser(*c.text);
        AudioStyleFile file(User(), Default());
        EXPECT_EQ(file.Load(), shipped);
        EXPECT_EQ(ReadAudioStyles(ReadJsonFile(User())["Device"]), shipped) << "written back";
    }
}

TEST_F(AudioStyleFileTest, ABrokenUserFileIsKeptBesideTheSeededOne) {
    WriteUser("{ broken");
    AudioStyleFile file(User(), Default());
    (void)file.Load();
    int kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(User().parent_path()))
        kept += e.path().filename().string().find(".broken-") != std::string::npos;
    EXPECT_EQ(kept, 1);
}

TEST_F(AudioStyleFileTest, ValuesOfTheWrongKindReadAsEmptyAndAStyleOutsideTheFourSelectsNone) {
    WriteUser(R"({"Device": {"AudioLightInfo": {"nAudioStyle": 9, "nStyleName1": 5,
               "nStyleName2": ["x"], "nStyleName3": "ok", "nStyleR1": 300, "nStyleG1": -4,
               "nStyleB0": 7}}})");
    AudioStyleFile file(User(), Default());
    const AudioStyleRecord& r = file.Load();
    EXPECT_EQ(r.style, 9);
    EXPECT_EQ(r.names[0], "");
    EXPECT_EQ(r.names[1], "");
    EXPECT_EQ(r.names[2], "ok");
    EXPECT_EQ(r.colours[1], (std::array<uint8_t, 3>{255, 0, 0}));
    // The colour sent for it is style 0's.
    const auto block = AudioColourBlock(r);
    int32_t v[3];
    std::memcpy(v, block.data(), sizeof(v));
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 1);
    EXPECT_EQ(v[2], 7);
}

TEST_F(AudioStyleFileTest, SavingKeepsTheFilesOtherMembersAndRestoringTakesTheDefault) {
    WriteUser(R"({"Keep": "me", "Device": {"Also": 3, "AudioLightInfo": {"nAudioStyle": 1}}})");
    AudioStyleFile file(User(), Default());
    (void)file.Load();
    AudioStyleRecord r;
    r.style = 2;
    r.names = {"a", "b", "c", "d"};
    r.colours[2] = {1, 2, 3};
    ASSERT_TRUE(file.Save(r));
    const Json::Value saved = ReadJsonFile(User());
    EXPECT_EQ(saved["Keep"].asString(), "me");
    EXPECT_EQ(saved["Device"]["Also"].asInt(), 3);
    AudioStyleFile again(User(), Default());
    EXPECT_EQ(again.Load(), r);
    const AudioStyleRecord restored = again.RestoreDefaults();
    EXPECT_EQ(restored.names[1], "第二组");
    EXPECT_EQ(ReadAudioStyles(ReadJsonFile(User())["Device"]), restored);
}

TEST(AudioColourBlock, GreenZeroIsSentAsOneAndTheRestAsTheyAre) {
    AudioStyleRecord r;
    r.style = 3;
    r.colours[3] = {0, 0, 0};
    auto block = AudioColourBlock(r);
    int32_t v[10];
    std::memcpy(v, block.data(), sizeof(v));
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 1);
    EXPECT_EQ(v[2], 0);
    for (int i = 3; i < 10; ++i) EXPECT_EQ(v[i], 0);
    r.colours[3] = {4, 5, 6};
    block = AudioColourBlock(r);
    std::memcpy(v, block.data(), sizeof(v));
    EXPECT_EQ((std::array<int32_t, 3>{v[0], v[1], v[2]}), (std::array<int32_t, 3>{4, 5, 6}));
}

}  // namespace
}  // namespace dz::panels
