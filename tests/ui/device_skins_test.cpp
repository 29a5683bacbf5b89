// The device page skins, loaded as the main window loads them, hold what binding a page
// relies on: the picture's key and light buttons, the feature containers in the pages that
// the function tabs show, and on the keyboard a picture laid out as its LED matrix.
#include <gtest/gtest.h>

#include <QSet>
#include <QStackedWidget>
#include <QUiLoader>
#include <map>
#include <optional>
#include <vector>

#include "test_window.h"
#include "ui/control_factory.h"
#include "ui/control_ops.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/register_widgets.h"
#include "ui/widgets/select_panel.h"

namespace dz::ui {
namespace {

// Classes the main window's builder answers itself: the device objects and the feature
// panels built from their own skins.
const QSet<QString> kBuilderClasses = {
    "RezazodaKeyboardDevice", "RezazodaMouseDevice",  "RezazodaMousePadDevice",
    "RezazodaDO6533Device",   "DeviceProfileUI",      "LightSetControlUI",
    "Voice6533SetControlUI",  "MagicSetControlUI",    "KeySetControlUI",
    "MacroSetControlUI",      "ShootKeySetControlUI", "VirtualSetControlUI"};

// A page window whose builder answers those classes with a plain container that keeps the
// class it stood for, and notes every class nobody can build.
class PageWindow : public test::TestWindow {
  public:
    explicit PageWindow(const QString& skin) : TestWindow(skin) {
        creator = [this](const QString& cls, QWidget* parent) -> QWidget* {
            if (kBuilderClasses.contains(cls)) {
                auto* w = new QWidget(parent);
                w->setProperty("skinClass", cls);
                return w;
            }
            if (!ControlFactory::Instance().IsRegistered(cls) && !stock_.contains(cls))
                unknown.insert(cls);
            return nullptr;
        };
    }
    QSet<QString> unknown;

  private:
    QSet<QString> stock_ = [] {
        const QStringList l = QUiLoader().availableWidgets();
        return QSet<QString>(l.begin(), l.end());
    }();
};

// "prefix_"n split at the last "_": the number when the prefix matches, ignoring case.
std::optional<int> Indexed(const QString& text, const QString& prefix) {
    const qsizetype cut = text.lastIndexOf('_');
    if (cut < 0) return std::nullopt;
    if (text.left(cut + 1).compare(prefix, Qt::CaseInsensitive) != 0) return std::nullopt;
    bool ok = false;
    const int n = text.mid(cut + 1).toInt(&ok, 10);
    return ok && n >= 0 ? std::optional<int>(n) : std::nullopt;
}

// What binding the page finds in its "SelectPanel": key buttons and light buttons by index.
struct Binding {
    std::map<int, DeviceKeyButton*> keys;
    std::map<int, DeviceKeyButton*> lights;
    std::vector<QString> repeats;  // an index met a second time
};

Binding Bind(SelectPanel* panel, int key_count, int light_count) {
    Binding b;
    for (QObject* o : panel->children()) {
        auto* button = qobject_cast<DeviceKeyButton*>(o);
        if (button == nullptr) continue;
        if (auto n = Indexed(button->objectName(), "key_"); n && *n < key_count) {
            if (!b.keys.emplace(*n, button).second) b.repeats.push_back(button->objectName());
        }
        if (auto m = Indexed(UserData(button), "light_"); m && *m < light_count) {
            if (!b.lights.emplace(*m, button).second)
                b.repeats.push_back(button->objectName() + " light " + UserData(button));
        }
    }
    return b;
}

// A container that must exist once, stand for `cls`, and, when `in_switch` is given, lie
// on page `page` of that page-switch container.
struct Placement {
    const char* name;
    const char* cls;
    const char* in_switch;
    int page;
};

// Buttons of a picture must be visible, inside it and clear of each other, or a click
// lands on the wrong key.
void ExpectClearButtons(SelectPanel* panel) {
    std::vector<DeviceKeyButton*> all;
    for (QObject* o : panel->children())
        if (auto* k = qobject_cast<DeviceKeyButton*>(o)) all.push_back(k);
    for (size_t i = 0; i < all.size(); ++i) {
        const QRect a = all[i]->geometry();
        const std::string name = all[i]->objectName().toStdString();
        EXPECT_FALSE(a.isEmpty()) << name;
        EXPECT_TRUE(QRect(QPoint(0, 0), panel->minimumSize()).contains(a)) << name;
        for (size_t j = i + 1; j < all.size(); ++j) {
            EXPECT_FALSE(a.intersects(all[j]->geometry()))
                << name << " overlaps " << all[j]->objectName().toStdString();
        }
    }
}

struct PageCase {
    const char* skin;
    const char* device_class;
    int key_count;  // sizes of the device's key and light arrays
    int light_count;
    int keys_bound;
    int lights_bound;
    std::vector<Placement> placements;
    std::vector<const char*> other_buttons;  // further "DeviceKeyButton" controls of the page
};

constexpr const char* kFn = "device_function_switch";
constexpr const char* kKeyFn = "device_key_function_switch";

const Placement kProfile{"DeviceProfileItem", "DeviceProfileUI", nullptr, 0};
const Placement kKeySwitch{kKeyFn, "QStackedWidget", kFn, 0};
const Placement kLight{"LightControlItem", "LightSetControlUI", kKeyFn, 0};

std::vector<const char*> MousePreview() {
    static const std::vector<QByteArray> names = [] {
        std::vector<QByteArray> v;
        for (int i = 0; i < 15; ++i) v.push_back("light_0_" + QByteArray::number(i));
        v.push_back("logo");
        return v;
    }();
    std::vector<const char*> out;
    for (const QByteArray& n : names) out.push_back(n.constData());
    return out;
}

const std::vector<PageCase>& Cases() {
    static const std::vector<PageCase> cases = {
        {"XML\\DeviceXml\\keyboarddevice.xml",
         "RezazodaKeyboardDevice",
         170,
         170,
         126,
         170,
         {kProfile,
          kKeySwitch,
          kLight,
          {"KeySetControlItem", "KeySetControlUI", kKeyFn, 1},
          {"MacroControlItem", "MacroSetControlUI", kFn, 1},
          {"repeat_rate_slider", "QSlider", kFn, 3},
          {"polling_rate_option_3", "QRadioButton", kFn, 3},
          {"winlockflag_option", "QCheckBox", kFn, 3}},
         {}},
        {"XML\\DeviceXml\\mousedevice.xml",
         "RezazodaMouseDevice",
         11,
         15,
         11,
         15,
         {kProfile,
          kKeySwitch,
          kLight,
          {"KeySetControlItem", "KeySetControlUI", kKeyFn, 1},
          {"MacroControlItem", "MacroSetControlUI", kFn, 1},
          {"ShootControlItem", "ShootKeySetControlUI", kFn, 1},
          {"DPI_slider_4", "QSlider", kFn, 2},
          {"polling_rate_option_4", "QRadioButton", kFn, 2},
          {"pointer_speed_slider", "QSlider", kFn, 3},
          {"mouse_device_seting_option_0", "QRadioButton", nullptr, 0},
          {"device_tishi_info", "QLabel", nullptr, 0}},
         MousePreview()},
        {"XML\\DeviceXml\\mousepaddevice.xml",
         "RezazodaMousePadDevice",
         0,
         15,
         0,
         15,
         {kProfile, kKeySwitch, kLight},
         {}},
        {"XML\\DeviceXml\\do6533device.xml",
         "RezazodaDO6533Device",
         0,
         13,
         0,
         13,
         {kProfile,
          kKeySwitch,
          kLight,
          {"Voice6533ControlItem", "Voice6533SetControlUI", kKeyFn, 1},
          {"MagicControlItem", "MagicSetControlUI", kKeyFn, 2}},
         {}},
    };
    return cases;
}

void PrintTo(const PageCase& c, std::ostream* os) {
    *os << c.skin;
}

class DeviceSkinsTest : public ::testing::TestWithParam<PageCase> {
  protected:
    void SetUp() override { RegisterCustomWidgets(); }
};

QString ClassOf(const QWidget* w) {
    const QVariant skin = w->property("skinClass");
    return skin.isValid() ? skin.toString() : QString::fromLatin1(w->metaObject()->className());
}

TEST_P(DeviceSkinsTest, PageLoadsWithItsPictureAndContainers) {
    const PageCase& c = GetParam();
    PageWindow w(QString::fromLatin1(c.skin));
    ASSERT_TRUE(w.Create());
    QWidget* root = w.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ClassOf(root), c.device_class);
    EXPECT_TRUE(w.unknown.isEmpty())
        << "no builder for " << w.unknown.values().join(", ").toStdString();

    auto* panel = root->findChild<SelectPanel*>("SelectPanel", Qt::FindDirectChildrenOnly);
    ASSERT_NE(panel, nullptr) << "the picture must be a direct child of the page";
    const Binding b = Bind(panel, c.key_count, c.light_count);
    EXPECT_TRUE(b.repeats.empty()) << b.repeats.front().toStdString();
    EXPECT_EQ(static_cast<int>(b.keys.size()), c.keys_bound);
    EXPECT_EQ(static_cast<int>(b.lights.size()), c.light_count);
    EXPECT_EQ(static_cast<int>(b.lights.size()), c.lights_bound);
    // Bound indexes are the whole ranges, not some larger numbers that happen to fit.
    if (!b.keys.empty()) {
        EXPECT_EQ(b.keys.rbegin()->first, c.keys_bound - 1);
    }
    if (!b.lights.empty()) {
        EXPECT_EQ(b.lights.rbegin()->first, c.lights_bound - 1);
    }

    for (const Placement& p : c.placements) {
        const QList<QWidget*> found = root->findChildren<QWidget*>(QString::fromLatin1(p.name));
        ASSERT_EQ(found.size(), 1) << p.name;
        EXPECT_EQ(ClassOf(found.front()), p.cls) << p.name;
        if (p.in_switch == nullptr) continue;
        auto* sw = root->findChild<QStackedWidget*>(QString::fromLatin1(p.in_switch));
        ASSERT_NE(sw, nullptr) << p.in_switch;
        ASSERT_LT(p.page, sw->count()) << p.in_switch;
        EXPECT_TRUE(sw->widget(p.page)->isAncestorOf(found.front()))
            << p.name << " is not on page " << p.page << " of " << p.in_switch;
    }
    // Every page switches between enough pages for the function tabs.
    auto* fn = root->findChild<QStackedWidget*>(kFn);
    auto* key_fn = root->findChild<QStackedWidget*>(kKeyFn);
    ASSERT_NE(fn, nullptr);
    ASSERT_NE(key_fn, nullptr);
    EXPECT_GE(fn->count(), 4);
    EXPECT_GE(key_fn->count(), 3);

    ExpectClearButtons(panel);
    for (SelectPanel* other : root->findChildren<SelectPanel*>(Qt::FindDirectChildrenOnly)) {
        if (other != panel) ExpectClearButtons(other);
    }

    for (const char* name : c.other_buttons) {
        auto* button = root->findChild<DeviceKeyButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_NE(button->parentWidget(), panel) << name << " would bind as a light or key";
        EXPECT_TRUE(qobject_cast<SelectPanel*>(button->parentWidget()) != nullptr) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, DeviceSkinsTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<PageCase>& page) {
                             return std::string(page.param.device_class + 8);  // after "Rezazoda"
                         });

// The keyboard's LED matrix: column c, rows 0..5 top to bottom; -1 where no light is.
constexpr int kMatrix[23][6] = {
    {-1, 120, 121, 122, 123, 124}, {-1, 21, 42, 63, 84, 105},   {0, 22, 43, 64, 102, 106},
    {1, 23, 44, 65, 85, 20},       {2, 24, 45, 66, 86, 107},    {3, 25, 46, 67, 87, 126},
    {4, 26, 47, 68, 88, 127},      {18, 27, 48, 69, 89, 108},   {5, 28, 49, 70, 90, 128},
    {6, 29, 50, 71, 91, 129},      {7, 30, 51, 72, 92, 109},    {8, 31, 52, 73, 93, 125},
    {9, 32, 53, 74, 94, 110},      {10, 33, 54, 62, 100, 111},  {11, 34, 55, 75, 19, 130},
    {12, 101, 103, 79, 95, 112},   {13, 35, 56, 82, 80, 113},   {14, 36, 57, 83, 96, 114},
    {15, 37, 58, 17, 81, 115},     {-1, 38, 59, 76, 97, 116},   {-1, 39, 60, 77, 98, 104},
    {-1, 40, 61, 78, 99, 117},     {-1, 41, 16, 119, 118, 131},
};

class KeyboardPictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterCustomWidgets();
        ASSERT_TRUE(w.Create());
        panel = w.Root()->findChild<SelectPanel*>("SelectPanel", Qt::FindDirectChildrenOnly);
        ASSERT_NE(panel, nullptr);
        b = Bind(panel, 170, 170);
    }
    QRect At(int light) const {
        auto it = b.lights.find(light);
        return it == b.lights.end() ? QRect() : it->second->geometry();
    }

    PageWindow w{QStringLiteral("XML\\DeviceXml\\keyboarddevice.xml")};
    SelectPanel* panel = nullptr;
    Binding b;
};

TEST_F(KeyboardPictureTest, EveryKeyLightsItsOwnPositionAndTheRestAreLightsOnly) {
    for (const auto& [n, button] : b.keys)
        EXPECT_EQ(UserData(button).toStdString(), "light_" + std::to_string(n)) << "key " << n;
    for (const auto& [m, button] : b.lights) {
        if (m < 126) continue;
        EXPECT_FALSE(button->objectName().startsWith("key_", Qt::CaseInsensitive)) << m;
    }
}

TEST_F(KeyboardPictureTest, PictureFollowsTheMatrixRowsAndColumns) {
    int buttons = 0;
    for (QObject* o : panel->children()) buttons += qobject_cast<DeviceKeyButton*>(o) ? 1 : 0;
    EXPECT_EQ(buttons, 170) << "126 keys and 44 further lights, nothing else";
    for (int c = 0; c < 23; ++c) {  // down a column, every light sits lower than the last
        int last_top = -1;
        for (int r = 0; r < 6; ++r) {
            const int light = kMatrix[c][r];
            if (light < 0) continue;
            const QRect g = At(light);
            ASSERT_FALSE(g.isNull()) << "light " << light << " is not in the picture";
            EXPECT_GT(g.top(), last_top) << "column " << c << " row " << r;
            last_top = g.top();
        }
    }
    for (int r = 0; r < 6; ++r) {  // along a row, left to right
        int last_centre = -1;
        for (int c = 0; c < 23; ++c) {
            const int light = kMatrix[c][r];
            if (light < 0) continue;
            const int centre = At(light).center().x();
            EXPECT_GT(centre, last_centre) << "row " << r << " column " << c;
            last_centre = centre;
        }
    }
    // Keys of one matrix row share a line; the function row stands apart from the rest.
    EXPECT_EQ(At(0).top(), At(15).top());   // Esc .. Pause
    EXPECT_EQ(At(42).top(), At(61).top());  // Tab .. Num 9
    EXPECT_GT(At(21).top() - At(0).bottom(), At(42).top() - At(21).bottom());
    // Space is the widest key.
    for (const auto& [n, button] : b.keys) {
        if (n != 108) {
            EXPECT_LT(button->width(), At(108).width()) << n;
        }
    }
}

}  // namespace
}  // namespace dz::ui
