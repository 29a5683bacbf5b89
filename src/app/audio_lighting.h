#pragma once
// The main window's audio-reactive lighting: the capture program's link and daemon, the
// sample and colour packets it sends (bands to the first keyboard every third packet), the
// audio styles of "AudioFile.json" with their style window, and the handlers of the audio
// controls of a device page's lighting panel.

#include <QDBusServiceWatcher>
#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/audio_record_link.h"
#include "device/device_page.h"
#include "panels/audio/audio_bands.h"
#include "panels/audio/audio_styles.h"

namespace dz {
class CRezazodaUSBDevice;
}
namespace dz::ui {
class UiCallQueue;
}

namespace dz::app {

class AudioLightingHub : public QObject, public AudioLighting {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<DevicePage*()> current_page;
        // The first device object of the keyboard list, or null.
        std::function<CRezazodaUSBDevice*()> first_keyboard;
        // "Record open failed!" (UI thread; the window shows one box at a time).
        std::function<void(const QString&)> message_box;
        // Opens the style window with `record`; answers the edited record when accepted.
        std::function<std::optional<panels::AudioStyleRecord>(const panels::AudioStyleRecord&)>
            style_window;
    };
    struct Files {
        std::filesystem::path user_file;
        std::filesystem::path default_file;
    };

    AudioLightingHub(AudioRecordLink::Config link, Files files, Hooks hooks,
                     QObject* parent = nullptr);
    ~AudioLightingHub() override;

    // Window initialisation: the daemon in worker slot 1 and the first start of the program.
    void Start(WorkerTable& workers);
    // Timer 1011, and whenever the program's window appears on the bus.
    void Handshake();
    // Window initialisation, last step: the styles, and their colour to the program.
    void LoadStyles();
    // The main window goes: the program is told to stop.
    void StopProgram();

    // A data copy to the main window: sample (1) and colour (2) packets; others ignored.
    void OnCopyData(int64_t tag, const QByteArray& bytes);

    [[nodiscard]] AudioRecordLink& Link() { return link_; }
    [[nodiscard]] panels::AudioStyleFile& Styles() { return styles_; }
    [[nodiscard]] const panels::AudioBands& Bands() const { return bands_; }
    [[nodiscard]] int Deliveries() const { return deliveries_; }

    // AudioLighting: the audio controls of the current page's lighting panel.
    void OnPresetColour(int n) override;
    void OnBackgroundOff() override;
    void OnOpenStyleWindow() override;
    void OnOption(int which) override;
    void OnRgbSlider(int channel) override;
    void OnModeCombo() override;
    void OnPalette() override;
    void OnEditRgb(int channel) override;
    void RestoreDefaultStyles() override;

  private:
    void SendStyleColour(const panels::AudioStyleRecord& record);
    // Reads the page's audio record from its lighting panel (taking its colour button's
    // colour or not), changes it, and stores, saves and applies it on the page's device.
    template <class Change>
    void EditAudio(bool take_colour, Change change);

    AudioRecordLink link_;
    panels::AudioStyleFile styles_;
    Hooks hooks_;
    panels::AudioBands bands_;
    panels::HostColourBuffer colour_;
    int deliveries_ = 0;
    bool style_window_open_ = false;
    std::unique_ptr<ui::UiCallQueue> ui_calls_;
    QDBusServiceWatcher window_watch_;
};

}  // namespace dz::app
