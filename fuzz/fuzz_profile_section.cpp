// Profile, light list, effect and macro files of any content: every reader of the profile
// data and the macro events must neither crash nor throw.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "macro/macro_event.h"
#include "profile/device_profiledata.h"

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "dz-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) abort();
        static const std::string created = pattern;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(created, ec);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

void Write(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

template <typename Data>
void LoadAndRead(Data& data, const std::filesystem::path& file) {
    data.SetProgramFolder(Folder());
    data.LoadDeviceSection(file);
    data.LoadLightList(file);
    data.SetLightListPath(file);
    (void)data.ReadLightInfo();
    (void)data.ReadAudioLightInfo();
    (void)data.GetLightList();
    (void)data.GetKeyList();
    (void)data.GetEffectSteps();
    data.LoadSecondSection(file);
    (void)data.GetSecondKeyList();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = Folder() / "p.Json";
    // Also the effect file of the light list entries that name "p" (Guid "p" -> p.light).
    Write(file, data, size);
    Write(Folder() / "p.light", data, size);

    dz::CKeyboardProfiledata keyboard;
    LoadAndRead(keyboard, file);
    (void)keyboard.GetSystemStages();
    (void)keyboard.GetCustomColors(1, 8);
    (void)keyboard.GetCustomGroupIndex();

    dz::CMouseProfiledata mouse;
    LoadAndRead(mouse, file);
    (void)mouse.GetDpiStages();
    (void)mouse.GetSystemValues();
    (void)mouse.GetCorrectionPresets();

    dz::CDo6533Profiledata headset;
    LoadAndRead(headset, file);
    (void)headset.GetSystemSetStages();
    for (int preset = 0; preset <= 14; ++preset) (void)headset.GetEqBands(preset);
    (void)headset.GetCustomEqNames();
    (void)headset.GetCustomEqBands(0);

    for (const dz::MacroEvent& event : dz::LoadEvents(file)) (void)dz::ToDeviceCode(event);
    return 0;
}
