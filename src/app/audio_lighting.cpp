#include "app/audio_lighting.h"

#include <QWidget>
#include <algorithm>
#include <span>

#include "device/usb_device.h"
#include "models/light_edit.h"
#include "panels/light_control_ui.h"
#include "platform/ipc/bus_names.h"
#include "platform/log/debug_log.h"
#include "ui/control_ops.h"
#include "ui/ui_call_queue.h"

namespace dz::app {
namespace {

std::array<uint8_t, 3> Rgb(QRgb c) {
    return {static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
            static_cast<uint8_t>(qBlue(c))};
}

QWidget* PageControl(DevicePage* page, const QString& name) {
    auto* root = dynamic_cast<QWidget*>(page);
    return root != nullptr ? root->findChild<QWidget*>(name) : nullptr;
}

}  // namespace

AudioLightingHub::AudioLightingHub(AudioRecordLink::Config link, Files files, Hooks hooks,
                                   QObject* parent)
    : QObject(parent),
      link_([&] {
          // A failed start is shown on the UI thread; the daemon tries again on its next
          // round.
          link.launch_failed = [this] {
              ui_calls_->Post([this] {
                  if (hooks_.message_box) hooks_.message_box(QStringLiteral("Record open failed!"));
              });
          };
          return std::move(link);
      }()),
      styles_(std::move(files.user_file), std::move(files.default_file)),
      hooks_(std::move(hooks)),
      ui_calls_(std::make_unique<ui::UiCallQueue>()) {}

AudioLightingHub::~AudioLightingHub() = default;

void AudioLightingHub::Start(WorkerTable& workers) {
    // Without a session bus the program could neither be found nor send anything: it is
    // not started (and not started again every second).
    if (!link_.BusConnected()) {
        log::DebugLine("no session bus: audio lighting off");
        return;
    }
    // The program may need longer than the first handshake's 100 ms to come up: its
    // window appearing on the bus is a handshake's cue as well.
    window_watch_.setConnection(QDBusConnection::sessionBus());
    window_watch_.setWatchMode(QDBusServiceWatcher::WatchForRegistration);
    window_watch_.addWatchedService(ipc::BusNameForWindow(link_.WindowName()));
    connect(&window_watch_, &QDBusServiceWatcher::serviceRegistered, this,
            [this](const QString&) { Handshake(); });
    AudioRecordLink* link = &link_;
    if (!workers.Start(kSlotAudioDaemon, [link](const StopEvent& stop) { link->RunDaemon(stop); }))
        log::DebugLine("audio daemon not started");
    if (!link_.PresenceHeld()) (void)link_.Launch();
}

void AudioLightingHub::Handshake() {
    link_.Handshake();
    if (link_.WindowKnown()) SendStyleColour(styles_.Current());
}

void AudioLightingHub::LoadStyles() {
    SendStyleColour(styles_.Load());
}

void AudioLightingHub::StopProgram() {
    window_watch_.setWatchedServices({});
    link_.StopProgram();
}

void AudioLightingHub::SendStyleColour(const panels::AudioStyleRecord& record) {
    link_.SendColourBlock(panels::AudioColourBlock(record));
}

void AudioLightingHub::OnCopyData(int64_t tag, const QByteArray& bytes) {
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size()));
    CRezazodaUSBDevice* keyboard = hooks_.first_keyboard ? hooks_.first_keyboard() : nullptr;
    if (tag == panels::kSamplePacketTag) {
        const auto result = bands_.OnSamplePacket(data);
        if (result == panels::AudioBands::Result::kRejected)
            log::DebugLineF("sample packet of %lld bytes rejected",
                            static_cast<long long>(bytes.size()));
        // Without a keyboard the bands have no receiver.
        if (result != panels::AudioBands::Result::kDeliver || keyboard == nullptr) return;
        ++deliveries_;
        const auto& block = bands_.DeliveryBlock();
        keyboard->FeedAudioSpectrum(block.data(), static_cast<int>(block.size()));
    } else if (tag == panels::kColourPacketTag) {
        if (!colour_.OnColourPacket(data) || keyboard == nullptr) return;
        keyboard->FeedHostColour(colour_.Values().data(),
                                 static_cast<int>(colour_.Values().size()));
    }
}

template <class Change>
void AudioLightingHub::EditAudio(bool take_colour, Change change) {
    DevicePage* page = hooks_.current_page ? hooks_.current_page() : nullptr;
    auto* device = dynamic_cast<CRezazodaUSBDevice*>(page);
    if (device == nullptr) return;
    auto* panel = dynamic_cast<panels::CLightControlUI*>(page->Lighting());
    if (panel == nullptr) return;
    std::optional<panels::CLightControlUI::AudioLight> audio = panel->GetAudioLightInfo(take_colour);
    if (!audio) return;
    change(*audio, page);
    const auto w = panels::CLightControlUI::AudioWords(*audio);
    device->SetAudioLightInfo(w[0], w[1], w[2]);
    device->SaveProfile();
    (void)device->ApplyLighting();
}

void AudioLightingHub::OnOption(int /*which*/) {
    // The multicolour check takes the colour button's colour; the two colour checks only
    // change which colour is edited.
    EditAudio(false, [](auto&, DevicePage*) {});
}

void AudioLightingHub::OnModeCombo() {
    EditAudio(true, [](auto&, DevicePage*) {});
}

void AudioLightingHub::OnPalette() {
    EditAudio(true, [](panels::CLightControlUI::AudioLight& a, DevicePage* page) {
        QWidget* palette = PageControl(page, QStringLiteral("deng_audioColor_Pallet"));
        if (palette == nullptr) return;
        (a.edit == 1 ? a.foreground : a.background) = Rgb(ui::SelectColor(palette));
    });
}

void AudioLightingHub::OnEditRgb(int channel) {
    if (channel < 0 || channel > 2) return;
    EditAudio(false, [channel](panels::CLightControlUI::AudioLight& a, DevicePage* page) {
        static const char* const kEdits[] = {"deng_audioedit_R", "deng_audioedit_G",
                                             "deng_audioedit_B"};
        QWidget* edit = PageControl(page, QString::fromLatin1(kEdits[channel]));
        if (edit == nullptr) return;
        const uint8_t value = ColourEditValue(ui::Text(edit).toStdString());
        ui::SetText(edit, QString::number(value));
        if (a.edit == 1) {
            a.foreground[size_t(channel)] = value;
            a.multicolour = false;
        } else {
            a.background[size_t(channel)] = value;
        }
    });
}

void AudioLightingHub::OnPresetColour(int n) {
    EditAudio(true, [n](panels::CLightControlUI::AudioLight& a, DevicePage* page) {
        QWidget* swatch = PageControl(page, QStringLiteral("audiocolor_option_%1").arg(n));
        if (swatch == nullptr) return;
        const auto rgb = Rgb(ui::BkColor(swatch));
        if (a.edit == 1) {
            a.foreground = rgb;
            a.multicolour = false;
        } else {
            a.background = rgb;
        }
    });
}

void AudioLightingHub::OnBackgroundOff() {
    EditAudio(true, [](panels::CLightControlUI::AudioLight& a, DevicePage*) { a.background = {}; });
}

void AudioLightingHub::OnRgbSlider(int channel) {
    if (channel < 0 || channel > 2) return;
    static const char* const kSliders[] = {"R_light_slider", "G_light_slider", "B_light_slider"};
    static const char* const kLabels[] = {"R_light_label", "G_light_label", "B_light_label"};
    static const char kLetters[] = {'R', 'G', 'B'};
    DevicePage* page = hooks_.current_page ? hooks_.current_page() : nullptr;
    QWidget* slider = PageControl(page, QString::fromLatin1(kSliders[channel]));
    if (slider == nullptr) return;
    const int value = ui::Value(slider);
    link_.SendCommand(6 + channel, value);
    if (QWidget* label = PageControl(page, QString::fromLatin1(kLabels[channel])))
        ui::SetText(label, QStringLiteral("%1 %2").arg(QLatin1Char(kLetters[channel])).arg(value));
}

void AudioLightingHub::OnOpenStyleWindow() {
    if (style_window_open_ || !hooks_.style_window) return;
    style_window_open_ = true;
    const panels::AudioStyleRecord start = styles_.ReadDevice();
    styles_.SetCurrent(start);
    const std::optional<panels::AudioStyleRecord> accepted = hooks_.style_window(start);
    if (accepted) {
        styles_.SetCurrent(*accepted);
        SendStyleColour(*accepted);
        (void)styles_.Save(*accepted);
    }
    style_window_open_ = false;
}

void AudioLightingHub::RestoreDefaultStyles() {
    (void)styles_.RestoreDefaults();
}

}  // namespace dz::app
