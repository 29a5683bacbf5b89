#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "platform/ipc/registered_messages.h"

namespace dz::ipc {
namespace {

TEST(RegisteredMessages, SameNameSameNumberDistinctNamesDistinct) {
    const uint32_t a = RegisterMessage("Game_Start");
    const uint32_t b = RegisterMessage("Game_End");
    EXPECT_GE(a, kFirstRegisteredMessage);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterMessage("Game_Start"), a);
    // Names are exact: another case is another message.
    EXPECT_NE(RegisterMessage("game_start"), a);
    EXPECT_EQ(RegisteredMessageName(a), "Game_Start");
    EXPECT_EQ(RegisteredMessageName(b), "Game_End");
}

TEST(RegisteredMessages, FindDoesNotRegisterAndEmptyIsNone) {
    EXPECT_FALSE(FindRegisteredMessage("never registered here"));
    EXPECT_FALSE(FindRegisteredMessage("never registered here"));
    const uint32_t n = RegisterMessage("never registered here");
    EXPECT_EQ(FindRegisteredMessage("never registered here"), n);
    EXPECT_EQ(RegisterMessage(""), 0u);
    EXPECT_FALSE(RegisteredMessageName(0));
    EXPECT_FALSE(RegisteredMessageName(0x0C12));
    EXPECT_FALSE(RegisteredMessageName(0xFFFFFFFF));
}

TEST(RegisteredMessages, ConcurrentRegistrationAgrees) {
    std::vector<std::thread> threads;
    std::vector<std::vector<uint32_t>> seen(4);
    for (size_t t = 0; t < seen.size(); ++t) {
        threads.emplace_back([&seen, t] {
            for (int i = 0; i < 50; ++i)
                seen[t].push_back(RegisterMessage("concurrent_" + std::to_string(i)));
        });
    }
    for (auto& th : threads) th.join();
    for (size_t t = 1; t < seen.size(); ++t) EXPECT_EQ(seen[t], seen[0]);
    EXPECT_EQ(std::set<uint32_t>(seen[0].begin(), seen[0].end()).size(), 50u);
}

}  // namespace
}  // namespace dz::ipc
