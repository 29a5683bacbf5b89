// The audio configuration library against a real sound server started by the test: a null
// sink and a null source that carry the headset's USB ids stand for the headset. What the
// library is asked to do must appear in the server: the source's volume and mute, the
// monitoring loopback, the equaliser's module with its bands, the voice changer's chain;
// without a server every call answers failure.
#include "platform/audio/conf_lib.h"

#include <gtest/gtest.h>
#include <pulse/simple.h>

#include <cstring>
#include <string>

#include "platform/audio/voice_chain.h"
#include "support/pulse_server.h"

namespace dz::audio {
namespace {

constexpr const char* kProps = "'device.vendor.id=0c76 device.product.id=1630'";

std::vector<std::string> HeadsetModules() {
    return {
        // Another output first: the headset is found by its ids, not by its place.
        "load-module module-null-sink sink_name=speakers",
        std::string("load-module module-null-sink sink_name=hs_sink sink_properties=") + kProps,
        // The microphone: a source of its own made from the sink's monitor (a null source
        // takes no properties).
        std::string("load-module module-remap-source master=hs_sink.monitor source_name=hs_mic "
                    "source_properties=") +
            kProps,
        "set-default-sink speakers",
        "set-default-source hs_mic",
    };
}

struct Buffers {
    alignas(4) uint8_t value[kPropertyBufferSize]{};
    alignas(4) uint8_t param[kPropertyBufferSize]{};
    void* v = value;
    void* p = param;
};

int WriteInt(AudioDeviceDescriptor d, const wchar_t* name, int value, const int* param = nullptr) {
    Buffers b;
    std::memcpy(b.value, &value, 4);
    if (param != nullptr) std::memcpy(b.param, param, 4);
    return PropertyControl(d, name, &b.v, param != nullptr ? &b.p : nullptr, 1);
}
int WriteFloat(AudioDeviceDescriptor d, const wchar_t* name, float value) {
    Buffers b;
    std::memcpy(b.value, &value, 4);
    return PropertyControl(d, name, &b.v, nullptr, 1);
}
std::string Read(AudioDeviceDescriptor d, const wchar_t* name) {
    Buffers b;
    if (PropertyControl(d, name, &b.v, nullptr, 0) != 0) return "failed";
    return reinterpret_cast<const char*>(b.value);
}

class ConfLibTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Start(HeadsetModules())) << server_.Error();
        ASSERT_EQ(ConfLibInit(), 0);
        ASSERT_EQ(CreateDeviceList(), 0);
        uint32_t outputs = 0, inputs = 0;
        ASSERT_EQ(GetDeviceCount(kOutputList, &outputs), 0);
        ASSERT_EQ(GetDeviceCount(kInputList, &inputs), 0);
        ASSERT_EQ(outputs, 1u) << "only the headset's sink";
        ASSERT_EQ(inputs, 1u) << "only the headset's source, not a monitor";
        ASSERT_EQ(GetDeviceById(kOutputList, 0, &out_), 0);
        ASSERT_EQ(GetDeviceById(kInputList, 0, &in_), 0);
    }
    void TearDown() override { (void)ConfLibUnInit(); }
    std::string Modules() const { return server_.Pactl("list short modules"); }

    test::PulseServer server_;
    AudioDeviceDescriptor out_, in_;
};

TEST_F(ConfLibTest, TheHeadsetsEndpointsCarryTheTypesTheChoiceRuleWants) {
    EXPECT_EQ(out_.words[1], kTypeHeadsetOutput);
    EXPECT_EQ(out_.words[3], kStatePresent);
    EXPECT_EQ(in_.words[1], kTypeHeadsetInput);
    AudioDeviceDescriptor none;
    EXPECT_NE(GetDeviceById(kOutputList, 1, &none), 0);
    const std::string features = Read(in_, L"GetSupportFeature");
    EXPECT_EQ(std::count(features.begin(), features.end(), ','), 6) << features;
    EXPECT_TRUE(std::stoul(features) & 0x20000);
}

TEST_F(ConfLibTest, TheMicrophonesLevelAndMuteAreTheSourcesOwn) {
    ASSERT_EQ(WriteFloat(in_, L"VolumeScalarControl", 0.4f), 0);
    EXPECT_NE(server_.Pactl("get-source-volume hs_mic").find("40%"), std::string::npos)
        << server_.Pactl("get-source-volume hs_mic");
    EXPECT_EQ(static_cast<int>(std::stod(Read(in_, L"VolumeScalarControl")) * 100 + 0.5), 40);
    ASSERT_EQ(WriteInt(in_, L"MuteControl", 1), 0);
    EXPECT_NE(server_.Pactl("get-source-mute hs_mic").find("yes"), std::string::npos);
    EXPECT_EQ(Read(in_, L"MuteControl"), "1");
    // Changed by someone else in the server: read back as it is there.
    (void)server_.Pactl("set-source-mute hs_mic 0");
    EXPECT_EQ(Read(in_, L"MuteControl"), "0");
}

TEST_F(ConfLibTest, MonitoringIsALoopbackFromTheSourceToTheSinkMadeWhenFirstWanted) {
    EXPECT_EQ(Read(in_, L"AAMuteControl"), "1") << "off until switched on";
    ASSERT_EQ(WriteFloat(in_, L"AAVolumeScalarControl", 0.3f), 0);
    EXPECT_EQ(Modules().find("module-loopback"), std::string::npos) << "nothing to hear yet";
    ASSERT_EQ(WriteInt(in_, L"AAMuteControl", 0), 0);
    const std::string modules = Modules();
    ASSERT_NE(modules.find("module-loopback"), std::string::npos) << modules;
    EXPECT_NE(modules.find("source=hs_mic sink=hs_sink"), std::string::npos) << modules;
    const std::string inputs = server_.Pactl("list sink-inputs");
    EXPECT_NE(inputs.find("30%"), std::string::npos) << inputs;
    EXPECT_EQ(Read(in_, L"AAMuteControl"), "0");
    EXPECT_EQ(static_cast<int>(std::stod(Read(in_, L"AAVolumeScalarControl")) * 100 + 0.5), 30);
    // Off again: the loopback stays, muted (one module, never a second).
    ASSERT_EQ(WriteInt(in_, L"AAMuteControl", 1), 0);
    ASSERT_EQ(WriteInt(in_, L"AAMuteControl", 0), 0);
    const std::string again = Modules();
    EXPECT_EQ(again.find("module-loopback"), again.rfind("module-loopback"));
}

TEST_F(ConfLibTest, TheEqualiserIsALadspaSinkOnTheHeadsetWithTheTenBands) {
    for (int b = 1; b <= 10; ++b) {
        const std::wstring name = L"EQ_Slider" + std::to_wstring(b);
        ASSERT_EQ(WriteInt(out_, name.c_str(), b == 3 ? 6 : -b), 0);
    }
    EXPECT_EQ(Modules().find("module-ladspa-sink"), std::string::npos) << "off: not loaded";
    EXPECT_EQ(Read(out_, L"EQ_Slider3"), "6");
    ASSERT_EQ(WriteInt(out_, L"Enable_EQ_GFX", 1), 0);
    std::string modules = Modules();
    ASSERT_NE(modules.find("module-ladspa-sink"), std::string::npos) << modules;
    // The program's own plugin by its absolute path; each control is its band's gain.
    EXPECT_NE(modules.find("sink_master=hs_sink plugin=\"/"), std::string::npos) << modules;
    EXPECT_NE(modules.find("dozadir_octave_eq.so\" label=dozadir_octave_eq "
                           "control=-1,-2,6,-4,-5,-6,-7,-8,-9,-10"),
              std::string::npos)
        << modules;
    EXPECT_NE(modules.find("dozadir.eq.gains=-1,-2,6,-4,-5,-6,-7,-8,-9,-10"), std::string::npos) << modules;
    // A band moved: the equaliser runs with it, still one module.
    ASSERT_EQ(WriteInt(out_, L"EQ_Slider10", 99), 0);
    modules = Modules();
    EXPECT_NE(modules.find("dozadir.eq.gains=-1,-2,6,-4,-5,-6,-7,-8,-9,24"), std::string::npos)
        << "limited to +24 dB: " << modules;
    EXPECT_EQ(modules.find("module-ladspa-sink"), modules.rfind("module-ladspa-sink"));
    ASSERT_EQ(WriteInt(out_, L"Enable_EQ_GFX", 0), 0);
    EXPECT_EQ(Modules().find("module-ladspa-sink"), std::string::npos);
}

// The module's index in the server: each load takes a new one.
long EqualiserModule(const std::string& modules) {
    const size_t at = modules.find("module-ladspa-sink");
    if (at == std::string::npos) return -1;
    const size_t line = modules.rfind('\n', at) + 1;
    return std::stol(modules.substr(line, modules.find('\t', line) - line));
}

TEST_F(ConfLibTest, AGroupOfEqualiserWritesIsOneReload) {
    ASSERT_EQ(WriteInt(out_, L"Enable_EQ_GFX", 1), 0);
    const long before = EqualiserModule(Modules());
    ASSERT_GE(before, 0);
    ASSERT_EQ(BeginPropertyGroup(), 0);
    ASSERT_EQ(WriteInt(out_, L"Enable_EQ_GFX", 1), 0);
    for (int b = 1; b <= 10; ++b)
        ASSERT_EQ(WriteInt(out_, (L"EQ_Slider" + std::to_wstring(b)).c_str(), b), 0);
    EXPECT_EQ(EqualiserModule(Modules()), before) << "nothing reloaded inside the group";
    ASSERT_EQ(EndPropertyGroup(), 0);
    const std::string modules = Modules();
    EXPECT_EQ(EqualiserModule(modules), before + 1) << "one reload: " << modules;
    EXPECT_NE(modules.find("dozadir.eq.gains=1,2,3,4,5,6,7,8,9,10"), std::string::npos) << modules;
    EXPECT_NE(EndPropertyGroup(), 0) << "an end without a begin";
}

TEST_F(ConfLibTest, OtherPropertiesAreStoredAndAnUnwrittenOneFails) {
    EXPECT_EQ(Read(in_, L"Enable_MICECHO"), "failed");
    ASSERT_EQ(WriteInt(in_, L"Enable_MICECHO", 2), 0);
    EXPECT_EQ(Read(in_, L"Enable_MICECHO"), "2");
}

// Lines of `pactl list short MODULES` that name `what`.
int Count(const std::string& listing, const std::string& what) {
    int n = 0;
    for (size_t at = listing.find(what); at != std::string::npos; at = listing.find(what, at + 1)) ++n;
    return n;
}

// The source a recording stream of this process is on, by `pactl list short
// source-outputs` (its second column is the source's index).
std::string SourceOfStreams(const test::PulseServer& server) {
    const std::string outputs = server.Pactl("list short source-outputs");
    const std::string sources = server.Pactl("list short sources");
    std::string names;
    for (size_t line = 0; line < outputs.size();) {
        const size_t end = outputs.find('\n', line);
        const std::string row = outputs.substr(line, end - line);
        line = end == std::string::npos ? outputs.size() : end + 1;
        if (row.find("protocol-native") == std::string::npos) continue;  // a module's own
        const size_t tab = row.find('\t');
        const std::string index = row.substr(tab + 1, row.find('\t', tab + 1) - tab - 1);
        const size_t at = sources.find(index + "\t");
        if (at == std::string::npos) continue;
        const size_t name = at + index.size() + 1;
        names += sources.substr(name, sources.find('\t', name) - name) + " ";
    }
    return names;
}

struct Recorder {
    Recorder() {
        const pa_sample_spec format{PA_SAMPLE_S16LE, 48000, 1};
        stream = pa_simple_new(nullptr, "dz test", PA_STREAM_RECORD, "hs_mic", "chat",
                               &format, nullptr, nullptr, nullptr);
    }
    ~Recorder() {
        if (stream != nullptr) pa_simple_free(stream);
    }
    pa_simple* stream = nullptr;
};

TEST_F(ConfLibTest, TheVoiceChangerStandsBetweenTheMicrophoneAndItsRecorders) {
    Recorder chat;
    ASSERT_NE(chat.stream, nullptr);
    EXPECT_EQ(SourceOfStreams(server_), "hs_mic ");
    ASSERT_EQ(WriteInt(in_, L"MagicVoice_Selection", 2), 0);
    EXPECT_EQ(Modules().find("dozadir_voice"), std::string::npos) << "off: nothing loaded";
    ASSERT_EQ(WriteInt(in_, L"Enable_MAGICVOICE", 1), 0);
    std::string modules = Modules();
    EXPECT_NE(modules.find(std::string("sink_name=") + kVoiceOutSink), std::string::npos) << modules;
    // At the microphone's rate (the test server's default), mono, the program's own plugin
    // by its absolute path.
    EXPECT_NE(modules.find("sink_master=dozadir_voice_out rate=44100 channels=1 plugin=\"/"),
              std::string::npos) << modules;
    EXPECT_NE(modules.find("dozadir_voice.so\" label=dozadir_voice control=3"), std::string::npos)
        << "selection 2 is voice 3: " << modules;
    EXPECT_NE(modules.find("source_name=dozadir_headset_voice master=dozadir_voice_out.monitor"),
              std::string::npos) << modules;
    EXPECT_NE(modules.find("source=hs_mic sink=dozadir_voice_effect"), std::string::npos) << modules;
    EXPECT_NE(server_.Pactl("get-default-source").find(kVoiceSource), std::string::npos);
    EXPECT_EQ(SourceOfStreams(server_), std::string(kVoiceSource) + " ") << "the recorder moved";
    EXPECT_EQ(Read(in_, L"Enable_MAGICVOICE"), "1");
    EXPECT_EQ(Read(in_, L"MagicVoice_Selection"), "2");

    // Another voice: the plugin with it, still one chain.
    ASSERT_EQ(WriteInt(in_, L"MagicVoice_Selection", 0), 0);
    modules = Modules();
    EXPECT_NE(modules.find("label=dozadir_voice control=1"), std::string::npos) << modules;
    EXPECT_EQ(Count(modules, "module-ladspa-sink"), 1) << modules;
    EXPECT_EQ(Count(modules, "sink=dozadir_voice_effect"), 1) << modules;
    EXPECT_EQ(Count(modules, "source_name=dozadir_headset_voice"), 1) << modules;
    // A selection past the four is the last voice.
    ASSERT_EQ(WriteInt(in_, L"MagicVoice_Selection", 7), 0);
    EXPECT_NE(Modules().find("control=4"), std::string::npos);

    ASSERT_EQ(WriteInt(in_, L"Enable_MAGICVOICE", 0), 0);
    modules = Modules();
    EXPECT_EQ(modules.find("dozadir_voice"), std::string::npos) << modules;
    EXPECT_NE(server_.Pactl("get-default-source").find("hs_mic"), std::string::npos);
    EXPECT_EQ(SourceOfStreams(server_), "hs_mic ") << "the recorder back on the microphone";
}

TEST_F(ConfLibTest, AVoiceChangerLeftByAnEarlierRunIsTakenOverNotDoubled) {
    ASSERT_EQ(WriteInt(in_, L"MagicVoice_Selection", 1), 0);
    ASSERT_EQ(WriteInt(in_, L"Enable_MAGICVOICE", 1), 0);
    (void)ConfLibUnInit();
    ASSERT_EQ(ConfLibInit(), 0);
    ASSERT_EQ(CreateDeviceList(), 0);
    ASSERT_EQ(GetDeviceById(kInputList, 0, &in_), 0);
    EXPECT_EQ(Read(in_, L"Enable_MAGICVOICE"), "1");
    EXPECT_EQ(Read(in_, L"MagicVoice_Selection"), "1");
    ASSERT_EQ(WriteInt(in_, L"Enable_MAGICVOICE", 1), 0);
    EXPECT_EQ(Count(Modules(), "source_name=dozadir_headset_voice"), 1);
    EXPECT_EQ(Count(Modules(), "module-ladspa-sink"), 1);
}

TEST_F(ConfLibTest, AnUnpluggedHeadsetLeavesNothingBehind) {
    ASSERT_EQ(WriteInt(in_, L"AAMuteControl", 0), 0);
    ASSERT_EQ(WriteInt(out_, L"Enable_EQ_GFX", 1), 0);
    ASSERT_EQ(WriteInt(in_, L"Enable_MAGICVOICE", 1), 0);
    ASSERT_NE(Modules().find("module-ladspa-sink"), std::string::npos);
    ASSERT_NE(Modules().find("dozadir_voice"), std::string::npos);
    // The headset goes: its sink's and source's modules are unloaded.
    std::string modules = Modules();
    for (const char* what : {"source_name=hs_mic", "sink_name=hs_sink"}) {
        const size_t at = modules.find(what);
        ASSERT_NE(at, std::string::npos);
        const size_t line = modules.rfind('\n', at) + 1;
        (void)server_.Pactl("unload-module " + modules.substr(line, modules.find('\t', line) - line));
    }
    // The voice changer's own null sink is taken out by the library when it hears of the
    // source's leaving (the rest of the chain goes with it); the server tells it a moment
    // after the unload, so the listing is asked again until then.
    for (int i = 0; i < 200 && Modules().find("dozadir_voice") != std::string::npos; ++i) {
    }
    modules = Modules();
    EXPECT_EQ(modules.find("module-ladspa-sink"), std::string::npos) << modules;
    EXPECT_EQ(modules.find("module-loopback"), std::string::npos) << modules;
    EXPECT_EQ(modules.find("dozadir_voice"), std::string::npos) << modules;
    ASSERT_EQ(CreateDeviceList(), 0);
    uint32_t outputs = 9;
    ASSERT_EQ(GetDeviceCount(kOutputList, &outputs), 0);
    EXPECT_EQ(outputs, 0u);
    EXPECT_NE(WriteInt(out_, L"Enable_EQ_GFX", 1), 0) << "no endpoint any more";
}

TEST_F(ConfLibTest, AServerThatGoesAwayFailsEveryCallAndOneThatComesBackIsFoundAgain) {
    server_.Stop();
    EXPECT_NE(WriteFloat(in_, L"VolumeScalarControl", 0.5f), 0);
    EXPECT_NE(CreateDeviceList(), 0);
    EXPECT_FALSE(MissingFeatures().empty());
    ASSERT_TRUE(server_.Start(HeadsetModules())) << server_.Error();
    ASSERT_EQ(CreateDeviceList(), 0);
    ASSERT_EQ(GetDeviceById(kInputList, 0, &in_), 0);
    EXPECT_EQ(WriteFloat(in_, L"VolumeScalarControl", 0.5f), 0);
    EXPECT_TRUE(MissingFeatures().empty()) << MissingFeatures();
}

TEST(ConfLibWithoutServer, EveryCallAnswersFailure) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/dz-no-server", 1);
    EXPECT_NE(ConfLibInit(), 0);
    EXPECT_NE(CreateDeviceList(), 0);
    uint32_t count = 7;
    EXPECT_EQ(GetDeviceCount(kOutputList, &count), 0);
    EXPECT_EQ(count, 0u);
    AudioDeviceDescriptor d;
    EXPECT_NE(GetDeviceById(kOutputList, 0, &d), 0);
    EXPECT_NE(WriteInt(d, L"Enable_EQ_GFX", 1), 0);
    EXPECT_EQ(MissingFeatures(), kMissingServer);
}

}  // namespace
}  // namespace dz::audio
