// The headset's sound side over a library of the test's own that answers as the Part's
// library may: endpoint choice by type and state, the feature words and their message, the
// read-back of the voice changer, the preset gains written.
#include "models/headset_audio.h"
#include "models/headset_sound.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace dz {
namespace {

class FakeLibrary : public AudioLibrary {
  public:
    int ConfLibInit() override { return init; }
    int CreateDeviceList() override { return 0; }
    int GetDeviceCount(int list, uint32_t* count) override {
        *count = static_cast<uint32_t>(lists[list].size());
        return 0;
    }
    int GetDeviceById(int list, int index, AudioDescriptor* d) override {
        *d = lists[list][static_cast<size_t>(index)];
        return 0;
    }
    int PropertyControl(AudioDescriptor d, const wchar_t* name, void** value, void**,
                        int write) override {
        const auto key = std::make_pair(d.words[0], std::wstring(name));
        if (write == 1) {
            int v = 0;
            std::memcpy(&v, *value, 4);
            writes.emplace_back(d.words[0], std::wstring(name), v);
            answers[key] = std::to_string(v);
            return 0;
        }
        const auto it = answers.find(key);
        if (it == answers.end()) return 1;
        std::strcpy(static_cast<char*>(*value), it->second.c_str());
        return 0;
    }
    static AudioDescriptor Endpoint(uint32_t id, uint32_t type, uint32_t state) {
        AudioDescriptor d;
        d.words[0] = id;
        d.words[1] = type;
        d.words[3] = state;
        return d;
    }
    int init = 0;
    std::vector<AudioDescriptor> lists[2];
    std::map<std::pair<uint32_t, std::wstring>, std::string> answers;
    std::vector<std::tuple<uint32_t, std::wstring, int>> writes;
};

constexpr uint32_t kInputId = 50;

FakeLibrary Headset(std::vector<AudioDescriptor> outputs, const std::string& features) {
    FakeLibrary lib;
    lib.lists[0] = std::move(outputs);
    lib.lists[1] = {FakeLibrary::Endpoint(49, 3, 1), FakeLibrary::Endpoint(kInputId, 2, 1)};
    for (uint32_t id : {kInputId, 10u, 11u, 12u, 13u}) lib.answers[{id, L"GetSupportFeature"}] = features;
    return lib;
}

TEST(HeadsetAudio, TheOutputIsChosenByTypeThenState) {
    FakeLibrary lib = Headset({FakeLibrary::Endpoint(10, 4, 1), FakeLibrary::Endpoint(11, 7, 1),
                               FakeLibrary::Endpoint(12, 12, 1), FakeLibrary::Endpoint(13, 1, 1)},
                              "131072,0,0,0,5,0,6");
    HeadsetAudio audio(lib);
    HeadsetSystemValues v{};
    EXPECT_TRUE(audio.InitAudio(v).empty());
    EXPECT_EQ(audio.Output().words[0], 13u) << "type 1 wins";
    EXPECT_EQ(audio.Input().words[0], kInputId) << "the first of type 2";
    EXPECT_EQ(audio.InputFeatures(), (std::array<int, 3>{131072, 5, 6}));
    // Type 1 but absent: type 12 comes next.
    FakeLibrary absent = Headset({FakeLibrary::Endpoint(12, 12, 1), FakeLibrary::Endpoint(13, 1, 0)},
                                 "0,0,0,0,0,0,0");
    HeadsetAudio second(absent);
    (void)second.InitAudio(v);
    EXPECT_EQ(second.Output().words[0], 12u);
}

TEST(HeadsetAudio, FeatureAnswersThatAreNotSevenNumbers) {
    struct Case {
        std::string answer;
        size_t messages;
        int first_word;
    } cases[] = {
        {"", 2, 0}, {"1,2,3,4,5,6", 2, 0}, {"131072,0,0,0,0,0,0", 0, 131072},
        {"x,0,0,0,0,0,0", 0, 0},  // not a number: 0, no crash
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        FakeLibrary lib = Headset({FakeLibrary::Endpoint(13, 1, 1)}, c.answer);
        HeadsetAudio audio(lib);
        HeadsetSystemValues v{};
        const auto messages = audio.InitAudio(v);
        EXPECT_EQ(messages.size(), c.messages);
        if (!messages.empty()) {
            EXPECT_EQ(messages[0], "UpdateAPOAvailable failed!");
        }
        EXPECT_EQ(audio.InputFeatures()[0], c.first_word);
    }
    FakeLibrary failing = Headset({}, "");
    failing.init = 3;
    HeadsetAudio audio(failing);
    HeadsetSystemValues v{};
    EXPECT_EQ(audio.InitAudio(v), std::vector<std::string>{"ConfLibInit called failed!"});
    EXPECT_FALSE(audio.HasOutput()) << "no endpoint in list 0: no defaults, no read-back";
    EXPECT_TRUE(failing.writes.empty());
}

TEST(HeadsetAudio, TheVoiceChangerIsReadOnlyWithItsFeatureBit) {
    for (const auto& [features, magic] :
         {std::pair{std::string("131072,0,0,0,0,0,0"), 1}, std::pair{std::string("0,0,0,0,0,0,0"), 0}}) {
        FakeLibrary lib = Headset({FakeLibrary::Endpoint(13, 1, 1)}, features);
        lib.answers[{kInputId, L"Enable_MAGICVOICE"}] = "1";
        lib.answers[{kInputId, L"MagicVoice_Selection"}] = "2";
        HeadsetAudio audio(lib);
        HeadsetSystemValues v{};
        (void)audio.InitAudio(v);
        EXPECT_EQ(v[kMagicEnable], magic) << features;
        EXPECT_EQ(v[kMagicType], 3) << "selection 2 shows voice 3";
    }
}

TEST(HeadsetAudio, DefaultsGoWhereAReadFailsAndPreset5WritesTenZerosWithTheEqualiserOn) {
    FakeLibrary lib = Headset({FakeLibrary::Endpoint(13, 1, 1)}, "0,0,0,0,0,0,0");
    lib.answers[{13, L"EQ_Slider4"}] = "7";
    HeadsetAudio audio(lib);
    HeadsetSystemValues v{};
    (void)audio.InitAudio(v);
    size_t sliders = 0;
    for (const auto& [id, name, value] : lib.writes) {
        if (name.rfind(L"EQ_Slider", 0) == 0) {
            ++sliders;
            EXPECT_NE(name, L"EQ_Slider4") << "a band that reads is kept";
        }
    }
    EXPECT_EQ(sliders, 9u);
    lib.writes.clear();
    (void)audio.ApplyGains(EqPresets()[4]);
    ASSERT_EQ(lib.writes.size(), 11u);
    EXPECT_EQ(lib.writes[0], std::make_tuple(13u, std::wstring(L"Enable_EQ_GFX"), 1));
    for (int b = 1; b <= 10; ++b)
        EXPECT_EQ(lib.writes[static_cast<size_t>(b)],
                  std::make_tuple(13u, L"EQ_Slider" + std::to_wstring(b), 0));
}

// A profile's custom list as a hand-edited or older file may have it: each name's gains are
// its position's (band 1 holds the position).
void FillCustom(CDo6533Profiledata& profile, const std::vector<std::string>& names, int chosen) {
    profile.SetCustomEqNames(names);
    for (int k = 0; k < static_cast<int>(names.size()); ++k)
        profile.SetCustomEqBands(k, {k, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    HeadsetSystemValues v{0, 1, kCustomEqType, chosen, 1, 0, 0, 0};
    profile.SetSystemSetStages(v);
}

// 25 names: the first 20 are the list (the rest stay in the file until the list next
// changes); a chosen one beyond them becomes the first.
TEST(HeadsetSound, AProfileWith25CustomNamesKeepsTheFirst20) {
    std::vector<std::string> names;
    for (int k = 0; k < 25; ++k) names.push_back("eq" + std::to_string(k));
    CDo6533Profiledata profile;
    FillCustom(profile, names, 22);
    HeadsetSound sound;
    sound.Load(profile);
    ASSERT_EQ(sound.Names().size(), 20u);
    EXPECT_EQ(sound.Names().back(), "eq19");
    EXPECT_EQ(sound.Values()[kCustomEqSelect], 0);
    EXPECT_EQ(sound.Gains()[0], 0) << "the first one's gains";
    EXPECT_EQ(sound.AddCustom(profile, "new", EqGains{}), -1) << "the list is full";
    EXPECT_EQ(sound.FindCustom("eq22"), -1);
    ASSERT_TRUE(sound.DeleteWork(profile, 19));
    EXPECT_EQ(profile.GetCustomEqNames().size(), 19u) << "the list as shown is what is stored";
    EXPECT_EQ(sound.AddCustom(profile, "new", EqGains{}), 1);
}

// Names that are the same ignoring case (the panel never makes them, a file may have them):
// both stay, each with its own gains; a new name like them is refused; by name, the first
// is found; deleting one leaves the other with its gains.
TEST(HeadsetSound, DuplicateCustomNamesInAProfileStayApart) {
    CDo6533Profiledata profile;
    FillCustom(profile, {"Rock", "rock", "Jazz"}, 1);
    HeadsetSound sound;
    sound.Load(profile);
    ASSERT_EQ(sound.Names(), (std::vector<std::string>{"Rock", "rock", "Jazz"}));
    EXPECT_EQ(sound.Gains()[0], 1) << "the chosen second one's own gains";
    EXPECT_EQ(sound.FindCustom("ROCK"), 0);
    EXPECT_EQ(sound.AddCustom(profile, "rOcK", EqGains{}), 0);
    EXPECT_EQ(sound.Names().size(), 3u);
    ASSERT_TRUE(sound.CustomWork(profile, 1));
    EXPECT_EQ(sound.Gains()[0], 1);
    ASSERT_TRUE(sound.DeleteWork(profile, 0));
    EXPECT_EQ(sound.Names(), (std::vector<std::string>{"rock", "Jazz"}));
    EXPECT_EQ(HeadsetSound::StoredGains(profile, true, 0)[0], 1) << "the gains moved with the name";
    EXPECT_EQ(HeadsetSound::StoredGains(profile, true, 1)[0], 2);
}

}  // namespace
}  // namespace dz
