// The colour dialog on its real skin, offscreen, its modal loop driven from the test: the
// collected swatches and their file, the typed components, the window buttons and what each
// returns, the seven-colour choice, the DPI, files of every shape, and the callers' entry.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>

#include "panels/color_select_wnd.h"
#include "platform/paths/paths.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/log_capture.h"

namespace dz::panels {
namespace {

namespace fs = std::filesystem;
using test::J;

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kWhite = 0xFFFFFFFF;

class ColourDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        user_ = UserColourOptionsFile();
        defaults_ = fs::path(DZ_DATA_DIR) / "DefaultData" / "color_option_info.config";
    }
    void TearDown() override {
        dialog_.reset();
        ::unsetenv("DOZADIR_DATA_HOME");
    }

    CColorSelectWnd& Make(QRgb colour = kRed, bool seven_choice = false) {
        dialog_ = std::make_unique<CColorSelectWnd>(nullptr);
        dialog_->SetOptionFiles(user_, defaults_);
        EXPECT_TRUE(dialog_->Create());
        dialog_->SetColor(colour);
        dialog_->ShowSevenColorChoice(seven_choice);
        return *dialog_;
    }
    // Runs the dialog modally; `steps` run inside its loop, after its initialisation, and
    // end it (the dialog is closed with 0 if they do not).
    int Run(const std::function<void()>& steps) {
        QTimer::singleShot(0, dialog_.get(), [this, steps] {
            steps();
            if (dialog_->IsModalRunning()) dialog_->Close(CColorSelectWnd::kClosed);
        });
        return dialog_->ShowModal();
    }
    QAbstractButton* Button(const QString& name) const {
        auto* b = dialog_->findChild<QAbstractButton*>(name);
        EXPECT_NE(b, nullptr) << name.toStdString();
        return b;
    }
    QAbstractButton* Preset(int n) const {
        return Button(QStringLiteral("color_option_%1").arg(n));
    }
    QAbstractButton* Collected(int n) const {
        return Button(QStringLiteral("collect_color_option_%1").arg(n));
    }
    QLineEdit* Edit(const char* name) const {
        return dialog_->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QWidget* Palette() const { return dialog_->findChild<QWidget*>(QStringLiteral("Pallet")); }
    QRgb Shown() const {
        return ui::BkColor(dialog_->findChild<QWidget*>(QStringLiteral("color_show_btn")));
    }
    // The user types into an edit and leaves it.
    static void Type(QLineEdit* e, const QString& text) {
        e->setText(text);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(e, &out);
    }
    // A pick on the palette, as a click there raises it.
    void Pick(QRgb colour) const { ui::SetSelectColor(Palette(), colour, true); }
    [[nodiscard]] Json::Value File() const { return ReadJsonFile(user_); }
    [[nodiscard]] static const Json::Value& CollectedEntry(const Json::Value& file, int n) {
        return file["coloroptioninfo"]["palletDialogcollectcoloroption"][n];
    }
    // The default file with collected swatch `n` holding `colour`, and more edits.
    void WriteUserFile(const std::function<void(Json::Value&)>& edit) const {
        Json::Value file = ReadJsonFile(defaults_);
        edit(file["coloroptioninfo"]);
        test::WriteJson(user_, file);
    }
    static bool EmptyPlace(const QWidget* swatch) {
        return ui::BkColor(swatch) == kWhite && swatch->property("bordersize").toInt() == 1 &&
               ui::UserData(swatch) != QLatin1String("1");
    }

    test::TempFolder home_;
    fs::path user_, defaults_;
    std::unique_ptr<CColorSelectWnd> dialog_;
};

TEST_F(ColourDialogTest, AStoredCollectedSelectionLeavesNoSwatchTakingColoursUntilOneIsPicked) {
    WriteUserFile([](Json::Value& info) {
        info["palletDialogcollectcoloroption_selectitem"] = 3;
        info["palletDialogcollectcoloroption"][3]["color"] = "FF112233";
        info["palletDialogcollectcoloroption"][3]["UserData"] = "1";
    });
    Make();
    const int result = Run([&] {
        EXPECT_EQ(dialog_->CollectedIndex(), -1);
        EXPECT_EQ(ui::BkColor(Collected(3)), 0xFF112233u) << "the stored colour shows";
        EXPECT_EQ(Collected(3)->property("bordersize").toInt(), 0);
        const std::string before = test::ReadText(user_);
        Pick(0xFF0000FF);
        EXPECT_EQ(Shown(), 0xFF0000FFu);
        for (int n = 0; n < kColourSwatches; ++n)
            EXPECT_EQ(ui::BkColor(Collected(n)), n == 3 ? 0xFF112233u : kWhite) << n;
        EXPECT_EQ(test::ReadText(user_), before) << "nothing was collected";

        Collected(5)->click();  // an empty swatch: the next colour goes there
        EXPECT_EQ(dialog_->CollectedIndex(), 5);
        EXPECT_EQ(Shown(), 0xFF0000FFu) << "picking an empty swatch shows nothing new";
        Pick(0xFF00FF00);
        EXPECT_EQ(ui::BkColor(Collected(5)), 0xFF00FF00u);
        EXPECT_EQ(ui::UserData(Collected(5)), "1");
        const Json::Value file = File();
        EXPECT_EQ(CollectedEntry(file, 5)["color"].asString(), "FF00FF00");
        EXPECT_EQ(file["coloroptioninfo"]["palletDialogcollectcoloroption_selectitem"].asInt(), 5);
        Button(QStringLiteral("closebtn"))->click();
    });
    EXPECT_EQ(result, CColorSelectWnd::kClosed);
}

TEST_F(ColourDialogTest, TypedComponentsAreHeldToAByte) {
    Make(0xFF102030);
    const int result = Run([&] {
        EXPECT_EQ(Edit("color_edit_r")->text(), "16");
        EXPECT_EQ(Edit("color_edit_g")->text(), "32");
        EXPECT_EQ(Edit("color_edit_b")->text(), "48");
        Type(Edit("color_edit_r"), QStringLiteral("300"));
        EXPECT_EQ(Edit("color_edit_r")->text(), "255");
        EXPECT_EQ(qRed(Shown()), 255);
        Type(Edit("color_edit_g"), QString());
        EXPECT_EQ(Edit("color_edit_g")->text(), "0");
        EXPECT_EQ(Shown(), 0xFFFF0030u);
        EXPECT_EQ(ui::SelectColor(Palette()), 0xFFFF0030u) << "the palette follows";
        // Enter takes the value as leaving the edit does.
        Edit("color_edit_b")->setText(QStringLiteral("17"));
        QTest::keyClick(Edit("color_edit_b"), Qt::Key_Return);
        EXPECT_EQ(Shown(), 0xFFFF0011u);
        Button(QStringLiteral("okbtn"))->click();
    });
    EXPECT_EQ(result, CColorSelectWnd::kChosen);
    EXPECT_EQ(dialog_->GetColor(), 0xFFFF0011u);
}

TEST_F(ColourDialogTest, AnEmptyCollectedSwatchTakesThePresetPickedNext) {
    Make();
    const int result = Run([&] {
        Collected(2)->click();
        EXPECT_TRUE(EmptyPlace(Collected(2))) << "selected, still empty";
        const QRgb preset = ui::BkColor(Preset(7));
        Preset(7)->click();
        EXPECT_EQ(dialog_->PresetIndex(), 7);
        EXPECT_EQ(ui::BkColor(Collected(2)), preset);
        EXPECT_EQ(Collected(2)->property("selectedbkcolor").value<QColor>().rgba(), preset);
        EXPECT_EQ(ui::UserData(Collected(2)), "1");
        EXPECT_EQ(Collected(2)->property("bordersize").toInt(), 0);
        EXPECT_EQ(Shown(), preset);
        EXPECT_EQ(Edit("color_edit_b")->text(), QString::number(qBlue(preset)));
        const Json::Value file = File();
        EXPECT_EQ(CollectedEntry(file, 2)["color"].asString(), ColourText(preset));
        EXPECT_EQ(CollectedEntry(file, 2)["UserData"].asString(), "1");
        EXPECT_EQ(file["coloroptioninfo"]["palletDialogcoloroption_selectitem"].asInt(), 7);
        // Every colour in the file is eight upper-case hexadecimal digits.
        const QRegularExpression eight(QStringLiteral("^[0-9A-F]{8}$"));
        for (const char* list : {"palletDialogcoloroption", "palletDialogcollectcoloroption"}) {
            ASSERT_EQ(file["coloroptioninfo"][list].size(), 20u) << list;
            for (const Json::Value& e : file["coloroptioninfo"][list])
                EXPECT_TRUE(eight.match(QString::fromStdString(e["color"].asString())).hasMatch())
                    << list << ": " << e["color"].asString();
        }
        EXPECT_EQ(file["coloroptioninfo"]["palletDialogcoloroption"][7]["color"].asString(),
                  ColourText(preset));

        // Trying the palette, then the same preset again: a second click picks it again.
        Pick(0xFF0000FF);
        Preset(7)->click();
        EXPECT_EQ(Shown(), preset);
    });
    EXPECT_EQ(result, CColorSelectWnd::kClosed);
}

TEST_F(ColourDialogTest, OkGivesAFilledCollectedSwatchsColour) {
    WriteUserFile([](Json::Value& info) {
        info["palletDialogcollectcoloroption"][4]["color"] = "FF445566";
        info["palletDialogcollectcoloroption"][4]["UserData"] = "1";
    });
    Make(kRed);
    const int result = Run([&] {
        Collected(4)->click();
        EXPECT_EQ(Shown(), 0xFF445566u);
        EXPECT_EQ(ui::SelectColor(Palette()), 0xFF445566u);
        EXPECT_EQ(Edit("color_edit_g")->text(), "85");
        EXPECT_EQ(dialog_->GetColor(), kRed) << "the shown colour is only taken by OK";
        Button(QStringLiteral("okbtn"))->click();
    });
    EXPECT_EQ(result, CColorSelectWnd::kChosen);
    EXPECT_EQ(dialog_->GetColor(), 0xFF445566u);
}

TEST_F(ColourDialogTest, TheWindowButtonsAndKeysThatEndItReturnZero) {
    struct Case {
        const char* name;
        std::function<void()> end;
    };
    const std::vector<Case> cases = {
        {"closebtn", [&] { Button(QStringLiteral("closebtn"))->click(); }},
        {"laterbtn", [&] { Button(QStringLiteral("laterbtn"))->click(); }},
        {"Escape", [&] { QTest::keyClick(dialog_.get(), Qt::Key_Escape); }},
        {"the desktop's close", [&] { dialog_->close(); }},
    };
    for (const Case& c : cases) {
        Make(kRed);
        bool ran = false;
        const int result = Run([&] {
            Preset(3)->click();  // another colour, which none of these keeps
            ran = true;
            c.end();
            EXPECT_FALSE(dialog_->isVisible()) << c.name;
        });
        EXPECT_TRUE(ran) << c.name;
        EXPECT_EQ(result, CColorSelectWnd::kClosed) << c.name;
    }
}

TEST_F(ColourDialogTest, TheSevenColourChoice) {
    Make(kRed, true);
    dialog_->SetSevenColorFlag(true);
    QWidget* show = dialog_->findChild<QWidget*>(QStringLiteral("color_show_btn"));
    const int result = Run([&] {
        EXPECT_TRUE(Button(QStringLiteral("7color"))->isChecked());
        EXPECT_EQ(ui::BkImage(show), "common/base1.png");
        Pick(0xFF00FF00);
        EXPECT_FALSE(Button(QStringLiteral("7color"))->isChecked()) << "a colour ends the cycle";
        EXPECT_TRUE(ui::BkImage(show).isEmpty());
        Button(QStringLiteral("7color"))->click();
        EXPECT_EQ(ui::BkImage(show), "common/base1.png");
        Button(QStringLiteral("okbtn"))->click();
    });
    EXPECT_EQ(result, CColorSelectWnd::kChosen);
    EXPECT_TRUE(dialog_->GetSevenColor());
    EXPECT_EQ(dialog_->GetColor(), 0xFF00FF00u);

    Make(kRed, false);
    dialog_->SetSevenColorFlag(true);
    dialog_->ShowSevenColorChoice(false);
    (void)Run([&] {
        EXPECT_TRUE(dialog_->findChild<QWidget*>(QStringLiteral("7color_layout"))->isHidden());
        EXPECT_FALSE(Button(QStringLiteral("7color"))->isChecked());
        EXPECT_FALSE(Button(QStringLiteral("7color"))->isEnabled());
    });
    EXPECT_FALSE(dialog_->GetSevenColor());
}

TEST_F(ColourDialogTest, DpiValuesAndSize) {
    Make();
    EXPECT_EQ(dialog_->size(), QSize(800, 572)) << "the skin's size at 96 DPI";
    ui::test::LogCapture log;
    dialog_->SetDpi(100);
    EXPECT_TRUE(log.Contains("SET_WND DPI SET ERROR"));
    EXPECT_EQ(dialog_->GetDPI(), 96);
    dialog_->SetDpi(144);
    EXPECT_EQ(dialog_->GetDPI(), 144);
    EXPECT_EQ(dialog_->size(), QSize(1200, 858));
}

TEST_F(ColourDialogTest, FilesOfEveryShapeOpenWithSaneSwatches) {
    struct Case {
        const char* name;
        std::string text;
        // The collected swatches that show a colour, and it.
        std::vector<std::pair<int, QRgb>> filled;
    };
    Json::Value three = J(R"({"coloroptioninfo": {"palletDialogcollectcoloroption": [
        {"color": "FF010203", "UserData": "1"}, {"color": "FF040506"},
        {"color": "FF070809", "UserData": "1"}]}})");
    Json::Value long_list = three;
    for (int n = 3; n < 300; ++n)
        long_list["coloroptioninfo"]["palletDialogcollectcoloroption"][n] =
            J(R"({"color": "FF0A0B0C", "UserData": "1"})");
    // 300 entries: the first twenty count, all collected but entry 1.
    std::vector<std::pair<int, QRgb>> all_but_one{{0, 0xFF010203}, {2, 0xFF070809}};
    for (int n = 3; n < kColourSwatches; ++n) all_but_one.emplace_back(n, 0xFF0A0B0C);
    const std::vector<Case> cases = {
        {"not JSON", "{ \"coloroptioninfo\": ", {}},
        {"an array", "[1, 2, 3]", {}},
        {"3 entries", StyledJsonText(three), {{0, 0xFF010203}, {2, 0xFF070809}}},
        {"300 entries", StyledJsonText(long_list), all_but_one},
        {"colours that are no hexadecimal or too long",
         R"({"coloroptioninfo": {"palletDialogcollectcoloroption": [
             {"color": "zz", "UserData": "1"}, {"color": "12FF00FF00", "UserData": "1"},
             {"color": "0000FF8000", "UserData": "1"}, {"color": 4278190335, "UserData": "1"},
             {"color": "80ff0000xyz", "UserData": "1"}]}})",
         {{0, 0}, {2, 0xFF8000}, {4, 0x80FF0000}}},
        {"user data that is no text",
         R"({"coloroptioninfo": {"palletDialogcollectcoloroption": [
             {"color": "FF112233", "UserData": 1}, {"color": "FF112233", "UserData": ["1"]},
             {"color": "FF445566", "UserData": "1"}]}})",
         {{2, 0xFF445566}}},
        {"members of the wrong kind",
         R"({"coloroptioninfo": {"palletDialogcollectcoloroption": {"0": 1},
             "palletDialogcoloroption_selectitem": "x",
             "palletDialogcollectcoloroption_selectitem": null}})",
         {}},
    };
    for (const Case& c : cases) {
        test::WriteText(user_, c.text);
        Make();
        (void)Run([&] {
            for (int n = 0; n < kColourSwatches; ++n) {
                QRgb want = kWhite;
                bool filled = false;
                for (const auto& [at, colour] : c.filled)
                    if (at == n) {
                        want = colour;
                        filled = true;
                    }
                EXPECT_EQ(ui::BkColor(Collected(n)), want) << c.name << " swatch " << n;
                EXPECT_EQ(Collected(n)->property("bordersize").toInt(), filled ? 0 : 1)
                    << c.name << " swatch " << n;
            }
            // The dialog still works on what it has.
            Collected(7)->click();
            Pick(0xFF332211);
            EXPECT_EQ(ui::BkColor(Collected(7)), 0xFF332211u) << c.name;
        });
        const Json::Value file = File();
        EXPECT_EQ(CollectedEntry(file, 7)["color"].asString(), "FF332211") << c.name;
    }
}

TEST_F(ColourDialogTest, ADamagedFileIsReplacedByTheDefaultCopyAndKeptBesideIt) {
    test::WriteText(user_, "{ damaged");
    Make();
    (void)Run([] {});
    EXPECT_EQ(test::ReadText(user_), StyledJsonText(ReadJsonFile(defaults_)));
    int kept = 0;
    for (const auto& e : fs::directory_iterator(user_.parent_path()))
        if (e.path().filename().string().rfind("color_option_info.config.broken-", 0) == 0) {
            EXPECT_EQ(test::ReadText(e.path()), "{ damaged");
            ++kept;
        }
    EXPECT_EQ(kept, 1);

    // A missing file takes the copy too; without a copy nothing is written.
    fs::remove(user_);
    Make();
    (void)Run([] {});
    EXPECT_TRUE(ReadJsonFile(user_).isObject());
    fs::remove(user_);
    defaults_ = home_ / "none.config";
    Make();
    (void)Run([&] {
        EXPECT_FALSE(fs::exists(user_));
        EXPECT_EQ(ui::BkColor(Preset(0)), 0xFFFF0000u) << "the skin's swatches";
        EXPECT_TRUE(EmptyPlace(Collected(0)));
    });
}

TEST_F(ColourDialogTest, BothSavesKeepTheOtherListAndWhatTheyDoNotKnow) {
    WriteUserFile([](Json::Value& info) {
        info["mine"] = "kept";
        info["palletDialogcollectcoloroption"][1]["color"] = "FF998877";
        info["palletDialogcollectcoloroption"][1]["UserData"] = "1";
        info["palletDialogcollectcoloroption"][1]["Note"] = "by hand";
        info["palletDialogcollectcoloroption"][24] = J(R"({"color": "FF000001"})");
        info["palletDialogcoloroption"][2]["Note"] = "by hand";
    });
    {
        Json::Value file = ReadJsonFile(user_);
        file["other"] = J(R"({"a": [1, 2]})");
        test::WriteJson(user_, file);
    }
    Make();
    (void)Run([&] {
        Preset(9)->click();  // rewrites the presets
        Json::Value file = File();
        EXPECT_EQ(file["other"]["a"][1].asInt(), 2);
        EXPECT_EQ(file["coloroptioninfo"]["mine"].asString(), "kept");
        EXPECT_EQ(CollectedEntry(file, 1)["color"].asString(), "FF998877");
        EXPECT_EQ(CollectedEntry(file, 24)["color"].asString(), "FF000001");
        EXPECT_EQ(file["coloroptioninfo"]["palletDialogcoloroption"][2]["Note"].asString(),
                  "by hand");
        Collected(1)->click();  // a filled swatch: rewrites the collected list
        file = File();
        EXPECT_EQ(file["coloroptioninfo"]["palletDialogcoloroption_selectitem"].asInt(), 9);
        EXPECT_EQ(file["coloroptioninfo"]["palletDialogcoloroption"][9]["color"].asString(),
                  ColourText(ui::BkColor(Preset(9))));
        EXPECT_EQ(CollectedEntry(file, 1)["Note"].asString(), "by hand");
        EXPECT_EQ(CollectedEntry(file, 24)["color"].asString(), "FF000001");
        EXPECT_EQ(file["other"]["a"][0].asInt(), 1);
    });
}

TEST_F(ColourDialogTest, CallersGetOneDialogAtATimeAndKeepTheirColourWithoutOk) {
    ColourAnswer inner;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        CColorSelectWnd* open = CColorSelectWnd::OpenDialog();
        ASSERT_NE(open, nullptr);
        checked = true;
        EXPECT_EQ(open->objectName(), "PalletDialog");
        EXPECT_EQ(open->windowTitle(), "  ");
        EXPECT_EQ(open->size(), QSize(800, 572));
        EXPECT_TRUE(open->isModal());
        EXPECT_TRUE(open->findChild<QWidget*>(QStringLiteral("7color_layout"))->isHidden());
        inner = ChooseColour(nullptr, {0xFF0000FF, false, false});
        open->findChild<QAbstractButton*>(QStringLiteral("color_option_4"))->click();
        open->findChild<QAbstractButton*>(QStringLiteral("closebtn"))->click();
    });
    const ColourAnswer answer = RequestColour(nullptr, {0xFF102030, false, false});
    EXPECT_TRUE(checked);
    EXPECT_EQ(inner.result, -1) << "a second dialog is not opened";
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.colour, 0xFF102030u) << "the caller's colour";
    EXPECT_EQ(CColorSelectWnd::OpenDialog(), nullptr);

    QTimer::singleShot(0, [&] {
        CColorSelectWnd* open = CColorSelectWnd::OpenDialog();
        ASSERT_NE(open, nullptr);
        open->findChild<QAbstractButton*>(QStringLiteral("color_option_8"))->click();
        open->findChild<QAbstractButton*>(QStringLiteral("okbtn"))->click();
    });
    const ColourAnswer chosen = ChooseColour(nullptr, {0xFF102030, false, false});
    EXPECT_EQ(chosen.result, 1);
    EXPECT_EQ(chosen.colour, 0xFF0000FFu) << "preset 8 of the skin";
}

TEST_F(ColourDialogTest, AnOwnerThatGoesWhileTheDialogRunsEndsItWithoutAChoice) {
    auto* owner = new QWidget;
    auto* from = new QWidget(owner);
    owner->show();
    QTimer::singleShot(0, [&] {
        ASSERT_NE(CColorSelectWnd::OpenDialog(), nullptr);
        EXPECT_EQ(CColorSelectWnd::OpenDialog()->parentWidget(), owner);
        CColorSelectWnd::OpenDialog()
            ->findChild<QAbstractButton*>(QStringLiteral("color_option_3"))
            ->click();
        delete owner;  // the dialog goes with it
    });
    const ColourAnswer answer = ChooseColour(from, {0xFF102030, false, false});
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.colour, 0xFF102030u);
    EXPECT_EQ(CColorSelectWnd::OpenDialog(), nullptr);
}

TEST(ColourOptionsFile, ColourTexts) {
    EXPECT_EQ(ColourText(0xFF0080C0), "FF0080C0");
    EXPECT_EQ(ColourText(0x0000000A), "0000000A");
    struct Case {
        const char* text;
        std::optional<uint32_t> value;
    };
    for (const Case& c : std::vector<Case>{{"FF0080C0", 0xFF0080C0},
                                           {"ff0080c0", 0xFF0080C0},
                                           {"  80C0", 0x80C0},
                                           {"12G4", 0x12},
                                           {"xyz", 0},
                                           {"", 0},
                                           {"00000000FF0080C0", 0xFF0080C0},
                                           {"1FF0080C0", std::nullopt},
                                           {"FFFFFFFFFFFFFFFFFFFF", std::nullopt}})
        EXPECT_EQ(ParseColourText(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace dz::panels
