// The control shell's tests run the engine in their own process over the
// build's install tree and its sample knowledge base, with the clock and the
// random sequence fixed, and give back the working folder the dialog may
// change.
#pragma once

#include "platform/Clock.h"
#include "platform/Random.h"
#include "tests/support/InstallTree.h"
#include "tests/support/KnowledgeSamples.h"
#include "tests/support/ShiftJis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace quibo::test {

// The sample base's first greeting (picked by a random draw of 0), in
// Shift_JIS, as the session client hands it on: text, 0x1F, extension.
inline std::string firstSampleGreeting()
{
    return sjis(u8"いらっしゃいませ、こむぎ堂の案内係です。パンのことなら何でも聞いてください。\x1F表情,笑顔");
}

class ControlShellTest : public ::testing::Test {
protected:
    ControlShellTest() : m_scopedClock(m_clock), m_scopedRandom(m_random) { m_clock.setWallMillis(1'700'000'000'000); }

    const std::string m_sample = sampleKnowledgePath();
    BuildInstallTree m_tree;
    WorkingDirectory m_folder{std::filesystem::current_path().string()};
    platform::FakeClock m_clock;
    platform::ScopedClock m_scopedClock;
    platform::FakeRandom m_random{{0}};
    platform::ScopedRandom m_scopedRandom;
};

}  // namespace quibo::test
