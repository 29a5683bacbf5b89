// The selector item on its real skin: timers that pace the device, icons, selection,
// tab binding and the link messages it sends to its window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QStackedWidget>
#include <functional>
#include <memory>
#include <vector>

#include "panels/device_option_ui.h"
#include "panels/selector_fixture.h"
#include "support/qt_wait.h"
#include "ui/control_ops.h"
#include "ui/image_string.h"

namespace dz::panels {
namespace {

using test::RecordingWindow;
using test::SentMessage;

constexpr int kKindIndex = 2;

class FakeDevice : public SelectorDevice {
  public:
    void PushLightFrame() override { ++pushes; }
    void FirstSync() override { ++firstSyncs; }
    void Resync() override { ++resyncs; }
    void SpareOperation1() override { ++spare1; }
    void SpareOperation2() override { ++spare2; }
    void ReadPowerStatus() override { ++powerReads; }
    // The answer waits, as the device worker's would, until the test gives it.
    void CheckLink(std::function<void(bool)> done) override {
        ++linkQueries;
        questions.push_back(std::move(done));
    }
    // Answers every question asked so far with `linked`.
    void Answer() {
        auto asked = std::move(questions);
        questions.clear();
        for (auto& done : asked) done(linked);
    }
    bool ChannelOpen() const override { return open; }
    bool ReceiverMode() const override { return wireless; }
    bool PowerFlag() const override { return power; }
    bool PreviewFlag() const override { return preview; }
    int FrameInterval() const override { return wireless ? 500 : (moving ? 5 : 500); }
    int DeviceKindIndex() const override { return kKindIndex; }

    int Calls() const {
        return pushes + firstSyncs + resyncs + spare1 + spare2 + powerReads + linkQueries;
    }

    bool open = true, wireless = false, linked = true, power = false, preview = false,
         moving = true;
    int pushes = 0, firstSyncs = 0, resyncs = 0, spare1 = 0, spare2 = 0, powerReads = 0,
        linkQueries = 0;
    std::vector<std::function<void(bool)>> questions;
};

// Counts paint events of a control.
class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

class DeviceOptionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        win = std::make_unique<RecordingWindow>();
        item =
            win->Build<CDeviceOptionUI>(QStringLiteral("XML\\CustomControlXML\\DeviceOption.xml"));
        ASSERT_NE(item, nullptr);
        item->SetDevice(&dev);
    }

    QAbstractButton* Select() const {
        return item->findChild<QAbstractButton*>(QStringLiteral("device_select"));
    }
    QAbstractButton* Synchro() const {
        return item->findChild<QAbstractButton*>(QStringLiteral("synchro_device_select"));
    }
    int Interval(int id) const { return win->TimerInterval(item, id); }
    std::vector<SentMessage> LinkMessages() const {
        std::vector<SentMessage> out;
        for (const auto& m : win->messages)
            if (m.msg == kMsgReceiverLinkChanged) out.push_back(m);
        return out;
    }
    // Runs a timer's handler as the toolkit does when it fires, and has the device answer
    // a link question it asked.
    void Fire(int id) {
        FireUnanswered(id);
        dev.Answer();
    }
    void FireUnanswered(int id) {
        win->SetTimer(item, id, 60000);  // running, as it is when it fires
        ASSERT_TRUE(item->OnControlTimer(id));
    }

    FakeDevice dev;
    std::unique_ptr<RecordingWindow> win;
    CDeviceOptionUI* item = nullptr;
};

TEST_F(DeviceOptionTest, SkinBuildsTheItemWithItsSubControls) {
    EXPECT_EQ(item->GetClass(), QStringLiteral("DeviceOption"));
    ASSERT_NE(Select(), nullptr);
    EXPECT_TRUE(Select()->isCheckable());
    EXPECT_NE(Synchro(), nullptr);
    EXPECT_NE(item->findChild<QLabel*>(QStringLiteral("device_select_name")), nullptr);
    EXPECT_TRUE(item->IsPresent());
    EXPECT_EQ(item->PowerIndicatorIndex(), -1);
    // The skin's layout sits inside the item's own, so its controls are laid out.
    ASSERT_EQ(item->layout()->count(), 1);
    EXPECT_NE(item->layout()->itemAt(0)->layout(), nullptr);
}

// --- timer 1001: start-up ---

TEST_F(DeviceOptionTest, StartUpThroughReceiverWithoutLinkHidesItemAndRetries) {
    dev.wireless = true;
    dev.linked = false;
    dev.power = true;
    win->show();
    bool presentWhenTold = false;
    win->onMessage = [&](const SentMessage&) { presentWhenTold = item->IsPresent(); };

    Fire(CDeviceOptionUI::kTimerStartUp);

    ASSERT_EQ(LinkMessages().size(), 1u);
    EXPECT_EQ(LinkMessages()[0].wParam, kKindIndex);
    EXPECT_EQ(LinkMessages()[0].lParam, 0);
    // The window hears of the loss while the item still counts as present and selected.
    EXPECT_TRUE(presentWhenTold);
    EXPECT_FALSE(item->IsPresent());
    EXPECT_TRUE(item->isHidden());
    EXPECT_EQ(item->LinkLossCount(), 1);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerStartUp), 3000);
    EXPECT_EQ(dev.firstSyncs, 0);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLightFrame), -1);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerPower), -1);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLinkWatch), -1);

    // Hidden already: later retries count on but say nothing more; the count wraps at 20.
    for (int i = 2; i <= 20; ++i) Fire(CDeviceOptionUI::kTimerStartUp);
    EXPECT_EQ(item->LinkLossCount(), 0);
    Fire(CDeviceOptionUI::kTimerStartUp);
    EXPECT_EQ(item->LinkLossCount(), 1);
    EXPECT_EQ(LinkMessages().size(), 1u);
    EXPECT_EQ(dev.firstSyncs, 0);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerStartUp), 3000);
}

TEST_F(DeviceOptionTest, StartUpThroughReceiverOnceLinkedSynchronisesAndStartsTheWork) {
    dev.wireless = true;
    dev.linked = false;
    dev.power = true;
    for (int i = 0; i < 3; ++i) Fire(CDeviceOptionUI::kTimerStartUp);
    ASSERT_EQ(item->LinkLossCount(), 3);
    win->messages.clear();

    dev.linked = true;
    Fire(CDeviceOptionUI::kTimerStartUp);

    ASSERT_EQ(LinkMessages().size(), 1u);
    EXPECT_EQ(LinkMessages()[0].wParam, kKindIndex);
    EXPECT_EQ(LinkMessages()[0].lParam, 1);
    EXPECT_EQ(dev.firstSyncs, 1);
    EXPECT_EQ(item->LinkLossCount(), 0);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerStartUp), -1);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLightFrame), 5);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerPower), 50);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLinkWatch), 2000);
}

TEST_F(DeviceOptionTest, StartUpWithoutLinkCheckTable) {
    struct Case {
        const char* what;
        bool wireless, open, power;
        int powerMs, watchMs;
    };
    const Case cases[] = {
        {"cable, open, power", false, true, true, 50, -1},
        {"cable, open, no power", false, true, false, -1, -1},
        {"cable, closed, power", false, false, true, -1, -1},
        {"receiver, closed, power", true, false, true, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        dev = FakeDevice{};
        dev.wireless = c.wireless;
        dev.open = c.open;
        dev.power = c.power;
        dev.linked = false;  // must not matter: no link check here
        Fire(CDeviceOptionUI::kTimerStartUp);
        EXPECT_EQ(dev.linkQueries, 0);
        EXPECT_TRUE(LinkMessages().empty());
        EXPECT_EQ(dev.firstSyncs, 1);
        EXPECT_TRUE(item->IsPresent());
        EXPECT_EQ(Interval(CDeviceOptionUI::kTimerStartUp), -1);
        EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLightFrame), 5);
        EXPECT_EQ(Interval(CDeviceOptionUI::kTimerPower), c.powerMs);
        EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLinkWatch), c.watchMs);
    }
}

TEST_F(DeviceOptionTest, StartRunsThroughTheRealTimersUntilFramesFlow) {
    win->show();
    item->Start();
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerStartUp), 500);
    ASSERT_TRUE(dz::test::WaitUntil([&] { return dev.firstSyncs == 1 && dev.pushes >= 3; }));
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerStartUp), -1);  // runs once
    EXPECT_EQ(dev.firstSyncs, 1);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLightFrame), 5);
    // The timers do not notify the window: the item handles them itself.
    EXPECT_EQ(win->Count(QStringLiteral("timer"), item), 0);
}

// --- timer 1000: light frames ---

TEST_F(DeviceOptionTest, LightFramePacingTable) {
    struct Case {
        const char* what;
        bool wireless, open, moving;
        int nextMs;  // the device's pace, while its channel is open
    };
    const Case cases[] = {
        {"cable, moving", false, true, true, 5},    {"cable, still", false, true, false, 500},
        {"receiver", true, true, true, 500},        {"closed", false, false, true, -1},
        {"receiver closed", true, false, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dev.wireless = c.wireless;
        dev.open = c.open;
        dev.moving = c.moving;
        const int before = dev.pushes;
        Fire(CDeviceOptionUI::kTimerLightFrame);
        EXPECT_EQ(dev.pushes, before + 1);
        EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLightFrame), c.nextMs);
    }
    EXPECT_EQ(dev.linkQueries, 0);
}

TEST_F(DeviceOptionTest, LightFrameRepaintsOnlyWhenSelectedAndPreviewing) {
    auto* canvas = new QWidget(win->Host());
    canvas->setMinimumSize(40, 40);
    win->Host()->layout()->addWidget(canvas);
    PaintCounter counter;
    canvas->installEventFilter(&counter);
    item->SetRepaintControl(canvas);
    win->show();
    ASSERT_TRUE(dz::test::WaitUntil([&] { return counter.paints > 0; }));

    struct Case {
        const char* what;
        bool selected, preview, repaints;
    };
    const Case cases[] = {
        {"selected, previewing", true, true, true},
        {"selected, no preview", true, false, false},
        {"not selected, previewing", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        item->Select(c.selected);
        dev.preview = c.preview;
        QCoreApplication::processEvents();
        counter.paints = 0;
        Fire(CDeviceOptionUI::kTimerLightFrame);
        if (c.repaints) {
            EXPECT_TRUE(dz::test::WaitUntil([&] { return counter.paints > 0; }));
        } else {
            for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            EXPECT_EQ(counter.paints, 0);
        }
    }
}

// --- timers 1002 to 1005 ---

TEST_F(DeviceOptionTest, ReReadTimersRunTheirOperationOnce) {
    struct Case {
        int id;
        int FakeDevice::*counter;
    };
    const Case cases[] = {{CDeviceOptionUI::kTimerResync, &FakeDevice::resyncs},
                          {CDeviceOptionUI::kTimerSpare1, &FakeDevice::spare1},
                          {CDeviceOptionUI::kTimerSpare2, &FakeDevice::spare2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const int calls = dev.Calls();
        Fire(c.id);
        EXPECT_EQ(dev.*c.counter, 1);
        EXPECT_EQ(dev.Calls(), calls + 1);  // nothing else
        EXPECT_EQ(Interval(c.id), -1);
    }
}

TEST_F(DeviceOptionTest, PowerPollRepeatsWhileThePowerFlagIsSet) {
    dev.power = true;
    Fire(CDeviceOptionUI::kTimerPower);
    EXPECT_EQ(dev.powerReads, 1);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerPower), 5000);

    dev.power = false;
    Fire(CDeviceOptionUI::kTimerPower);
    EXPECT_EQ(dev.powerReads, 2);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerPower), -1);
}

// --- timer 1007: link watch ---

TEST_F(DeviceOptionTest, LinkWatchTable) {
    struct Case {
        const char* what;
        bool linked, present, power;
        int lParam;  // -1: no message
        int powerReads;
    };
    const Case cases[] = {
        {"link back, power", true, false, true, 1, 1},
        {"link back, no power", true, false, false, 1, 0},
        {"linked and shown", true, true, true, -1, 0},
        {"link lost while shown", false, true, true, 0, 0},
        {"still lost", false, false, true, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        win->messages.clear();
        dev.wireless = true;
        dev.linked = c.linked;
        dev.power = c.power;
        dev.powerReads = 0;
        item->SetVisible(c.present);
        Fire(CDeviceOptionUI::kTimerLinkWatch);
        const auto sent = LinkMessages();
        if (c.lParam < 0) {
            EXPECT_TRUE(sent.empty());
        } else {
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0].wParam, kKindIndex);
            EXPECT_EQ(sent[0].lParam, c.lParam);
        }
        EXPECT_EQ(dev.powerReads, c.powerReads);
        // The window decides on visibility; the watch itself only reports.
        EXPECT_EQ(item->IsPresent(), c.present);
        EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLinkWatch), 3000);
    }
}

TEST_F(DeviceOptionTest, LinkWatchStopsForCableOrClosedChannel) {
    for (bool wireless : {false, true}) {
        SCOPED_TRACE(wireless);
        dev.wireless = wireless;
        dev.open = wireless ? false : true;
        dev.linked = false;
        dev.linkQueries = 0;
        Fire(CDeviceOptionUI::kTimerLinkWatch);
        EXPECT_EQ(dev.linkQueries, 0);
        EXPECT_TRUE(LinkMessages().empty());
        EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLinkWatch), -1);
    }
}

// The link is asked away from the UI thread: nothing waits for the answer, and an answer
// that no longer fits (the device left its receiver, or a newer question was asked) is
// dropped.
TEST_F(DeviceOptionTest, LinkAnswersComeLaterAndStaleOnesAreDropped) {
    dev.wireless = true;
    dev.power = true;
    FireUnanswered(CDeviceOptionUI::kTimerStartUp);
    ASSERT_EQ(dev.questions.size(), 1u);
    EXPECT_EQ(dev.firstSyncs, 0) << "the first sync waits for the answer";
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerStartUp), -1) << "and no timer runs meanwhile";
    dev.Answer();
    EXPECT_EQ(dev.firstSyncs, 1);
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLinkWatch), 2000);

    // A watch whose device went onto its cable before the answer came does nothing more.
    FireUnanswered(CDeviceOptionUI::kTimerLinkWatch);
    dev.wireless = false;
    dev.linked = false;
    dev.Answer();
    EXPECT_TRUE(LinkMessages().size() == 1u && LinkMessages()[0].lParam == 1)
        << "only the start-up's message";
    EXPECT_EQ(Interval(CDeviceOptionUI::kTimerLinkWatch), -1);

    // Two start-ups: the first answer is stale, only the second counts.
    dev = FakeDevice{};
    dev.wireless = true;
    FireUnanswered(CDeviceOptionUI::kTimerStartUp);
    FireUnanswered(CDeviceOptionUI::kTimerStartUp);
    ASSERT_EQ(dev.questions.size(), 2u);
    dev.Answer();
    EXPECT_EQ(dev.firstSyncs, 1);
}

TEST_F(DeviceOptionTest, TimersOfOthersAndWithoutDevicePassOrDoNothing) {
    EXPECT_FALSE(item->OnControlTimer(999));
    item->SetDevice(nullptr);
    for (int id : {1000, 1001, 1002, 1003, 1004, 1005, 1007}) {
        Fire(id);
        EXPECT_EQ(Interval(id), -1) << id;
    }
    EXPECT_EQ(dev.Calls(), 0);
}

// --- icons, synchro mark, selection, binding ---

TEST_F(DeviceOptionTest, IconSetByKind) {
    // Before any kind the unknown set shows, once the item has seen the event loop.
    QCoreApplication::processEvents();
    EXPECT_EQ(ui::NormalImage(Select()),
              QStringLiteral("common/device_ico/unknow_device_normal.png"));
    struct Case {
        int kind, subKind;
        const char* stem;
        const char* tooltip;
    };
    const Case cases[] = {
        {1, 0, "kb_device_", "Keyboard"},
        {1, 9, "kb_device_", "Keyboard"},
        {2, 3, "ms_device_", "Mouse"},
        {3, 0, "hard_mp_device_", "Hard mousepad"},
        {3, 1, "soft_mp_device_", "Soft mousepad"},
        {4, 0, "hd_device_", "Headset"},
        {7, 2, "hd_device_", "Headset"},
        {5, 0, "hub_device_", "Hub"},
        {0, 0, "unknow_device_", "Unknown device"},
        {6, 0, "unknow_device_", "Unknown device"},
        {-1, 0, "unknow_device_", "Unknown device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stem);
        item->SetKind(c.kind, c.subKind);
        const QString stem = QStringLiteral("common/device_ico/") + QLatin1String(c.stem);
        EXPECT_EQ(ui::NormalImage(Select()), stem + QStringLiteral("normal.png"));
        EXPECT_EQ(ui::DisabledImage(Select()), stem + QStringLiteral("normal.png"));
        EXPECT_EQ(ui::SelectedImage(Select()), stem + QStringLiteral("selected.png"));
        EXPECT_EQ(ui::ToolTip(Select()), QLatin1String(c.tooltip));
        EXPECT_EQ(item->SynchroNormalImagePath(), stem + QStringLiteral("synchro_normal.png"));
        EXPECT_EQ(item->SynchroSelectedImagePath(), stem + QStringLiteral("synchro_selected.png"));
        EXPECT_EQ(item->Kind(), c.kind);
        EXPECT_EQ(item->SubKind(), c.subKind);
        // Every image of the set is in the skin and shows on the option.
        for (const QString& f :
             {item->NormalImagePath(), item->SelectedImagePath(), item->SynchroNormalImagePath(),
              item->SynchroSelectedImagePath()}) {
            EXPECT_FALSE(ui::SkinPixmap(f).isNull()) << f.toStdString();
        }
        EXPECT_FALSE(Select()->icon().isNull());
    }
}

TEST_F(DeviceOptionTest, MousepadOfUnknownSubKindKeepsItsImages) {
    item->SetKind(3, 1);
    item->SetKind(3, 2);
    EXPECT_EQ(ui::NormalImage(Select()),
              QStringLiteral("common/device_ico/soft_mp_device_normal.png"));
    EXPECT_EQ(ui::ToolTip(Select()), QStringLiteral("Soft mousepad"));
    EXPECT_EQ(item->SubKind(), 2);
}

TEST_F(DeviceOptionTest, SynchroMarkPicksTheIconPair) {
    item->SetKind(2, 0);
    const QString plain = QStringLiteral("common/device_ico/ms_device_");
    item->SetSynchroVisible(true);
    EXPECT_TRUE(ui::IsVisible(Synchro()));
    EXPECT_EQ(ui::NormalImage(Select()), plain + QStringLiteral("normal.png"));

    item->SetSynchroSelected(true);
    EXPECT_TRUE(item->IsSynchroSelected());
    EXPECT_EQ(win->Count(QStringLiteral("selectchanged"), Synchro()), 1);
    EXPECT_EQ(ui::NormalImage(Select()), plain + QStringLiteral("synchro_normal.png"));
    EXPECT_EQ(ui::DisabledImage(Select()), plain + QStringLiteral("synchro_normal.png"));
    EXPECT_EQ(ui::SelectedImage(Select()), plain + QStringLiteral("synchro_selected.png"));

    // Hiding the mark keeps its state and its pair.
    item->SetSynchroVisible(false);
    EXPECT_FALSE(ui::IsVisible(Synchro()));
    EXPECT_EQ(ui::SelectedImage(Select()), plain + QStringLiteral("synchro_selected.png"));

    item->SetSynchroSelected(false);
    EXPECT_FALSE(item->IsSynchroSelected());
    EXPECT_EQ(ui::NormalImage(Select()), plain + QStringLiteral("normal.png"));
    EXPECT_EQ(ui::SelectedImage(Select()), plain + QStringLiteral("selected.png"));
}

TEST_F(DeviceOptionTest, ActivatingTheOptionRaisesSelectChangedFromTheItemAndShowsItsPage) {
    auto* pages = new QStackedWidget(win->Host());
    pages->setObjectName(QStringLiteral("device_switch"));
    for (int i = 0; i < 3; ++i) pages->addWidget(new QWidget(pages));
    item->BindPage(QStringLiteral("device_switch"), 2);
    win->show();

    Select()->click();

    EXPECT_TRUE(item->IsSelected());
    EXPECT_EQ(pages->currentIndex(), 2);
    ASSERT_EQ(win->Count(QStringLiteral("selectchanged"), item), 1);
    EXPECT_EQ(win->Count(QStringLiteral("selectchanged"), Select()), 1);
}

TEST_F(DeviceOptionTest, SelectionIsExclusiveWithinTheGroup) {
    auto* other =
        win->Build<CDeviceOptionUI>(QStringLiteral("XML\\CustomControlXML\\DeviceOption.xml"));
    ASSERT_NE(other, nullptr);
    item->SetGroup(QStringLiteral("selector"));
    other->SetGroup(QStringLiteral("selector"));

    item->Select(true);
    EXPECT_TRUE(item->IsSelected());
    other->Select(true);
    EXPECT_TRUE(other->IsSelected());
    EXPECT_FALSE(item->IsSelected());
    EXPECT_EQ(win->Count(QStringLiteral("selectchanged"), Select()), 2);  // on, then off

    // Deselecting works inside an exclusive group too.
    other->Select(false);
    EXPECT_FALSE(other->IsSelected());

    // Items of different groups do not affect each other.
    other->SetGroup(QStringLiteral("elsewhere"));
    item->Select(true);
    other->Select(true);
    EXPECT_TRUE(item->IsSelected());
    EXPECT_TRUE(other->IsSelected());
}

TEST_F(DeviceOptionTest, NameBindingPowerIndicatorAndPresence) {
    item->SetName(QStringLiteral("M1 Pro"));
    EXPECT_EQ(ui::Text(item->findChild<QLabel*>(QStringLiteral("device_select_name"))),
              QStringLiteral("M1 Pro"));

    EXPECT_EQ(item->BoundTabIndex(), -1);
    item->BindPage(QStringLiteral("device_switch"), 3);
    EXPECT_EQ(item->BoundTabLayoutName(), QStringLiteral("device_switch"));
    EXPECT_EQ(item->BoundTabIndex(), 3);

    item->SetPowerIndicator(QStringLiteral("device_power_switch"), 1);
    item->SetPowerIndicator(QString(), 4);  // no name: ignored
    EXPECT_EQ(item->PowerIndicatorName(), QStringLiteral("device_power_switch"));
    EXPECT_EQ(item->PowerIndicatorIndex(), 1);
    item->SetPowerIndicator(QStringLiteral("power_tabs"), -1);  // keeps the index
    EXPECT_EQ(item->PowerIndicatorName(), QStringLiteral("power_tabs"));
    EXPECT_EQ(item->PowerIndicatorIndex(), 1);

    item->SetVisible(false);
    EXPECT_FALSE(item->IsPresent());
    EXPECT_TRUE(item->isHidden());
    item->SetVisible(true);
    EXPECT_TRUE(item->IsPresent());
    EXPECT_FALSE(item->isHidden());
}

TEST(DeviceOptionWithoutSkin, MissingSubControlsMakeOperationsNoOps) {
    RecordingWindow win;
    auto* item = new CDeviceOptionUI(win.Host());
    FakeDevice dev;
    item->SetDevice(&dev);
    item->SetKind(1, 0);
    item->SetName(QStringLiteral("x"));
    item->BindPage(QStringLiteral("device_switch"), 2);
    item->SetGroup(QStringLiteral("g"));
    item->SetSynchroVisible(true);
    item->SetSynchroSelected(true);
    item->Select(true);
    EXPECT_EQ(item->BoundTabIndex(), -1);
    EXPECT_TRUE(item->BoundTabLayoutName().isEmpty());
    EXPECT_FALSE(item->IsSelected());
    EXPECT_FALSE(item->IsSynchroSelected());
    // The timers do not depend on the sub-controls.
    ASSERT_TRUE(item->OnControlTimer(CDeviceOptionUI::kTimerStartUp));
    EXPECT_EQ(dev.firstSyncs, 1);
}

}  // namespace
}  // namespace dz::panels
