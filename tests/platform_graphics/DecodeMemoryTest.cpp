// The working memory of the decodes under way is one bound: a decode waits for room, is let go
// when nobody wants it any more, and one needing more than the whole bound is never begun. A
// progressive photo's decode holds its coefficients from that bound while it runs, and gives them
// back when it ends.
#include "platform/graphics/DecodeMemory.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/PicturePreparation.h"
#include "tests/support/ProgressiveJpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

TEST(DecodeMemory, ADecodeWaitsForRoomAndStopsWaitingWhenNoLongerWanted) {
    TDecodeMemory memory(1000);
    TDecodeMemoryHeld first;
    ASSERT_TRUE(first.Take(memory, 600, nullptr));
    EXPECT_FALSE(memory.Take(1001, nullptr));
    // Not wanted while it waits: nothing taken.
    EXPECT_FALSE(memory.Take(600, [] { return true; }));
    EXPECT_EQ(memory.Held(), 600u);

    std::atomic<int> asked{0};
    bool took = false;
    std::thread second([&] { took = memory.Take(600, [&] { return ++asked, false; }); });
    // It asks whether it is still wanted only while it waits.
    while (asked.load() == 0) {
        std::this_thread::yield();
    }
    EXPECT_EQ(memory.Held(), 600u);
    first.Give();
    second.join();
    EXPECT_TRUE(took);
    EXPECT_EQ(memory.Held(), 600u);
    memory.Give(600);
    EXPECT_EQ(memory.Held(), 0u);
}

TEST(DecodeMemory, AProgressiveDecodeHoldsItsCoefficientsWhileItRuns) {
    const std::string bytes = progressive_jpeg::Encoded(600, 0);
    // No picture's work gives back what it held meanwhile.
    ASSERT_TRUE(PicturePreparer().WaitUntilIdle(std::chrono::minutes(2)));
    const uint64_t before = DecodeMemory().Held();
    uint64_t held = 0;
    TJpegBounds bounds;
    bounds.Stopped = [&] {
        held = std::max(held, DecodeMemory().Held() - before);
        return false;
    };
    QImage image;
    std::string error;
    ASSERT_EQ(DecodeJpegWithin(bytes, 8, bounds, image, error), TJpegEnd::Decoded);
    // Three components of 600 x 600 samples, two bytes each, whatever the scale.
    EXPECT_GE(held, uint64_t{600} * 600 * 3 * 2);
    EXPECT_LT(held, DecodeMemory().Bound() / 8);
    EXPECT_EQ(DecodeMemory().Held(), before);
}
