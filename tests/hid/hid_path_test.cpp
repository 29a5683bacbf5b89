#include <gtest/gtest.h>

#include "device/hid_interface.h"

namespace dz {
namespace {

struct PathCase {
    const char* path;
    uint16_t vid, pid, mi, col;
};

TEST(HidPathTest, ParsesTheFourNumbers) {
    const PathCase cases[] = {
        {"hidraw:/dev/hidraw3#vid_320f&pid_505b&mi_01&col04", 0x320F, 0x505B, 1, 4},
        {"HIDRAW:/dev/hidraw3#VID_320F&PID_505B&MI_01&COL04", 0x320F, 0x505B, 1, 4},
        {"\\\\?\\hid#Vid_320F&Pid_221d&Mi_01&Col03#7&1a2b&0&0002#{4d1e55b2}", 0x320F, 0x221D, 1, 3},
        // The headset's interface has one collection, so no "&col".
        {"hidraw:/dev/hidraw7#vid_0c76&pid_1630&mi_03", 0x0C76, 0x1630, 3, 0},
        // Absent markers give 0; "mi_" and "col" count only after '&'.
        {"hidraw:/dev/hidraw1#vid_320f&pid_1004", 0x320F, 0x1004, 0, 0},
        {"sim:keyboard#mi_02col05", 0, 0, 0, 0},
        {"", 0, 0, 0, 0},
        // Digits stop at the first non-hexadecimal character; values keep 16 bits.
        {"x#vid_12g4&pid_&mi_zz&col1", 0x12, 0, 0, 1},
        {"x#vid_123456&pid_abcdef", 0x3456, 0xCDEF, 0, 0},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PathVendorId(c.path), c.vid);
        EXPECT_EQ(PathProductId(c.path), c.pid);
        EXPECT_EQ(PathInterfaceNumber(c.path), c.mi);
        EXPECT_EQ(PathCollectionNumber(c.path), c.col);
    }
}

TEST(HidPathTest, MakeInterfacePathRoundTrips) {
    const std::string with_col = MakeInterfacePath("hidraw", "/dev/hidraw3", 0x320F, 0x505B, 1, 4);
    EXPECT_EQ(with_col, "hidraw:/dev/hidraw3#vid_320f&pid_505b&mi_01&col04");
    const std::string single = MakeInterfacePath("sim", "headset", 0x0C76, 0x1630, 3, 0);
    EXPECT_EQ(single, "sim:headset#vid_0c76&pid_1630&mi_03");
    const std::string wide =
        MakeInterfacePath("hidraw", "/dev/hidraw0", 0xABCD, 0x0001, 0x12, 0x1F);
    EXPECT_EQ(wide, "hidraw:/dev/hidraw0#vid_abcd&pid_0001&mi_12&col1f");
    EXPECT_EQ(PathVendorId(wide), 0xABCD);
    EXPECT_EQ(PathProductId(wide), 0x0001);
    EXPECT_EQ(PathInterfaceNumber(wide), 0x12);
    EXPECT_EQ(PathCollectionNumber(wide), 0x1F);
}

}  // namespace
}  // namespace dz
