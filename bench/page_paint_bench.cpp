// What a frame of the light preview costs the UI thread on the keyboard's real page: every
// light takes a new colour (as in a wave), then the window paints what changed, offscreen.
// Prints the thread's CPU time per frame, and the share of one core at 25 frames a second.
// Usage: QT_QPA_PLATFORM=offscreen page_paint_bench [FRAMES]
#include <time.h>

#include <QApplication>
#include <QStringLiteral>
#include <cstdio>
#include <cstdlib>

#include "device/device_table.h"
#include "device/lighting/lighting_tables.h"
#include "models/keyboard_device.h"
#include "models/model_device.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"
#include "ui/resource_map.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/register_widgets.h"
#include "ui/window_base.h"

namespace {

class PageWindow : public dz::ui::WindowBase {
  public:
    PageWindow() : dz::ui::WindowBase(QStringLiteral("NO_SKIN"), QStringLiteral("BENCH_WND")) {}

  protected:
    QWidget* CreateControl(const QString& cls, QWidget* parent) override {
        if (cls == QLatin1String("RezazodaKeyboardDevice"))
            return dz::ui::ControlFactory::Instance().CreateControl(
                QStringLiteral("CRezazodaKeyboardDevice"), parent);
        return nullptr;
    }
};

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    QApplication app(argc, argv);
    (void)dz::ui::ResourceMap::Instance().Load(QStringLiteral(DZ_DATA_DIR "/skin"));
    dz::ui::ResourceManager::Instance().SetLanguageDir(QStringLiteral(DZ_DATA_DIR "/lang"));
    (void)dz::ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.lang"));
    dz::ui::RegisterCustomWidgets();
    dz::RegisterDeviceControls();
    PageWindow window;
    window.resize(1000, 640);
    auto* holder = new QWidget(&window);
    auto* keyboard = qobject_cast<dz::CRezazodaKeyboardDevice*>(
        window.BuildSubtree(QStringLiteral("XML\\DeviceXml\\keyboarddevice.xml"), holder));
    if (keyboard == nullptr) return 1;
    const dz::DevicePageRecord& page = dz::kDevicePages[1];
    keyboard->SetKindIndex(1);
    keyboard->SetKindCode(0);
    keyboard->SetKindName(QStringLiteral("keyboard"));
    keyboard->SetPageSkin(QStringLiteral("XML\\DeviceXml\\keyboarddevice.xml"));
    keyboard->SetLightFilePrefix(QStringLiteral("rodav_light"));
    keyboard->SetInterfaceRecord(dz::SupportedDeviceRow(0));
    keyboard->SetKeyCount(page.key_count);
    keyboard->SetLightCount(page.light_count);
    keyboard->BindPage();
    holder->resize(1000, 640);
    keyboard->resize(1000, 640);
    window.show();
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();

    std::vector<dz::ui::DeviceKeyButton*> lights;
    for (int i = 0; i < keyboard->LightCount(); ++i)
        if (auto* b = qobject_cast<dz::ui::DeviceKeyButton*>(keyboard->LightButton(i)))
            lights.push_back(b);
    double spent = 0;
    for (int f = 0; f < frames; ++f) {
        for (size_t i = 0; i < lights.size(); ++i) {
            const dz::lighting::Rgb c = dz::lighting::kColourWheel[(i * 7 + f * 4) % 192];
            lights[i]->SetLightColor(qRgba(c.red, c.green, c.blue, 205));
        }
        const double t0 = ThreadSeconds();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        QCoreApplication::processEvents();
        spent += ThreadSeconds() - t0;
    }
    const double per_frame = spent / frames;
    std::printf(
        "%zu lights, %d frames: %.3f ms of CPU per frame, %.2f %% of one core at 25 frames/s\n",
        lights.size(), frames, per_frame * 1e3, per_frame * 25 * 100);
    return 0;
}
