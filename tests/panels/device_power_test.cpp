// The power indicator on its real skin: what each power record shows.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <cstdint>
#include <memory>
#include <vector>

#include "panels/device_power_ui.h"
#include "panels/selector_fixture.h"
#include "ui/control_ops.h"
#include "ui/image_string.h"
#include "ui/skin_loader.h"

namespace dz::panels {
namespace {

using test::RecordingWindow;
using Bytes = std::vector<std::uint8_t>;

class DevicePowerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        win = std::make_unique<RecordingWindow>();
        power = win->Build<CMpDevicePowerUI>(
            QStringLiteral("XML\\CustomControlXML\\MpDevicePower.xml"));
        ASSERT_NE(power, nullptr);
    }
    QWidget* C(const char* name) const {
        return power->findChild<QWidget*>(QString::fromLatin1(name));
    }
    void Set(const Bytes& b) { power->SetPowerStatus(b.data(), b.size()); }

    std::unique_ptr<RecordingWindow> win;
    CMpDevicePowerUI* power = nullptr;
};

TEST_F(DevicePowerTest, SkinHoldsEverySubControl) {
    EXPECT_EQ(power->GetClass(), QStringLiteral("MpDevicePower"));
    for (const char* name : {"device_power_Layout", "device_power_value", "device_wuxian_logo",
                             "device_power_status", "device_phone_type"}) {
        EXPECT_NE(C(name), nullptr) << name;
    }
    EXPECT_NE(qobject_cast<QProgressBar*>(C("device_Power_progress")), nullptr);
}

TEST_F(DevicePowerTest, RecordTable) {
    struct Case {
        const char* what;
        int kind;
        Bytes bytes;
        int progress;
        const char* text;
        bool progressShown;
        const char* status;
        bool logoShown;
    };
    const Case cases[] = {
        {"mouse charging wirelessly",
         2,
         {80, 1, 0, 1, 0, 0},
         20,
         "80%",
         false,
         "file='power/wuxian_powering.png'",
         true},
        {"mouse charging by cable",
         2,
         {35, 1, 0, 0, 0, 0},
         65,
         "35%",
         true,
         "file='power/powering.png'",
         false},
        {"mouse on battery through receiver",
         2,
         {100, 0, 9, 1, 9, 0},
         0,
         "100%",
         true,
         "file='power/powered.png'",
         true},
        {"mouse full", 2, {0, 2, 0, 0, 0, 0}, 100, "0%", true, "file='power/power.png'", false},
        {"keyboard through receiver: no logo",
         1,
         {50, 1, 0, 1, 0, 0},
         50,
         "50%",
         false,
         "file='power/wuxian_powering.png'",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        power->SetKind(c.kind, 0);
        Set(c.bytes);
        EXPECT_EQ(ui::Value(C("device_Power_progress")), c.progress);
        EXPECT_EQ(ui::Text(C("device_power_value")), QLatin1String(c.text));
        EXPECT_EQ(ui::IsVisible(C("device_Power_progress")), c.progressShown);
        EXPECT_EQ(ui::BkImage(C("device_power_status")), QLatin1String(c.status));
        EXPECT_EQ(ui::IsVisible(C("device_wuxian_logo")), c.logoShown);
        EXPECT_FALSE(ui::SkinPixmap(ui::ParseImageString(QLatin1String(c.status)).file).isNull());
    }
}

TEST_F(DevicePowerTest, LogoFollowsTheWirelessFlagBothWays) {
    power->SetKind(2, 0);
    Set({60, 0, 0, 1, 0, 0});
    EXPECT_TRUE(ui::IsVisible(C("device_wuxian_logo")));
    Set({60, 0, 0, 0, 0, 0});
    EXPECT_FALSE(ui::IsVisible(C("device_wuxian_logo")));
}

TEST_F(DevicePowerTest, UnknownChargeStateLeavesBarAndImage) {
    power->SetKind(2, 0);
    Set({80, 1, 0, 1, 0, 0});  // bar hidden, wireless charging image
    Set({40, 3, 0, 0, 0, 0});
    EXPECT_EQ(ui::Value(C("device_Power_progress")), 60);
    EXPECT_EQ(ui::Text(C("device_power_value")), QStringLiteral("40%"));
    EXPECT_FALSE(ui::IsVisible(C("device_Power_progress")));
    EXPECT_EQ(ui::BkImage(C("device_power_status")),
              QStringLiteral("file='power/wuxian_powering.png'"));
}

TEST_F(DevicePowerTest, MousepadPhoneIcons) {
    struct Case {
        std::uint8_t type;
        const char* image;
        const char* tooltip;  // the language text where the test language has one
    };
    const Case cases[] = {
        {1, "file='power/Phone_type_iphone.png'", "iPhone"},
        {2, "file='power/Phone_type_samsung.png'", "Samsung phone"},
        {3, "file='power/Phone_type_other.png'", "Phone_type_other"},
        {0, "file='power/Phone_type_no_device.png'", "Phone_type_no_device"},
        {4, "file='power/Phone_type_no_device.png'", "Phone_type_no_device"},
        {255, "file='power/Phone_type_no_device.png'", "Phone_type_no_device"},
    };
    power->SetKind(3, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Set({70, 0, 0, 0, 0, c.type});
        EXPECT_EQ(ui::BkImage(C("device_phone_type")), QLatin1String(c.image));
        EXPECT_EQ(ui::ToolTip(C("device_phone_type")), QLatin1String(c.tooltip));
        EXPECT_FALSE(ui::SkinPixmap(ui::ParseImageString(QLatin1String(c.image)).file).isNull());
    }
}

TEST_F(DevicePowerTest, PhoneIconOnlyOnAMousepad) {
    power->SetKind(2, 0);
    Set({70, 0, 0, 0, 0, 1});
    EXPECT_TRUE(ui::BkImage(C("device_phone_type")).isEmpty());
}

TEST_F(DevicePowerTest, ShortRecordIsZeroPadded) {
    power->SetKind(3, 0);
    // Stale values that padding must replace: wireless charging bar hidden, an iPhone.
    Set({10, 1, 0, 1, 0, 1});
    const Bytes level = {55};
    power->SetPowerStatus(level.data(), level.size());
    EXPECT_EQ(ui::Value(C("device_Power_progress")), 45);
    EXPECT_EQ(ui::Text(C("device_power_value")), QStringLiteral("55%"));
    EXPECT_TRUE(ui::IsVisible(C("device_Power_progress")));  // state 0
    EXPECT_EQ(ui::BkImage(C("device_power_status")), QStringLiteral("file='power/powered.png'"));
    EXPECT_EQ(ui::BkImage(C("device_phone_type")),
              QStringLiteral("file='power/Phone_type_no_device.png'"));

    power->SetPowerStatus(nullptr, 0);
    EXPECT_EQ(ui::Value(C("device_Power_progress")), 100);
    EXPECT_EQ(ui::Text(C("device_power_value")), QStringLiteral("0%"));

    // Bytes past the sixth are not read.
    Bytes longer(64, 0);
    longer[0] = 30;
    longer[6] = 1;
    power->SetPowerStatus(longer.data(), longer.size());
    EXPECT_EQ(ui::Value(C("device_Power_progress")), 70);
}

TEST_F(DevicePowerTest, ShowLayout) {
    power->ShowLayout(false);
    EXPECT_FALSE(ui::IsVisible(C("device_power_Layout")));
    power->ShowLayout(true);
    EXPECT_TRUE(ui::IsVisible(C("device_power_Layout")));
}

TEST(DevicePowerPartialSkin, MissingSubControlsMakeItANoOp) {
    RecordingWindow win;
    QWidget* root =
        ui::BuildSkinFile(QStringLiteral(DZ_TEST_DATA_DIR "/power_partial.ui"), win.Host());
    auto* power = qobject_cast<CMpDevicePowerUI*>(root);
    ASSERT_NE(power, nullptr);
    power->SetKind(3, 0);
    const Bytes rec = {80, 1, 0, 1, 0, 1};
    power->SetPowerStatus(rec.data(), rec.size());
    QWidget* value = power->findChild<QWidget*>(QStringLiteral("device_power_value"));
    QWidget* progress = power->findChild<QWidget*>(QStringLiteral("device_Power_progress"));
    QWidget* status = power->findChild<QWidget*>(QStringLiteral("device_power_status"));
    EXPECT_EQ(ui::Text(value), QStringLiteral("untouched"));
    EXPECT_EQ(ui::Value(progress), 7);
    EXPECT_TRUE(ui::IsVisible(progress));
    EXPECT_TRUE(ui::BkImage(status).isEmpty());
    power->ShowLayout(false);  // the layout is there, so this one works
    EXPECT_FALSE(ui::IsVisible(power->findChild<QWidget*>(QStringLiteral("device_power_Layout"))));

    // Without a skin there is nothing to show on: nothing is made up, nothing is shown.
    CMpDevicePowerUI bare;
    bare.SetKind(3, 0);
    bare.SetPowerStatus(rec.data(), rec.size());
    bare.ShowLayout(true);
    EXPECT_TRUE(bare.findChildren<QWidget*>().isEmpty());
    EXPECT_TRUE(ui::BkImage(&bare).isEmpty());
    EXPECT_TRUE(ui::Text(&bare).isEmpty());
}

}  // namespace
}  // namespace dz::panels
