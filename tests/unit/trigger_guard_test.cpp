#include <gtest/gtest.h>

#include "app/icon_animation.h"
#include "engine/trigger_guard.h"

namespace kvl {
namespace {

constexpr WindowHandle A = 0x10, B = 0x20, C = 0x30;

LocalTime At(int hour, int minute, int second = 0, int day = 7, int month = 12, int year = 2026) {
    return {year, month, day, hour, minute, second};
}

TEST(MinuteBoundaries, CountsBoundariesNotElapsedMinutes) {
    EXPECT_EQ(MinuteBoundariesBetween(At(10, 0, 59), At(10, 1, 0)), 1);
    EXPECT_EQ(MinuteBoundariesBetween(At(10, 0, 0), At(10, 0, 59)), 0);
    EXPECT_EQ(MinuteBoundariesBetween(At(23, 58, 0, 31, 12, 2026), At(0, 3, 0, 1, 1, 2027)), 5);
    EXPECT_EQ(MinuteBoundariesBetween(At(23, 59, 0, 28, 2, 2028), At(0, 0, 0, 29, 2, 2028)), 1);
    EXPECT_EQ(MinuteBoundariesBetween(At(12, 0), At(12, 0, 0, 8)), 1440);
}

TEST(RepeatGuard, IgnoresOneOfTheTwoLatestWindowsForFiveMinuteBoundaries) {
    TriggerRecord r;
    EXPECT_FALSE(IsRepeat(r, A, At(10, 0)));
    RecordTrigger(r, A, At(10, 0, 59));
    EXPECT_TRUE(IsRepeat(r, A, At(10, 0, 59)));
    EXPECT_TRUE(IsRepeat(r, A, At(10, 4, 59)));
    EXPECT_FALSE(IsRepeat(r, A, At(10, 5, 0)));
    EXPECT_FALSE(IsRepeat(r, B, At(10, 0, 59)));  // a new window is never guarded
}

TEST(RepeatGuard, OneTimeForAllMonitorsAndOnlyTwoWindowsRemembered) {
    TriggerRecord r;
    RecordTrigger(r, A, At(10, 0));
    RecordTrigger(r, B, At(10, 6));
    EXPECT_TRUE(IsRepeat(r, A, At(10, 7)));  // A is still recent; the latest trigger was B's

    RecordTrigger(r, C, At(10, 7));
    EXPECT_EQ(r.RecentWindows, (std::array<WindowHandle, 2>{C, B}));
    EXPECT_FALSE(IsRepeat(r, A, At(10, 7)));
}

TEST(RepeatGuard, WorksAcrossMidnightAndTheNewYear) {
    TriggerRecord r;
    RecordTrigger(r, A, At(23, 58, 30, 31, 12, 2026));
    EXPECT_TRUE(IsRepeat(r, A, At(0, 2, 59, 1, 1, 2027)));
    EXPECT_FALSE(IsRepeat(r, A, At(0, 3, 0, 1, 1, 2027)));
}

TEST(IconAnimation, ElevenAlternatingFramesThenRestAndStop) {
    using F = IconAnimation::Frame;
    IconAnimation animation;
    std::vector<F> frames;
    for (int tick = 0; tick < 11; ++tick) {
        const auto t = animation.Next();
        EXPECT_TRUE(t.keepRunning);
        frames.push_back(t.frame);
    }
    EXPECT_EQ(frames.front(), F::Alternate);
    for (std::size_t k = 1; k < frames.size(); ++k) EXPECT_NE(frames[k], frames[k - 1]);
    const auto last = animation.Next();
    EXPECT_EQ(last.frame, F::Resting);
    EXPECT_FALSE(last.keepRunning);
    EXPECT_EQ(animation.Counter(), 0);
    EXPECT_EQ(animation.Next().frame, F::Alternate);  // the next trigger starts afresh
}

}  // namespace
}  // namespace kvl
