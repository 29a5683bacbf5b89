// Custom widgets: circle progress, key buttons, level display, chart, native window host.
#include <QWindow>

#include "ui/control_factory.h"
#include "ui/widgets/audio_record.h"
#include "ui/widgets/chart_view.h"
#include "ui/widgets/circle_progress.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/wnd_host.h"
#include "widgets_fixture.h"

namespace dz::ui {
namespace {

using test::WidgetsTest;

TEST(CustomWidgets, RegisteredUnderBothNames) {
    RegisterCustomWidgets();
    for (const char* name : {"CircleProgress",
                             "CCircleProgressUI",
                             "CChartViewUI",
                             "Wnd",
                             "CWndUI",
                             "SelectPanel",
                             "CSelectPanelUI",
                             "DeviceKeyButton",
                             "CDeviceKeyButtonUI",
                             "CloudShareListItemUI",
                             "CCloudShareListItemUI",
                             "ComboEditContainerElement",
                             "CComboEditContainerElementUI",
                             "HandImgButton",
                             "CHandImgButtonUI",
                             "HandImgSelectButton",
                             "CHandImgSelectButtonUI",
                             "RedioMacroButton",
                             "CRedioMacroButtonUI",
                             "AudioRecord",
                             "CAudioRecordUI",
                             "devicekeybutton"}) {
        std::unique_ptr<QWidget> made(
            ControlFactory::Instance().CreateControl(QString::fromLatin1(name), nullptr));
        EXPECT_NE(made, nullptr) << name;
    }
    EXPECT_EQ(ControlFactory::Instance().CreateControl(QStringLiteral("NoSuchClass"), nullptr),
              nullptr);
}

TEST_F(WidgetsTest, SkinAttributesReachTheWidgets) {
    auto* key = C<DeviceKeyButton>("key_1");
    EXPECT_EQ(key->LightImage(), QStringLiteral("images/key_light.png"));
    EXPECT_EQ(key->KeySetImage(), QStringLiteral("images/key_set.png"));
    auto* ring = C<CircleProgress>("update_progress");
    EXPECT_EQ(ring->BkColor(), QColor(0, 0, 255));
    EXPECT_EQ(ring->ForeColor(), QColor(255, 0, 0));
    auto* chart = C<ChartView>("chart");
    EXPECT_EQ(chart->ViewKind(), ChartView::Kind::kHistogram);
    EXPECT_TRUE(chart->ShowText());
    EXPECT_FALSE(chart->ShowHtml());
    EXPECT_EQ(chart->property("pillarimagewidth").toInt(), 16);
}

TEST_F(WidgetsTest, CircleProgressSweepsFromTheBottomClockwise) {
    auto* ring = C<CircleProgress>("update_progress");
    struct Case {
        int min, max, value;
        double degrees;
    } cases[] = {{0, 100, 0, 0},     {0, 100, 25, 90}, {0, 100, 100, 360},
                 {50, 100, 75, 180}, {0, 200, 50, 90}, {10, 10, 10, 0}};
    for (const auto& c : cases) {
        ring->setRange(c.min, c.max);
        ring->setValue(c.value);
        EXPECT_DOUBLE_EQ(ring->SweepDegrees(), c.degrees)
            << c.min << ".." << c.max << " " << c.value;
    }
    ring->setRange(0, 100);
    ring->setValue(25);
    // Ring points at radius 45 around the centre (50, 50).
    const QRgb red = 0xFFFF0000, blue = 0xFF0000FF, white = 0xFFFFFFFF;
    EXPECT_EQ(PixelOf(ring, QPoint(18, 82)), red);    // down-left: inside the first quarter
    EXPECT_EQ(PixelOf(ring, QPoint(82, 82)), blue);   // down-right: not reached
    EXPECT_EQ(PixelOf(ring, QPoint(82, 18)), blue);   // up-right
    EXPECT_EQ(PixelOf(ring, QPoint(50, 50)), white);  // the inset disc
    EXPECT_EQ(PixelOf(ring, QPoint(50, 12)), white);  // radius 38: inside the 10-pixel inset
    ring->setValue(75);  // bottom, left, top: only the down-right quarter stays
    EXPECT_EQ(PixelOf(ring, QPoint(18, 18)), red);
    EXPECT_EQ(PixelOf(ring, QPoint(82, 18)), red);
    EXPECT_EQ(PixelOf(ring, QPoint(82, 82)), blue);
}

TEST_F(WidgetsTest, KeyButtonOverlays) {
    auto* key = C<DeviceKeyButton>("key_1");
    EXPECT_FALSE(key->LightOverlay());
    EXPECT_TRUE(key->KeySetOverlayHidden());
    EXPECT_FALSE(key->SelectedByBand());
    const QPoint mid(20, 20);
    const QRgb light = 0xFFFF3030, keyset = 0xFF3060FF;
    const QRgb plain = PixelOf(key, mid);
    EXPECT_NE(plain, light);
    EXPECT_NE(plain, keyset);
    key->SetLightOverlay(true);
    EXPECT_EQ(PixelOf(key, mid), light);
    key->SetKeySetOverlayHidden(false);
    EXPECT_EQ(PixelOf(key, mid), keyset);  // drawn over the light image
    key->SetLightOverlay(false);
    EXPECT_EQ(PixelOf(key, mid), keyset);
    key->SetKeySetOverlayHidden(true);
    EXPECT_EQ(PixelOf(key, mid), plain);
}

TEST_F(WidgetsTest, KeyButtonLabelReadsOverItsLight) {
    auto* key = C<DeviceKeyButton>("key_2");  // 40 x 40
    key->setText(QStringLiteral("W"));
    // Pixels of the key's middle that are near black and near white.
    auto shades = [&] {
        const QImage img = key->grab().toImage();
        int dark = 0, light = 0;
        for (int y = 10; y < 30; ++y)
            for (int x = 10; x < 30; ++x) {
                const QColor c(img.pixel(x, y));
                dark += c.red() < 60 && c.green() < 60 && c.blue() < 60;
                light += c.red() > 200 && c.green() > 200 && c.blue() > 200;
            }
        return std::pair{dark, light};
    };
    key->SetLightColor(0xFFD00000);  // dark red: a white label
    EXPECT_GT(shades().second, 3);
    key->SetLightColor(0xFFFFF040);  // yellow: a black label
    EXPECT_GT(shades().first, 3);
    key->setText({});
    key->SetLightColor(0xFFFFF040);
    EXPECT_EQ(shades().first, 0);
}

TEST_F(WidgetsTest, KeyButtonDoubleClickWhileEnabled) {
    auto* key = C<DeviceKeyButton>("key_2");
    QTest::mouseDClick(key, Qt::LeftButton);
    EXPECT_EQ(w.Count(QStringLiteral("dbclick"), QStringLiteral("key_2")), 1);
    key->setEnabled(false);
    QTest::mouseDClick(key, Qt::LeftButton);
    EXPECT_EQ(w.Count(QStringLiteral("dbclick"), QStringLiteral("key_2")), 1);
}

TEST_F(WidgetsTest, LevelDisplayBars) {
    auto* level = C<AudioRecord>("audio_level");
    for (int i = 0; i < AudioRecord::kLevels; ++i) EXPECT_EQ(level->Levels()[i], i);
    const int levels[] = {8192, 0, 4096, 20000, -5};
    level->SetLevels(levels);
    EXPECT_EQ(level->Levels()[5], 5);  // beyond the given values: unchanged
    EXPECT_EQ(level->BarHeight(0, 100), 100);
    EXPECT_EQ(level->BarHeight(2, 100), 50);
    EXPECT_EQ(level->BarHeight(3, 100), 100);  // clamped to the control
    EXPECT_EQ(level->BarHeight(4, 100), 0);
    EXPECT_EQ(level->BarHeight(255, 100), 255 * 100 / 8192);
    const QImage img = level->grab().toImage();
    const QRgb black = 0xFF000000, white = 0xFFFFFFFF;
    EXPECT_EQ(img.pixel(0, 0) | black, black);  // full-height bar at x 0
    EXPECT_EQ(img.pixel(0, 99) | black, black);
    EXPECT_EQ(img.pixel(1, 99) | black, white);  // one pixel wide
    EXPECT_EQ(img.pixel(2, 99) | black, white);  // level 0
    EXPECT_EQ(img.pixel(4, 99) | black, black);  // half height at x 4
    EXPECT_EQ(img.pixel(4, 51) | black, black);
    EXPECT_EQ(img.pixel(4, 49) | black, white);

    // Bars stop where they no longer fit: 300 pixels hold 150 of them.
    std::vector<int> full(AudioRecord::kLevels, 8192);
    level->SetLevels(full);
    level->resize(301, 100);
    const QImage wide = level->grab().toImage();
    EXPECT_EQ(wide.pixel(298, 50) | black, black);
    EXPECT_EQ(wide.pixel(300, 50) | black, black);  // bar 150 fits in 301 pixels
    level->resize(300, 100);
    EXPECT_EQ(level->grab().toImage().pixel(299, 50) | black, white);
}

TEST_F(WidgetsTest, NativeWindowFollowsTheControl) {
    auto* host = C<WndHost>("native_host");
    QWidget hosted;  // a separate top-level window
    host->SetNativeWindow(&hosted);
    EXPECT_TRUE(hosted.isVisible());
    EXPECT_EQ(hosted.geometry(), QRect(host->mapToGlobal(QPoint(0, 0)), host->size()));
    host->move(200, 150);
    host->resize(80, 40);
    EXPECT_EQ(hosted.geometry(), QRect(host->mapToGlobal(QPoint(0, 0)), QSize(80, 40)));
    host->hide();
    EXPECT_FALSE(hosted.isVisible());
    host->show();
    EXPECT_TRUE(hosted.isVisible());

    // A child of the same window is placed in its parent's coordinates.
    auto* child = new QWidget(w.Root());
    host->SetNativeWindow(child);
    EXPECT_EQ(child->geometry(), QRect(QPoint(200, 150), QSize(80, 40)));
}

TEST_F(WidgetsTest, ChartDrawsItsItemsAsBarsOrPie) {
    auto* chart = C<ChartView>("chart");  // 200 x 150, bars of the pillar image, 16 wide
    ASSERT_EQ(chart->size(), QSize(200, 150));
    const QImage empty = chart->grab().toImage();
    chart->AddItem(QStringLiteral("a"), 3);
    chart->AddItem(QStringLiteral("b"), -1);  // negative values count as 0
    ASSERT_EQ(chart->Items().size(), 2u);
    EXPECT_EQ(chart->Items()[1].value, 0);

    // Two slots of 100 pixels: a full bar in the middle of the first, none in the second.
    const QImage bars = chart->grab().toImage();
    // The pillar image runs from light blue at the top to dark blue at the bottom.
    const int above_text = 150 - chart->fontMetrics().height() - 3;
    auto is_pillar = [&](int x, int y) {
        const QColor c(bars.pixel(x, y));
        return c.blue() >= 150 && c.blue() > c.green() && c.green() > c.red();
    };
    EXPECT_TRUE(is_pillar(50, above_text));
    EXPECT_TRUE(is_pillar(43, above_text));
    EXPECT_TRUE(is_pillar(56, above_text));
    EXPECT_TRUE(is_pillar(50, 40));  // the highest value reaches up
    EXPECT_EQ(bars.pixel(40, above_text), empty.pixel(40, above_text));  // beside the bar
    EXPECT_EQ(bars.pixel(150, above_text), empty.pixel(150, above_text));  // value 0: no bar
    EXPECT_EQ(bars.pixel(50, 1), empty.pixel(50, 1));

    // As a pie, the only non-zero item fills the whole circle.
    chart->SetView(QStringLiteral("pie"));
    EXPECT_EQ(chart->View(), QStringLiteral("pie"));
    const QRgb slice = QColor::fromHsv(0, 180, 230).rgb();
    EXPECT_EQ(PixelOf(chart, QPoint(100, 75)), slice);
    EXPECT_EQ(PixelOf(chart, QPoint(100, 10)), slice);
    EXPECT_EQ(PixelOf(chart, QPoint(10, 75)), empty.pixel(10, 75) | 0xFF000000u);  // outside
    chart->RemoveAll();
    EXPECT_TRUE(chart->Items().empty());
    EXPECT_EQ(PixelOf(chart, QPoint(100, 75)), empty.pixel(100, 75) | 0xFF000000u);
}

}  // namespace
}  // namespace dz::ui
