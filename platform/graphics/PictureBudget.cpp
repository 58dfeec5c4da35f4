#include "platform/graphics/PictureBudget.h"

#include <algorithm>

namespace {

// What a picture that holds little may take, as every picture could before its work counted.
constexpr int64_t EnhancedBaseMillis = 1700;
constexpr int64_t PhotoBaseMillis = 1000;
// Above the base: about twice what the work was measured to take, for the room a busy machine's
// shared caches take from it.
constexpr int64_t RecordsPerMilli = 250;
constexpr int64_t PhotoSamplesPerMilli = 48000;

int64_t WithinCeiling(int64_t base, uint64_t work, int64_t perMilli) {
    const uint64_t above = work / static_cast<uint64_t>(perMilli);
    return std::min<int64_t>(PictureCeilingMillis, base + static_cast<int64_t>(std::min<uint64_t>(
                                                              above, PictureCeilingMillis)));
}

} // namespace

int64_t EnhancedMetafileCpuMillis(uint64_t records) {
    return WithinCeiling(EnhancedBaseMillis, records, RecordsPerMilli);
}

int64_t PhotoCpuMillis(uint64_t samples) {
    return WithinCeiling(PhotoBaseMillis, samples, PhotoSamplesPerMilli);
}
