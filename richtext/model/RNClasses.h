#pragma once

// Owning lists, item tags and the screen/device resolution record shared by the model.

#include "platform/graphics/Color.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A list that owns its elements: deleting a slot frees what it held.
template <class T> class TRNList {
public:
    TRNList() = default;
    TRNList(const TRNList&) = delete;
    TRNList& operator=(const TRNList&) = delete;
    TRNList(TRNList&&) noexcept = default;
    TRNList& operator=(TRNList&&) noexcept = default;

    int Count() const { return static_cast<int>(Items.size()); }
    T* operator[](int index) const { return Items.at(static_cast<size_t>(index)).get(); }
    T* Get(int index) const { return (*this)[index]; }

    T* Add(std::unique_ptr<T> item) {
        Items.push_back(std::move(item));
        return Items.back().get();
    }
    T* Insert(int index, std::unique_ptr<T> item) {
        CheckInsertIndex(index);
        return Items.insert(Items.begin() + index, std::move(item))->get();
    }
    void Clear() { Items.clear(); }
    // Room for `count` elements, for a list filled to a size known beforehand.
    void Reserve(int count) { Items.reserve(static_cast<size_t>(std::max(count, 0))); }
    void Delete(int index) { Items.erase(At(index)); }
    // Removes the slot and hands its element to the caller instead of freeing it.
    std::unique_ptr<T> DeleteAsPointer(int index) {
        auto it = At(index);
        std::unique_ptr<T> item = std::move(*it);
        Items.erase(it);
        return item;
    }
    int IndexOf(const T* item) const {
        for (size_t i = 0; i < Items.size(); ++i) {
            if (Items[i].get() == item) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

private:
    using Slots = std::vector<std::unique_ptr<T>>;
    typename Slots::iterator At(int index) {
        if (index < 0 || static_cast<size_t>(index) >= Items.size()) {
            throw std::out_of_range("list index out of bounds");
        }
        return Items.begin() + index;
    }
    void CheckInsertIndex(int index) const {
        if (index < 0 || static_cast<size_t>(index) > Items.size()) {
            throw std::out_of_range("list index out of bounds");
        }
    }
    Slots Items;
};

// A list of 32-bit signed integers.
class TRNIntegerList {
public:
    TRNIntegerList() = default;
    TRNIntegerList(int count, int32_t value) { InitWith(value, count); }

    int Count() const { return static_cast<int>(Values.size()); }
    int32_t Get(int index) const { return Values.at(static_cast<size_t>(index)); }
    void Put(int index, int32_t value) { Values.at(static_cast<size_t>(index)) = value; }
    int32_t operator[](int index) const { return Get(index); }

    void Add(int32_t value) { Values.push_back(value); }
    void Insert(int index, int32_t value);
    void Delete(int index);
    int IndexOf(int32_t value) const;
    void AddUnique(int32_t value);
    void Assign(const TRNIntegerList& source) { Values = source.Values; }
    void InitWith(int32_t value, int count);
    void Clear() { Values.clear(); }
    bool operator==(const TRNIntegerList&) const = default;

private:
    std::vector<int32_t> Values;
};

// The colours of an RTF colour table: no entry for "no colour".
class TRNColorList : public TRNIntegerList {
public:
    using TRNIntegerList::TRNIntegerList;
    void AddUnique(TColor color) {
        if (color != clNone) {
            TRNIntegerList::AddUnique(color);
        }
    }
};

// An item tag: a number, or, when the document keeps string tags, an owned string that may be
// absent. Copies are deep, so two items never share one string.
class RNTag {
public:
    RNTag() = default;
    RNTag(int32_t number) : Number(number) {}
    static RNTag String(std::string text) {
        RNTag tag;
        tag.Text = std::move(text);
        return tag;
    }

    bool IsString() const { return Text.has_value(); }
    int32_t AsInt() const { return Number; }
    // The string of a string tag; empty for a number or an absent string.
    const std::string& AsString() const;
    // A string tag with no text counts as absent, as an empty pointer would.
    bool IsEmpty() const { return IsString() ? Text->empty() : Number == 0; }

private:
    int32_t Number = 0;
    std::optional<std::string> Text;
};

// With string tags a non-empty string is copied; otherwise the value itself.
RNTag RN_CopyTag(const RNTag& tag, bool tagsArePChars);
// Integers compare by value; strings are equal when both are absent and otherwise compared
// byte by byte, case-sensitively.
bool RN_CompareTags(const RNTag& tag1, const RNTag& tag2, bool tagsArePChars);

// Screen and device resolution, with the page's left and right margins in device pixels.
struct TRNScreenAndDevice {
    int32_t ppixScreen = 96;
    int32_t ppiyScreen = 96;
    int32_t ppixDevice = 96;
    int32_t ppiyDevice = 96;
    int32_t LeftMargin = 0;
    int32_t RightMargin = 0;
};
