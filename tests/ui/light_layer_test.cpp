// The layer that draws a device picture's lights over its keys in one pass: a light change
// repaints the layer's part over that key and never the key itself, the picture shows the
// light over the key, the mouse still reaches the keys, and the layer covers only the light
// areas of the keys that are shown.
#include <QEvent>

#include "ui/widgets/device_key_button.h"
#include "ui/widgets/light_layer.h"
#include "widgets_fixture.h"

namespace dz::ui::test {
namespace {

// Counts the paint events of the widgets it watches.
struct PaintCounter : QObject {
    std::map<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints[watched];
        return false;
    }
};

class LightLayerTest : public WidgetsTest {
  protected:
    void SetUp() override {
        WidgetsTest::SetUp();
        key1 = C<DeviceKeyButton>("key_1");
        key2 = C<DeviceKeyButton>("key_2");
        panel = key1->parentWidget();
        layer = new LightLayer(panel);
        layer->Track(key1);
        layer->Track(key2);
        Settle();  // the mask follows the keys
    }
    // The queued work done: the mask, the gathered updates and the paints they ask for.
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        }
    }
    // The picture's pixel at `at` of `key`, with everything over it.
    QRgb Shown(DeviceKeyButton* key, QPoint at) const {
        return panel->grab().toImage().pixel(key->pos() + at) | 0xFF000000u;
    }

    DeviceKeyButton* key1 = nullptr;
    DeviceKeyButton* key2 = nullptr;
    QWidget* panel = nullptr;
    LightLayer* layer = nullptr;
};

TEST_F(LightLayerTest, ALightChangeRepaintsTheLayerAndNotTheKey) {
    PaintCounter counter;
    key1->installEventFilter(&counter);
    key2->installEventFilter(&counter);
    layer->installEventFilter(&counter);
    for (int i = 0; i < 5; ++i) {
        key1->SetLightColor(qRgba(10 * i, 200, 30, 255));
        key2->SetLightColor(qRgba(200, 10 * i, 30, 255));
        Settle();
    }
    EXPECT_EQ(counter.paints[key1], 0);
    EXPECT_EQ(counter.paints[key2], 0);
    EXPECT_GT(counter.paints[layer], 0);
}

TEST_F(LightLayerTest, ThePictureShowsTheLightOverTheKey) {
    const QPoint mid(20, 20);
    const QRgb unlit = Shown(key1, mid);
    key1->SetLightColor(qRgba(12, 200, 34, 255));
    Settle();
    EXPECT_EQ(Shown(key1, mid), qRgb(12, 200, 34));
    EXPECT_EQ(Shown(key2, mid), unlit) << "the other key keeps its look";
    // Alpha 0 draws no light.
    key1->SetLightColor(0);
    Settle();
    EXPECT_EQ(Shown(key1, mid), unlit);
}

TEST_F(LightLayerTest, TheMouseReachesTheKeysUnderTheLayer) {
    EXPECT_EQ(panel->childAt(key1->geometry().center()), key1);
    EXPECT_EQ(panel->childAt(key2->geometry().center()), key2);
}

TEST_F(LightLayerTest, TheLayerCoversTheShownKeysLightAreasOnly) {
    ASSERT_TRUE(layer->isVisible());
    const QRegion mask = layer->mask();
    EXPECT_TRUE(mask.contains(key1->geometry().center()));
    EXPECT_TRUE(mask.contains(key2->geometry().center()));
    EXPECT_FALSE(mask.contains(key1->geometry().topLeft())) << "the key's edge is its own";
    EXPECT_FALSE(mask.contains(QPoint(75, 30))) << "between the keys";
    key2->hide();
    Settle();
    EXPECT_FALSE(layer->mask().contains(key2->geometry().center()));
    key1->hide();
    Settle();
    EXPECT_FALSE(layer->isVisible()) << "no key shown: no layer";
    key1->show();
    Settle();
    EXPECT_TRUE(layer->isVisible());
}

}  // namespace
}  // namespace dz::ui::test
