#include "richtext/model/RNClasses.h"

#include <algorithm>
#include <stdexcept>

void TRNIntegerList::Insert(int index, int32_t value) {
    if (index < 0 || index > Count()) {
        throw std::out_of_range("list index out of bounds");
    }
    Values.insert(Values.begin() + index, value);
}

void TRNIntegerList::Delete(int index) {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range("list index out of bounds");
    }
    Values.erase(Values.begin() + index);
}

int TRNIntegerList::IndexOf(int32_t value) const {
    auto it = std::find(Values.begin(), Values.end(), value);
    return it == Values.end() ? -1 : static_cast<int>(it - Values.begin());
}

void TRNIntegerList::AddUnique(int32_t value) {
    if (IndexOf(value) < 0) {
        Add(value);
    }
}

void TRNIntegerList::InitWith(int32_t value, int count) {
    Values.assign(static_cast<size_t>(std::max(count, 0)), value);
}

const std::string& RNTag::AsString() const {
    static const std::string empty;
    return Text ? *Text : empty;
}

RNTag RN_CopyTag(const RNTag& tag, bool tagsArePChars) {
    if (tagsArePChars) {
        return tag.IsString() && !tag.AsString().empty() ? RNTag::String(tag.AsString())
                                                         : RNTag::String({});
    }
    return RNTag(tag.AsInt());
}

bool RN_CompareTags(const RNTag& tag1, const RNTag& tag2, bool tagsArePChars) {
    if (!tagsArePChars) {
        return tag1.AsInt() == tag2.AsInt();
    }
    // An absent string and an empty one are the same; otherwise a byte-wise comparison.
    return tag1.AsString() == tag2.AsString();
}
