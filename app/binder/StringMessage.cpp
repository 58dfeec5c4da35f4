#include "app/binder/StringMessage.h"

#include "platform/base/Exceptions.h"
#include "platform/base/StringUtils.h"

#include <cstring>
#include <limits>

namespace {

constexpr int64_t MaxSize = std::numeric_limits<int32_t>::max();
constexpr char Delimiter = '#';

} // namespace

StringMessageI18N::StringMessageI18N() {
    Init(InitialCapacity);
}

StringMessageI18N::StringMessageI18N(const char* text)
    : StringMessageI18N(text, text ? std::strlen(text) : 0) {}

StringMessageI18N::StringMessageI18N(const std::string& text)
    : StringMessageI18N(text.c_str(), std::strlen(text.c_str())) {}

StringMessageI18N::StringMessageI18N(const char* data, size_t length) {
    if (static_cast<uint64_t>(length) + 1 > static_cast<uint64_t>(MaxSize)) {
        throw EStreamError("message too large");
    }
    Init(static_cast<int32_t>(length) + 1);
    AppendRaw(data, length);
}

StringMessageI18N::~StringMessageI18N() = default;

void StringMessageI18N::Init(int32_t capacity) {
    buffer_ = std::make_unique<char[]>(static_cast<size_t>(capacity)); // zero-filled
    capacity_ = capacity;
    used_ = 0;
    increment_ = InitialIncrement;
    rewindPending_ = true;
    ResetReader();
}

void StringMessageI18N::ResetReader() {
    readPos_ = 0;
    kept_.clear();
}

void StringMessageI18N::Clear() {
    Init(InitialCapacity);
}

// Makes room for `needed` more bytes plus the NUL that always follows the used bytes. The
// capacity grows by what is needed plus an increment that doubles at every growth, so large
// messages reallocate rarely.
void StringMessageI18N::Grow(int64_t needed) {
    if (used_ + needed < capacity_) {
        return;
    }
    if (used_ + needed + 1 > MaxSize) {
        throw EStreamError("message too large: more than 2 GiB of fields");
    }
    int64_t newCapacity = static_cast<int64_t>(capacity_) + needed + increment_ + 1;
    if (newCapacity > MaxSize) {
        newCapacity = MaxSize;
    }
    if (increment_ <= MaxSize / 2) {
        increment_ *= 2;
    }
    auto grown = std::make_unique<char[]>(static_cast<size_t>(newCapacity));
    std::memcpy(grown.get(), buffer_.get(), static_cast<size_t>(capacity_));
    buffer_ = std::move(grown);
    capacity_ = static_cast<int32_t>(newCapacity);
}

namespace {

// "%x" of the length followed by the delimiter; written by hand as this is the hot path of
// every binder save. Returns the header's size.
size_t FormatHeader(size_t length, char (&header)[17]) {
    static constexpr char Digits[] = "0123456789abcdef";
    char digits[16];
    size_t digitCount = 0;
    do {
        digits[digitCount++] = Digits[length & 0xF];
        length >>= 4;
    } while (length != 0);
    size_t headerLength = 0;
    while (digitCount > 0) {
        header[headerLength++] = digits[--digitCount];
    }
    header[headerLength++] = Delimiter;
    return headerLength;
}

} // namespace

size_t StringMessageI18N::FieldSize(size_t length) {
    char header[17];
    return FormatHeader(length, header) + length;
}

void StringMessageI18N::AppendFieldHeader(std::string& out, size_t length) {
    char header[17];
    out.append(header, FormatHeader(length, header));
}

void StringMessageI18N::AddField(const void* data, size_t length) {
    if (static_cast<uint64_t>(length) > static_cast<uint64_t>(MaxSize)) {
        throw EStreamError("message too large: field of more than 2 GiB");
    }
    char header[17];
    const size_t headerLength = FormatHeader(length, header);
    Grow(static_cast<int64_t>(headerLength + length));
    std::memcpy(buffer_.get() + used_, header, headerLength);
    used_ += static_cast<int32_t>(headerLength);
    if (length > 0) {
        std::memcpy(buffer_.get() + used_, data, length);
        used_ += static_cast<int32_t>(length);
    }
    buffer_[static_cast<size_t>(used_)] = '\0';
}

void StringMessageI18N::AddCString(const char* text) {
    AddField(text, text ? std::strlen(text) : 0);
}

void StringMessageI18N::AddString(const std::string& text) {
    AddCString(text.c_str());
}

void StringMessageI18N::AddData(const void* data, size_t length) {
    AddField(data, length);
}

void StringMessageI18N::AddBool(int32_t value) {
    AddCString(value ? "true" : "false");
}

void StringMessageI18N::AppendRaw(const void* data, size_t length) {
    if (length == 0) {
        return;
    }
    if (static_cast<uint64_t>(length) > static_cast<uint64_t>(MaxSize)) {
        throw EStreamError("message too large");
    }
    Grow(static_cast<int64_t>(length));
    std::memcpy(buffer_.get() + used_, data, length);
    used_ += static_cast<int32_t>(length);
    buffer_[static_cast<size_t>(used_)] = '\0';
}

char* StringMessageI18N::ReadData(int32_t& length) {
    length = 0;
    if (rewindPending_) {
        readPos_ = 0;
        rewindPending_ = false;
    }
    const size_t used = static_cast<size_t>(used_);
    TFieldSpan span;
    switch (ScanField(std::string_view(buffer_.get(), used), readPos_, span)) {
    case TFieldScan::None:
        return nullptr;
    case TFieldScan::Overrun:
        readPos_ = used; // a field that runs past the end: the rest cannot be trusted
        return nullptr;
    case TFieldScan::Found:
        break;
    }
    auto field = std::make_unique<char[]>(span.Length + 1);
    std::memcpy(field.get(), buffer_.get() + span.Start, span.Length);
    readPos_ = span.Start + span.Length;
    length = static_cast<int32_t>(span.Length);
    kept_.push_back(std::move(field));
    return kept_.back().get();
}

StringMessageI18N::TFieldScan StringMessageI18N::ScanField(std::string_view bytes, size_t pos,
                                                           TFieldSpan& span) {
    size_t hash = pos;
    while (hash < bytes.size() && bytes[hash] != Delimiter && bytes[hash] != '\0') {
        ++hash;
    }
    if (hash >= bytes.size() || bytes[hash] != Delimiter) {
        return TFieldScan::None;
    }
    const size_t start = hash + 1;
    const size_t left = bytes.size() - start;
    // The length text reads like "%x": its leading hex digits, 0 when there are none.
    size_t length = 0;
    for (size_t i = pos; i < hash && HexDigitValue(bytes[i]) >= 0; ++i) {
        length = length * 16 + static_cast<size_t>(HexDigitValue(bytes[i]));
        if (length > left) {
            return TFieldScan::Overrun; // already longer than anything that is there
        }
    }
    span.Start = start;
    span.Length = length;
    return TFieldScan::Found;
}

char* StringMessageI18N::ReadCString() {
    int32_t length;
    return ReadData(length);
}

std::string StringMessageI18N::ReadString() {
    const char* field = ReadCString();
    return field ? std::string(field) : std::string();
}

std::string StringMessageI18N::ReadBytes() {
    int32_t length;
    const char* field = ReadData(length);
    return field ? std::string(field, static_cast<size_t>(length)) : std::string();
}

bool StringMessageI18N::HasMore() const {
    TFieldSpan span;
    return ScanField(std::string_view(buffer_.get(), static_cast<size_t>(used_)), ReadPosition(),
                     span) != TFieldScan::None;
}

void StringMessageI18N::Rewind() {
    rewindPending_ = false;
    ResetReader();
}

std::string StringMessageI18N::ToString() const {
    return std::string(buffer_.get());
}
