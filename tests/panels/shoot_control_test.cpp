// The shooting-pattern panel on its real skin, offscreen, over a temporary data folder and
// copies of the default patterns: what the opening finds and replaces, the limits of the
// gun and bullet choice, showing and saving a bullet (a direction toggled alone is saved by
// the next edit that loses the focus), Enter and Escape in the edits, reset, import and
// export, the send through the mouse, the picture of the pattern, and its texts in both
// languages.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFocusEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>

#include "panels/selector_fixture.h"
#include "panels/shoot_control_ui.h"
#include "panels/shoot_pattern_view.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::panels {
namespace {

namespace fs = std::filesystem;
using dz::test::ReadText;
using dz::test::WriteText;

class ShootControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folders_.data);
        fs::create_directories(folders_.defaults);
        for (int gun = 0; gun < kShootPatternCount; ++gun)
            fs::copy_file(fs::path(DZ_DATA_DIR) / "DefaultData" / ShootFileName(gun),
                          folders_.DefaultFile(gun));
        window_.resize(1000, 320);
        window_.show();
    }
    // The panel built from its skin, given its folders as the mouse gives them.
    CShootControlUI& Make() {
        panel_ = window_.Build<CShootControlUI>(
            QStringLiteral("XML\\CustomControlXML\\ShootControl.xml"));
        EXPECT_NE(panel_, nullptr);
        panel_->SetFolders(folders_.data, folders_.defaults);
        EXPECT_TRUE(panel_->ControlsFound());
        QCoreApplication::processEvents();  // laid out
        return *panel_;
    }
    template <class W = QWidget>
    W* Control(const QString& name) const {
        W* w = panel_->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QAbstractButton* Button(const QString& name) const { return Control<QAbstractButton>(name); }
    QLineEdit* Edit(int which) const {
        static const char* names[] = {"bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt"};
        return Control<QLineEdit>(QString::fromLatin1(names[which]));
    }
    QString Index() const { return Control<QLabel>(QStringLiteral("bullet_select_index"))->text(); }
    // The user types into an edit and leaves it; the routing then calls OnEdit.
    void Type(int which, const QString& text) {
        Edit(which)->setText(text);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(Edit(which), &out);
        panel_->OnEdit(which);
    }
    // A click on a numbered option, and the routing's call for it.
    void ClickBullet(int n) {
        Button(QStringLiteral("bullet_op_%1").arg(n))->click();
        panel_->OnBulletOption(n);
    }
    [[nodiscard]] Json::Value File(int gun) const { return ReadJsonFile(folders_.File(gun)); }

    dz::test::TempFolder root_;
    ShootFolders folders_{root_ / "mouse", root_ / "DefaultData"};
    panels::test::RecordingWindow window_;
    CShootControlUI* panel_ = nullptr;
};

TEST_F(ShootControlTest, TheOpeningReplacesFilesThatAreNoJsonAndShowsGunZeroWithoutABullet) {
    WriteText(folders_.File(1), "{ damaged");
    const std::string own = R"({"Events": []})";
    WriteText(folders_.File(2), own);
    CShootControlUI& p = Make();
    EXPECT_EQ(ReadText(folders_.File(0)), ReadText(folders_.DefaultFile(0))) << "missing";
    EXPECT_EQ(ReadText(folders_.File(1)), ReadText(folders_.DefaultFile(1))) << "damaged";
    EXPECT_EQ(ReadText(folders_.File(2)), own) << "a pattern of the user's stays";
    EXPECT_EQ(p.CurrentGun(), 0);
    EXPECT_EQ(p.CurrentBullet(), -1);
    EXPECT_TRUE(Button(QStringLiteral("shoot_gun_op_0"))->isChecked());
    EXPECT_EQ(Control<QStackedWidget>(QStringLiteral("shoot_image_display_switch"))->currentIndex(),
              0);
    EXPECT_FALSE(Control(QStringLiteral("bullet_edit_layout"))->isEnabled())
        << "nothing to edit before a bullet is chosen";
    EXPECT_TRUE(Index().isEmpty());
    for (int n = 0; n < kShootBullets; ++n)
        EXPECT_FALSE(Button(QStringLiteral("bullet_op_%1").arg(n))->isChecked()) << n;
    // Each gun's picture has its file's bullets.
    EXPECT_EQ(p.View(0)->Bullets(), BulletsOf(File(0)));
    EXPECT_EQ(p.View(2)->Bullets(), BulletsOf(File(2)));
    EXPECT_EQ(p.View(0)->SelectedBullet(), -1);
}

TEST_F(ShootControlTest, GunAndBulletAreHeldToTheirRanges) {
    CShootControlUI& p = Make();
    struct Case {
        int asked, selected;
        const char* label;
    };
    for (const Case& c :
         std::vector<Case>{{30, 29, "30"}, {-1, 0, "1"}, {12, 12, "13"}, {99, 29, "30"}}) {
        p.SelectBullet(c.asked);
        EXPECT_EQ(p.CurrentBullet(), c.selected) << c.asked;
        EXPECT_EQ(Index(), c.label) << c.asked;
        for (int n = 0; n < kShootBullets; ++n)
            EXPECT_EQ(Button(QStringLiteral("bullet_op_%1").arg(n))->isChecked(), n == c.selected)
                << c.asked << ": " << n;
    }
    p.OnBulletNext();
    EXPECT_EQ(p.CurrentBullet(), 29) << "no bullet after the last";
    p.SelectBullet(0);
    p.OnBulletPrev();
    EXPECT_EQ(p.CurrentBullet(), 0) << "none before the first";
    p.OnBulletNext();
    EXPECT_EQ(Index(), "2");
    EXPECT_TRUE(Control(QStringLiteral("bullet_edit_layout"))->isEnabled());

    auto* stack = Control<QStackedWidget>(QStringLiteral("shoot_image_display_switch"));
    for (const auto& [asked, selected] :
         std::vector<std::pair<int, int>>{{3, 3}, {7, 3}, {-2, 0}}) {
        p.SelectGun(asked);
        EXPECT_EQ(p.CurrentGun(), selected);
        EXPECT_EQ(stack->currentIndex(), selected);
        for (int g = 0; g < kShootPatternCount; ++g)
            EXPECT_EQ(Button(QStringLiteral("shoot_gun_op_%1").arg(g))->isChecked(), g == selected);
    }
    // A click on another gun shows its bullet; the option that lost its selection is ignored.
    Button(QStringLiteral("shoot_gun_op_3"))->click();
    p.OnGunOption(0);
    EXPECT_EQ(p.CurrentGun(), 0) << "gun 0's option is no longer selected";
    p.OnGunOption(3);
    EXPECT_EQ(p.CurrentGun(), 3);
    EXPECT_EQ(Edit(2)->text().toInt(), BulletOf(File(3), 1).delay) << "gun 3's bullet 2";
    ClickBullet(20);
    EXPECT_EQ(p.CurrentBullet(), 20);
    p.OnBulletOption(5);
    EXPECT_EQ(p.CurrentBullet(), 20) << "an option that is not selected selects nothing";
}

TEST_F(ShootControlTest, ShowingABulletFillsTheEditorFromTheFile) {
    Json::Value file;
    PutBullet(file, 4, {true, 300, true, 12, 85});
    PutBullet(file, 5, {false, 7, false, 3, 40});
    dz::test::WriteJson(folders_.File(0), file);
    CShootControlUI& p = Make();
    p.SelectBullet(4);
    EXPECT_TRUE(Button(QStringLiteral("bullet_x_check"))->isChecked());
    EXPECT_EQ(Button(QStringLiteral("bullet_x_check"))->text(), "To the left");
    EXPECT_EQ(Edit(0)->text(), "300") << "what the file holds, beyond the edit's own limit";
    EXPECT_TRUE(Button(QStringLiteral("bullet_y_check"))->isChecked());
    EXPECT_EQ(Button(QStringLiteral("bullet_y_check"))->text(), "Upward");
    EXPECT_EQ(Edit(1)->text(), "12");
    EXPECT_EQ(Edit(2)->text(), "85");
    p.OnBulletNext();
    EXPECT_EQ(Button(QStringLiteral("bullet_x_check"))->text(), "To the right");
    EXPECT_EQ(Button(QStringLiteral("bullet_y_check"))->text(), "Downward");
    EXPECT_EQ(Edit(0)->text(), "7");
    p.SelectBullet(0);
    EXPECT_EQ(Edit(0)->text(), "0") << "a bullet the file lacks shows no move";
    EXPECT_EQ(Edit(2)->text(), "0");
}

TEST_F(ShootControlTest, ADirectionToggledAloneIsSavedByTheNextEditThatLosesTheFocus) {
    CShootControlUI& p = Make();
    p.SelectBullet(3);
    const std::string before = ReadText(folders_.File(0));
    const ShootBullet shown = BulletOf(File(0), 3);
    Button(QStringLiteral("bullet_x_check"))->click();
    p.OnAxis(0);
    EXPECT_EQ(Button(QStringLiteral("bullet_x_check"))->text(),
              shown.left ? "To the right" : "To the left");
    EXPECT_EQ(ReadText(folders_.File(0)), before) << "nothing saved yet";
    Type(1, Edit(1)->text());  // leaves the vertical edit as it was
    ShootBullet want = shown;
    want.left = !shown.left;
    EXPECT_EQ(BulletOf(File(0), 3), want);
    for (int b = 0; b < kShootBullets; ++b)
        if (b != 3) {
            EXPECT_EQ(BulletOf(File(0), b), BulletOf(ReadJsonFile(folders_.DefaultFile(0)), b))
                << b;
        }

    Type(0, QStringLiteral("9"));
    Type(1, QString());  // a missing text reads as 0
    Type(2, QStringLiteral("120"));
    want = {want.left, 9, want.up, 0, 120};
    EXPECT_EQ(BulletOf(File(0), 3), want);
    EXPECT_EQ(Edit(1)->text(), "0") << "the edit's own fixup shows what was saved";
    EXPECT_EQ(p.View(0)->Bullets()[3], want) << "the picture follows the save";
}

TEST_F(ShootControlTest, EnterSavesAndEscapeShowsTheStoredValueAgain) {
    CShootControlUI& p = Make();
    p.SelectBullet(6);
    Edit(0)->setFocus();
    Edit(0)->setText(QStringLiteral("11"));
    QTest::keyClick(Edit(0), Qt::Key_Return);
    EXPECT_EQ(BulletOf(File(0), 6).x, 11);
    Edit(0)->setText(QStringLiteral("50"));
    QTest::keyClick(Edit(0), Qt::Key_Escape);
    EXPECT_EQ(Edit(0)->text(), "11");
    EXPECT_EQ(BulletOf(File(0), 6).x, 11);
    EXPECT_EQ(p.CurrentBullet(), 6);
}

TEST_F(ShootControlTest, SavingBullet29OfAnEmptyPatternGivesAFullEventList) {
    fs::remove(folders_.DefaultFile(2));  // no default copy: gun 2 starts with no file
    CShootControlUI& p = Make();
    ASSERT_FALSE(fs::exists(folders_.File(2)));
    p.SelectGun(2);
    p.SelectBullet(29);
    Type(0, QStringLiteral("4"));
    const Json::Value file = File(2);
    ASSERT_EQ(file["Events"].size(), 180u);
    for (Json::ArrayIndex i = 0; i < 174; ++i) ASSERT_TRUE(file["Events"][i].isNull()) << i;
    EXPECT_EQ(file["Events"][176]["Button"].asInt(), 4);
    EXPECT_EQ(BuildShootImage(folders_.data)[4], 4) << "the image has its four entries";
    const std::vector<ShootBullet>& drawn = p.View(2)->Bullets();
    EXPECT_EQ(drawn[29].x, 4);
    EXPECT_EQ(ShootPatternView::PathOf(drawn).back().x(), 4.0);
}

TEST_F(ShootControlTest, ResetImportAndExportCopyFilesAndSayHowItWent) {
    CShootControlUI& p = Make();
    std::vector<QString> next_paths;
    std::vector<bool> asked_save;
    p.SetFileDialog([&](QWidget*, bool save) {
        asked_save.push_back(save);
        const QString path = next_paths.front();
        next_paths.erase(next_paths.begin());
        return path;
    });
    const std::string pattern = "{\"Events\": [], \"from\": \"elsewhere\"}\n";
    WriteText(root_ / "good.shoot", pattern);
    WriteText(root_ / "bad.shoot", "no pattern");
    p.SelectGun(1);
    p.SelectBullet(0);
    struct Case {
        const char* name;
        std::function<void()> act;
        std::string gun1_after;
        const char* state;
    };
    const std::string original = ReadText(folders_.File(1));
    auto path = [&](const char* name) { return QString::fromStdString((root_ / name).string()); };
    const std::vector<Case> cases = {
        {"an import that is no pattern",
         [&] {
             next_paths = {path("bad.shoot")};
             p.OnImport();
         },
         original, "shoot_source_not_pattern_text"},
        {"an import of a file that is gone",
         [&] {
             next_paths = {path("gone.shoot")};
             p.OnImport();
         },
         original, "shoot_source_missing_text"},
        {"an import",
         [&] {
             next_paths = {path("good.shoot")};
             p.OnImport();
         },
         pattern, "shoot_import_done_text"},
        {"a cancelled import",
         [&] {
             next_paths = {QString()};
             p.OnImport();
         },
         pattern, "shoot_import_done_text"},
        {"a reset", [&] { p.OnReset(); }, original, "shoot_reset_done_text"},
    };
    for (const Case& c : cases) {
        c.act();
        EXPECT_EQ(ReadText(folders_.File(1)), c.gun1_after) << c.name;
        EXPECT_EQ(p.StateText(), c.state) << c.name;
    }
    EXPECT_EQ(asked_save, (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(Edit(2)->text().toInt(), BulletOf(File(1), 0).delay) << "the bullet is shown again";

    next_paths = {path("out.shoot")};
    p.OnExport();
    EXPECT_EQ(ReadText(root_ / "out.shoot"), original);
    EXPECT_EQ(p.StateText(), "shoot_export_done_text");
    EXPECT_EQ(asked_save.back(), true);
    EXPECT_EQ(ReadText(folders_.File(0)), ReadText(folders_.DefaultFile(0))) << "other guns stay";
}

TEST_F(ShootControlTest, SaveHasTheMouseSendThePatternsAndTellsHowItWent) {
    CShootControlUI& p = Make();
    p.OnSave();
    EXPECT_EQ(p.StateText(), "shoot_not_sent_text") << "a panel without a mouse";
    std::function<void(bool)> pending;
    int uploads = 0;
    p.SetUpload([&](std::function<void(bool)> done) {
        ++uploads;
        pending = std::move(done);
    });
    p.OnSave();
    EXPECT_EQ(uploads, 1);
    EXPECT_EQ(p.StateText(), "shoot_sending_text");
    pending(true);
    EXPECT_EQ(p.StateText(), "shoot_sent_text");
    p.OnSave();
    pending(false);
    EXPECT_EQ(p.StateText(), "shoot_not_sent_text");
    EXPECT_EQ(Control<QLabel>(QStringLiteral("shoot_state_text"))->text(),
              "The mouse is not connected: the patterns were not sent.");
}

TEST_F(ShootControlTest, ThePictureDrawsThePathAndAPressOnADotSelectsItsBullet) {
    CShootControlUI& p = Make();
    ShootPatternView* view = p.View(0);
    ASSERT_NE(view, nullptr);
    const std::vector<QPointF> path = ShootPatternView::PathOf(view->Bullets());
    ASSERT_EQ(path.size(), 30u);
    QPointF sum(0, 0);
    for (int b = 0; b < kShootBullets; ++b) {
        const ShootBullet& bullet = view->Bullets()[static_cast<size_t>(b)];
        sum += QPointF(bullet.left ? -bullet.x : bullet.x, bullet.up ? -bullet.y : bullet.y);
        EXPECT_EQ(path[static_cast<size_t>(b)], sum) << b;
    }
    EXPECT_GT(path.back().y(), 0) << "the default pattern pulls down";

    auto accent_pixels = [&] {
        const QImage image = view->grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == QColor(0xff, 0x5b, 0x2e);
        return n;
    };
    EXPECT_EQ(accent_pixels(), 0) << "no bullet marked";
    p.SelectBullet(10);
    EXPECT_GT(accent_pixels(), 0) << "the selected bullet is marked";

    // Find where the picture draws bullet 20 and press there.
    QPoint at;
    for (int y = 0; y < view->height() && at.isNull(); ++y)
        for (int x = 0; x < view->width(); ++x)
            if (view->BulletAt({x, y}) == 20) {
                at = {x, y};
                break;
            }
    ASSERT_FALSE(at.isNull());
    QTest::mouseClick(view, Qt::LeftButton, {}, at);
    EXPECT_EQ(p.CurrentBullet(), 20);
    EXPECT_EQ(Index(), "21");
    EXPECT_EQ(view->BulletAt({2, view->height() - 2}), -1) << "far from every dot";
}

TEST_F(ShootControlTest, EveryTextThePanelShowsIsInBothLanguages) {
    ui::ResourceManager& rm = ui::ResourceManager::Instance();
    for (const char* language : {"lan_cn", "lan_en"}) {
        ASSERT_TRUE(rm.LoadLanguage(QString::fromLatin1(language)));
        for (const char* id : CShootControlUI::TextIds())
            EXPECT_TRUE(rm.FindText(QString::fromLatin1(id)).has_value()) << language << ": " << id;
    }
    // In Chinese the panel's skin and code texts follow the language.
    ASSERT_TRUE(rm.LoadLanguage(QStringLiteral("lan_cn")));
    Make();
    panel_->SelectBullet(0);
    EXPECT_EQ(Button(QStringLiteral("bullet_x_check"))->text(), QString::fromUtf8("向右"));
    EXPECT_EQ(Button(QStringLiteral("shootdate_save_btn"))->text(),
              QString::fromUtf8("发送到鼠标"));
    ASSERT_TRUE(rm.LoadLanguage(QStringLiteral("lan_en")));
}

}  // namespace
}  // namespace dz::panels
