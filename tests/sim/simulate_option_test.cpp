#include <gtest/gtest.h>

#include "sim/simulate_option.h"

namespace dz::sim {
namespace {

TEST(SimulateOptionTest, KindsListsSelectDevicesAndPaths) {
    EmulatorConfig mice;
    mice.mouse = true;
    mice.mouse_receiver = true;
    mice.mouse_sensor = MouseSensor::k3325;
    EmulatorConfig keyboards;
    keyboards.keyboard = true;
    keyboards.keyboard_receiver = true;
    EmulatorConfig all = EmulatorConfig::Default();
    all.keyboard_receiver = true;
    struct Case {
        const char* arg;
        EmulatorConfig expected;
    } cases[] = {
        {"--simulate", EmulatorConfig::Default()},
        {"--simulate=1", EmulatorConfig::Default()},
        {"--simulate=mouse, mouse-rx,sensor-3325", mice},
        {"--simulate=keyboard-rx,keyboard,keyboard", keyboards},
        {"--simulate=keyboard,mouse,mouse-rx,keyboard-rx,mousepad,headset", all},
    };
    for (const auto& c : cases) {
        const SimulateParse p = ParseSimulateOption(c.arg);
        ASSERT_TRUE(p.ok) << c.arg << ": " << p.error;
        EXPECT_EQ(p.config, c.expected) << c.arg;
    }
    const EmulatorConfig d = EmulatorConfig::Default();
    EXPECT_TRUE(d.keyboard && d.mouse && d.mouse_receiver && d.mousepad && d.headset);
    EXPECT_FALSE(d.keyboard_receiver);
}

TEST(SimulateOptionTest, BadListsAreRejectedWithAClearError) {
    struct Case {
        const char* arg;
        const char* says;
    } cases[] = {
        {"--simulate=mice", "unknown device \"mice\""},
        {"--simulate=keyboard,,mouse", "empty device name"},
        {"--simulate=", "no device named"},
        {"--simulate=sensor-3325", "names no device"},
        {"--simulated", "not a --simulate option"},
    };
    for (const auto& c : cases) {
        const SimulateParse p = ParseSimulateOption(c.arg);
        EXPECT_FALSE(p.ok) << c.arg;
        EXPECT_NE(p.error.find(c.says), std::string::npos) << c.arg << ": " << p.error;
        if (std::string(c.says).rfind("not a", 0) != 0) {
            EXPECT_NE(p.error.find("mouse-rx"), std::string::npos) << "lists the known words";
        }
    }
    EXPECT_FALSE(IsSimulateOption("--sim"));
    EXPECT_TRUE(IsSimulateOption("--simulate=x"));
}

}  // namespace
}  // namespace dz::sim
