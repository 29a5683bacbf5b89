// The shooting-pattern files as the panel and dozadirctl use them: a bullet's six events,
// what the mouse gets for files of any shape, the byte copies of reset, import and export,
// the opening's replacement of files that are no JSON, and the default patterns.
#include "models/mouse_shoot.h"

#include <gtest/gtest.h>

#include <numeric>

#include "models/macro_image.h"
#include "platform/paths/paths.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::J;
using test::ReadText;
using test::WriteJson;
using test::WriteText;

std::string EventsText(const Json::Value& events) {
    return StyledJsonText(events);
}

// The table's events of a bullet, written out by hand.
Json::Value TableBullet(const char* horizontal, int x, const char* vertical, int y, int delay) {
    Json::Value e(Json::arrayValue);
    auto add = [&](const char* action, int button, int d, int type) {
        Json::Value v;
        v["Action"] = action;
        v["Button"] = button;
        v["Delay"] = d;
        v["Type"] = type;
        e.append(v);
    };
    add("down", 1, 10, 1);
    add("up", 1, 0, 1);
    add(horizontal, x, 5, 4);
    add(vertical, y, delay, 5);
    add(horizontal, 0, 0, 4);
    add(vertical, 0, 0, 5);
    return e;
}

// A pattern file of `n` complete-looking events (bullet b moves b down).
Json::Value FileOfEvents(size_t n) {
    Json::Value events(Json::arrayValue);
    Json::Value bullet;
    for (size_t i = 0; i < n; ++i) {
        if (i % 6 == 0) bullet = TableBullet("up", 0, "up", int(i / 6 % 256), 50);
        events.append(bullet[Json::ArrayIndex(i % 6)]);
    }
    Json::Value file;
    file["Events"] = events;
    return file;
}

TEST(ShootBullets, SavingABulletWritesItsSixEventsAsTheTableGivesThem) {
    Json::Value file = J(R"({"Name": "mine", "Version": 3})");
    PutBullet(file, 0, {true, 3, false, 7, 95});
    EXPECT_EQ(EventsText(file["Events"]), EventsText(TableBullet("down", 3, "up", 7, 95)));
    EXPECT_EQ(file["Name"].asString(), "mine") << "other members stay";
    EXPECT_EQ(file["Version"].asInt(), 3);

    PutBullet(file, 0, {false, 0, true, 12, 40});
    EXPECT_EQ(EventsText(file["Events"]), EventsText(TableBullet("up", 0, "down", 12, 40)))
        << "the same six events rewritten, nothing added";

    // Bullet 29 of an empty file: 180 events, the earlier ones null.
    Json::Value empty;
    PutBullet(empty, 29, {false, 300, false, 2, 70});
    ASSERT_EQ(empty["Events"].size(), 180u);
    for (Json::ArrayIndex i = 0; i < 174; ++i) EXPECT_TRUE(empty["Events"][i].isNull()) << i;
    EXPECT_EQ(empty["Events"][176]["Button"].asInt(), 300) << "the file keeps the typed value";
    EXPECT_EQ(BulletOf(empty, 29), (ShootBullet{false, 300, false, 2, 70}));
    EXPECT_EQ(BulletOf(empty, 3), ShootBullet{}) << "a null bullet reads as no move";

    // A tree that is no object takes the bullet as a new one.
    Json::Value not_object = J("[1, 2]");
    PutBullet(not_object, 1, {true, 1, true, 1, 1});
    ASSERT_TRUE(not_object.isObject());
    EXPECT_EQ(not_object["Events"].size(), 12u);
}

TEST(ShootBullets, ABulletReadsWhatTheFileHolds) {
    struct Case {
        const char* file;
        ShootBullet bullet;
    };
    const std::vector<Case> cases = {
        {R"({})", {}},
        {R"({"Events": 7})", {}},
        {R"({"Events": [null, null, {"Action": "down", "Button": 4, "Delay": 5, "Type": 4},
            {"Action": "down", "Button": 6, "Delay": 120, "Type": 5}]})",
         {true, 4, true, 6, 120}},
        // A delay as text, as macro files keep theirs; a direction that is not "down".
        {R"({"Events": [{}, {}, {"Action": "UP", "Button": 2},
            {"Action": "sideways", "Button": 9, "Delay": "85"}]})",
         {false, 2, false, 9, 85}},
        // Values of the wrong type read as 0.
        {R"({"Events": [{}, {}, {"Action": 1, "Button": "x"}, {"Button": [1], "Delay": {}}]})", {}},
        {R"({"Events": [{}, {}, {"Button": 300}, {"Button": -4, "Delay": 70000}]})",
         {false, 300, false, -4, 70000}},
    };
    for (const Case& c : cases) EXPECT_EQ(BulletOf(J(c.file), 0), c.bullet) << c.file;
    EXPECT_EQ(BulletOf(J(cases[2].file), 30), ShootBullet{}) << "no bullet 30";
    EXPECT_EQ(BulletsOf(J("{}")).size(), 30u);
}

TEST(ShootImage, WhatTheMouseGetsForFilesOfAnyShape) {
    const std::vector<MacroEvent> still = BulletEvents({});
    struct Case {
        const char* name;
        Json::Value file;
        size_t events;
    };
    Json::Value nulls;
    PutBullet(nulls, 29, {true, 5, false, 8, 60});
    Json::Value wrong = FileOfEvents(12);
    wrong["Events"][1] = 5;
    wrong["Events"][8] = "text";
    wrong["Events"][9] = Json::Value(Json::arrayValue);
    const std::vector<Case> cases = {
        {"no file", Json::Value(), 0},
        {"no events", J(R"({"Events": []})"), 0},
        {"events no list", J(R"({"Events": {"0": 1}})"), 0},
        {"179 events", FileOfEvents(179), 179},
        {"180 events", FileOfEvents(180), 180},
        {"181 events", FileOfEvents(181), 180},
        {"100000 events", FileOfEvents(100000), 180},
        {"bullet 29 only", nulls, 180},
        {"entries that are no events", wrong, 12},
    };
    for (const Case& c : cases) {
        const std::vector<MacroEvent> events = PatternEvents(c.file);
        ASSERT_EQ(events.size(), c.events) << c.name;
        const Json::Value& list = c.file["Events"];
        for (size_t i = 0; i < events.size(); ++i) {
            const Json::Value& element = list[Json::ArrayIndex(i)];
            // Every event is the file's own, or the still bullet's event of its place.
            const MacroEvent want = element.isObject() ? EventFromJson(element) : still[i % 6];
            EXPECT_EQ(events[i], want) << c.name << " event " << i;
        }
    }
    const std::vector<MacroEvent> last = PatternEvents(nulls);
    EXPECT_EQ(ToDeviceCode(last[0]), (MacroEventCode{10, 0, 0x81, 1})) << "a shot of button 1";
    EXPECT_EQ(ToDeviceCode(last[2]), (MacroEventCode{5, 0, 0x04, 0})) << "no move sideways";
    EXPECT_EQ(ToDeviceCode(last[176]), (MacroEventCode{5, 0, 0x84, 5})) << "5 to the left";
    EXPECT_EQ(ToDeviceCode(last[177]), (MacroEventCode{60, 0, 0x05, 8})) << "8 down after 60 ms";

    // The four files as one image: well formed whatever they hold.
    test::TempFolder folder;
    WriteJson(folder / ShootFileName(0), FileOfEvents(100000));
    Json::Value wide;
    PutBullet(wide, 0, {false, 300, false, 1, 1});
    WriteJson(folder / ShootFileName(1), wide);
    WriteText(folder / ShootFileName(2), "{ not json");
    const std::vector<uint8_t> image = BuildShootImage(folder.path());
    const size_t size = 16 + 6 * 4 + 4 * (180 + 6);
    ASSERT_EQ(image.size(), size);
    EXPECT_EQ(image[2] | image[3] << 8, int(size));
    EXPECT_EQ(image[4], 4);
    const size_t second = image[16 + 2] | image[16 + 3] << 8;
    EXPECT_EQ(image[second + 4 + 4 * 2 + 3], 44) << "300 reaches the mouse as its low byte";
}

class ShootFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folders_.data);
        fs::create_directories(folders_.defaults);
        for (int gun = 0; gun < kShootPatternCount; ++gun)
            WriteJson(folders_.DefaultFile(gun), FileOfEvents(180));
    }
    [[nodiscard]] std::vector<fs::path> BrokenCopies() const {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(folders_.data))
            if (e.path().filename().string().find(".broken-") != std::string::npos)
                out.push_back(e.path());
        return out;
    }
    test::TempFolder root_;
    ShootFolders folders_{root_ / "mouse", root_ / "DefaultData"};
};

TEST_F(ShootFilesTest, SavingABulletRewritesItsEventsAndKeepsTheRest) {
    const std::string other = R"({"Comment": "by hand", "Events": []})";
    WriteText(folders_.File(1), other);
    ASSERT_TRUE(SaveShootBullet(folders_, 1, 0, {true, 2, false, 4, 90}));
    const Json::Value saved = ReadShootFile(folders_, 1);
    EXPECT_EQ(saved["Comment"].asString(), "by hand");
    EXPECT_EQ(EventsText(saved["Events"]), EventsText(TableBullet("down", 2, "up", 4, 90)));

    ASSERT_TRUE(SaveShootBullet(folders_, 2, 5, {false, 1, true, 3, 50}));
    EXPECT_EQ(ReadShootFile(folders_, 2)["Events"].size(), 36u) << "a missing file is made";

    WriteText(folders_.File(3), "{ damaged");
    ASSERT_TRUE(SaveShootBullet(folders_, 3, 0, {}));
    ASSERT_EQ(BrokenCopies().size(), 1u) << "the damaged file is kept beside";
    EXPECT_EQ(ReadText(BrokenCopies()[0]), "{ damaged");

    fs::create_directories(folders_.File(0));  // there, but no file to read
    EXPECT_FALSE(SaveShootBullet(folders_, 0, 0, {}));
    EXPECT_TRUE(fs::is_directory(folders_.File(0)));

    EXPECT_FALSE(SaveShootBullet(folders_, 4, 0, {})) << "no gun 4";
    EXPECT_FALSE(SaveShootBullet(folders_, 1, 30, {})) << "no bullet 30";
}

TEST_F(ShootFilesTest, CopiesAreByteForByteAndASourceThatCannotBeUsedLeavesTheTarget) {
    const std::string kept = "{\"Events\": [], \"mine\": true}\n";
    const std::string odd = "// a pattern\r\n{ \"Events\" : [ ] }\r\n";
    WriteText(root_ / "odd.shoot", odd);
    WriteText(root_ / "text.shoot", "not a pattern");
    fs::create_directories(root_ / "folder.shoot");
    struct Case {
        const char* name;
        std::function<FileCopyResult()> run;
        FileCopyResult result;
        std::string target_after;  // what the working file of gun 0 holds then
    };
    const std::string default_text = ReadText(folders_.DefaultFile(0));
    const std::vector<Case> cases = {
        {"reset", [&] { return ResetShootGun(folders_, 0); }, FileCopyResult::kDone, default_text},
        {"import", [&] { return ImportShootGun(folders_, 0, root_ / "odd.shoot"); },
         FileCopyResult::kDone, odd},
        {"import of a missing file",
         [&] { return ImportShootGun(folders_, 0, root_ / "none.shoot"); },
         FileCopyResult::kSourceMissing, kept},
        {"import of a file that is no pattern",
         [&] { return ImportShootGun(folders_, 0, root_ / "text.shoot"); },
         FileCopyResult::kSourceNotJson, kept},
        {"import of a folder", [&] { return ImportShootGun(folders_, 0, root_ / "folder.shoot"); },
         FileCopyResult::kSourceUnreadable, kept},
        {"import of no path", [&] { return ImportShootGun(folders_, 0, {}); },
         FileCopyResult::kSourceMissing, kept},
        {"reset without a default copy",
         [&] {
             fs::remove(folders_.DefaultFile(0));
             return ResetShootGun(folders_, 0);
         },
         FileCopyResult::kSourceMissing, kept},
    };
    for (const Case& c : cases) {
        WriteText(folders_.File(0), kept);
        EXPECT_EQ(c.run(), c.result) << c.name;
        EXPECT_EQ(ReadText(folders_.File(0)), c.target_after) << c.name;
    }

    // The working file is the user's: a damaged one is kept beside it, one that cannot be
    // read is not replaced.
    WriteText(folders_.File(1), "{ damaged");
    EXPECT_EQ(ImportShootGun(folders_, 1, root_ / "odd.shoot"), FileCopyResult::kDone);
    ASSERT_EQ(BrokenCopies().size(), 1u);
    EXPECT_EQ(ReadText(BrokenCopies()[0]), "{ damaged");
    fs::remove(folders_.File(1));
    fs::create_directories(folders_.File(1));
    EXPECT_EQ(ImportShootGun(folders_, 1, root_ / "odd.shoot"), FileCopyResult::kTargetKept);
    EXPECT_TRUE(fs::is_directory(folders_.File(1)));

    WriteText(folders_.File(2), odd);
    WriteText(root_ / "out.shoot", "old export");
    EXPECT_EQ(ExportShootGun(folders_, 2, root_ / "out.shoot"), FileCopyResult::kDone);
    EXPECT_EQ(ReadText(root_ / "out.shoot"), odd) << "the export replaces what was there";
    EXPECT_EQ(ExportShootGun(folders_, 3, root_ / "none.shoot"), FileCopyResult::kSourceMissing);
    EXPECT_FALSE(fs::exists(root_ / "none.shoot")) << "nothing is written without a source";
    EXPECT_EQ(ExportShootGun(folders_, 2, {}), FileCopyResult::kSourceMissing);
}

TEST_F(ShootFilesTest, OpeningGivesFilesThatAreNoJsonTheirDefaultCopy) {
    WriteText(folders_.File(1), "{ damaged");
    const std::string custom = StyledJsonText(FileOfEvents(6));
    WriteText(folders_.File(2), custom);
    fs::create_directories(folders_.File(3));  // cannot be read: left alone
    EXPECT_EQ(EnsureShootFiles(folders_), (std::vector<int>{0, 1}));
    EXPECT_EQ(ReadText(folders_.File(0)), ReadText(folders_.DefaultFile(0)));
    EXPECT_EQ(ReadText(folders_.File(1)), ReadText(folders_.DefaultFile(1)));
    ASSERT_EQ(BrokenCopies().size(), 1u);
    EXPECT_EQ(ReadText(BrokenCopies()[0]), "{ damaged");
    EXPECT_EQ(ReadText(folders_.File(2)), custom);
    EXPECT_TRUE(fs::is_directory(folders_.File(3)));
    EXPECT_TRUE(EnsureShootFiles(folders_).empty()) << "nothing left to replace";

    // Without default copies the guns stay empty; the image has entries without events.
    ShootFolders bare{root_ / "other", root_ / "no-defaults"};
    fs::create_directories(bare.data);
    EXPECT_TRUE(EnsureShootFiles(bare).empty());
    EXPECT_FALSE(fs::exists(bare.File(0)));
    EXPECT_EQ(BuildShootImage(bare.data).size(), 16u + 6 * 4);
}

TEST(ShootDefaults, EveryGunHasThirtyWholeBulletsThatPullDown) {
    for (int gun = 0; gun < kShootPatternCount; ++gun) {
        const fs::path path = paths::DefaultDataFolder() / ShootFileName(gun);
        const JsonFileRead read = ReadJsonFileChecked(path);
        ASSERT_TRUE(read.Parsed()) << path;
        ASSERT_EQ(read.value["Events"].size(), 180u) << path;
        int pulled = 0;
        for (int b = 0; b < kShootBullets; ++b) {
            const ShootBullet bullet = BulletOf(read.value, b);
            Json::Value again;
            PutBullet(again, 0, bullet);
            for (Json::ArrayIndex k = 0; k < 6; ++k)
                EXPECT_EQ(read.value["Events"][Json::ArrayIndex(6 * b) + k], again["Events"][k])
                    << path << " bullet " << b << " event " << k << " is the table's";
            EXPECT_FALSE(bullet.up) << "a pull-down pattern";
            EXPECT_GE(bullet.y, 1);
            EXPECT_LE(bullet.x, 255);
            EXPECT_LE(bullet.y, 255);
            EXPECT_GE(bullet.delay, 50);
            pulled += bullet.y;
        }
        EXPECT_GT(pulled, 60) << path;
    }
}

}  // namespace
}  // namespace dz
