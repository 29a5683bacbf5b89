// The mouse's DPI scale: the figure of a slider position and the position of a typed figure,
// on the plain scale and on the two-slope scale of sensor 0x3325, with the information
// blocks and texts that do not make sense.
#include "models/mouse_dpi.h"

#include <gtest/gtest.h>

#include "models/mouse_info.h"

namespace dz {
namespace {

constexpr DpiScale kPlain{0x3389, 50, 319, 100};
constexpr DpiScale kTwoSlope{kTwoSlopeSensor, 100, 74, 100};

TEST(MouseDpiScale, FigureOfAPosition) {
    struct Case {
        DpiScale scale;
        int position;
        int64_t figure;
    };
    for (const Case& c : std::vector<Case>{
             {kPlain, 0, 100},
             {kPlain, 10, 600},
             {kPlain, 319, 16050},
             {kTwoSlope, 48, 4900},  // the last position on the first slope
             {kTwoSlope, 49, 5100},
             {kTwoSlope, 50, 5300},  // 200 DPI apart above 48
             {kTwoSlope, 74, 10100},
             {{0x3389, 100, 74, 100}, 50, 5100},  // another sensor keeps one slope
         }) {
        EXPECT_EQ(c.scale.Figure(c.position), c.figure)
            << "sensor " << std::hex << c.scale.sensor << std::dec << " position " << c.position;
    }
    EXPECT_EQ(kPlain.HighestFigure(), 16050);
    EXPECT_EQ(kTwoSlope.HighestFigure(), 10100);
}

TEST(MouseDpiScale, PositionOfATypedFigureRoundsDown) {
    struct Case {
        DpiScale scale;
        const char* text;
        int position;
    };
    for (const Case& c : std::vector<Case>{
             {kPlain, "600", 10},
             {kPlain, "649", 10},
             {kPlain, "650", 11},
             {kPlain, "99", 0},  // below the lowest DPI: raised to it
             {kPlain, "100", 0},
             {kPlain, "", 0},     // empty counts as 0
             {kPlain, "abc", 0},  // no digits read as 0
             {kPlain, "-5", 0},
             {kPlain, "  700x", 12},        // digits up to the first that is not one
             {kPlain, "99999999999", 319},  // beyond every figure: the highest position
             {kPlain, "999999999999999999999999", 319},
             {kTwoSlope, "4900", 48},
             {kTwoSlope, "4999", 48},
             {kTwoSlope, "5000", 48},  // on the 200-DPI grid 5000 rounds down to 4900
             {kTwoSlope, "5100", 49},
             {kTwoSlope, "5299", 49},
             {kTwoSlope, "5300", 50},
             {kTwoSlope, "6500", 56},
             {kTwoSlope, "10100", 74},
             {kTwoSlope, "20000", 74},
             {kTwoSlope, "1234", 11},  // first slope: 1200
         }) {
        const int q = c.scale.PositionOfText(c.text);
        EXPECT_EQ(q, c.position) << "\"" << c.text << "\" on sensor " << std::hex << c.scale.sensor;
        EXPECT_LE(c.scale.Figure(q), std::max<int64_t>(ParseDecimal(c.text), c.scale.lowest))
            << "the position's figure never exceeds what was typed";
    }
}

TEST(MouseDpiScale, EveryPositionsFigureGivesItBack) {
    for (const DpiScale& s : {kPlain, kTwoSlope}) {
        for (int q = 0; q <= s.highest; ++q)
            ASSERT_EQ(s.PositionOf(s.Figure(q)), q) << "sensor " << std::hex << s.sensor;
    }
}

TEST(MouseDpiScale, BlocksThatMakeNoScale) {
    MouseInfoBlock zeros{};
    const DpiScale none = MouseDpiScale(zeros);
    EXPECT_FALSE(none.Usable());
    EXPECT_EQ(none.PositionOfText("800"), 0) << "a step of 0: every figure is position 0";
    EXPECT_EQ(none.Figure(30), 0);

    MouseInfoBlock b{};
    b[kMouseInfoDpiStep] = 50;
    b[kMouseInfoHighest] = 0xFF;
    b[kMouseInfoHighest + 1] = 0xFF;
    b[kMouseInfoLowestDpi] = 100;
    const DpiScale wide = MouseDpiScale(b);
    EXPECT_TRUE(wide.Usable()) << "65535 positions is a wide range, not a broken one";
    EXPECT_EQ(wide.highest, 65535);
    EXPECT_EQ(wide.HighestFigure(), 65535LL * 50 + 100);
    EXPECT_EQ(wide.PositionOfText("99999999999"), 65535);

    b[kMouseInfoHighest] = 0;
    b[kMouseInfoHighest + 1] = 0;
    EXPECT_FALSE(MouseDpiScale(b).Usable()) << "no range";
    EXPECT_TRUE(kFallbackDpiScale.Usable());
}

TEST(MouseDpiScale, InformationBlockFields) {
    MouseInfoBlock b{};
    b[kMouseInfoKeySlots] = 16;
    b[kMouseInfoMacroUnits] = 3;
    b[kMouseInfoSensor] = 0x25;
    b[kMouseInfoSensor + 1] = 0x33;
    b[kMouseInfoDpiStep] = 100;
    b[kMouseInfoHighest] = 74;
    b[kMouseInfoLowestDpi] = 0x90;
    b[kMouseInfoLowestDpi + 1] = 0x01;
    EXPECT_EQ(MouseKeySlots(b), 16);
    EXPECT_EQ(MouseMacroCapacity(b), 384u);
    EXPECT_EQ(MouseDpiScale(b), (DpiScale{0x3325, 100, 74, 400}));
    EXPECT_TRUE(MouseDpiScale(b).TwoSlope());
}

}  // namespace
}  // namespace dz
