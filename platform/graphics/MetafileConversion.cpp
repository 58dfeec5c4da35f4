#include "platform/graphics/MetafileConversion.h"

#include "platform/base/BoundedChild.h"

std::string ConvertWithinBounds(const std::function<std::string()>& convert) {
    TChildBounds bounds;
    bounds.Deadline = std::chrono::milliseconds(2000);
    bounds.CpuSeconds = 2;
    bounds.AddressSpaceGrowth = uint64_t{512} << 20;
    // The pixels of the largest picture allowed, as PNG text in base 64, fit with room over.
    bounds.MaxAnswer = size_t{96} << 20;
    TChildOutcome outcome = RunBoundedChild(convert, bounds);
    return outcome.End == TChildEnd::Answered ? std::move(outcome.Answer) : std::string();
}
