#pragma once

// The framework's binary component stream (the form format that begins "TPF0"): values
// tagged by a type byte, properties as a short-string name and a value, components as a
// class name and a component name followed by their properties and their children, each list
// ended by a zero byte. Stored notes carry tables and style collections in it, so the bytes
// are the published format, written and read exactly.
//
// Value bytes: 0 end of list, 1 list, 2/3/4 integers of 8/16/32 bits, 5 extended float
// (80 bits), 6 string (1-byte length), 7 identifier, 8 false, 9 true, 10 binary (4-byte
// length), 11 set (identifiers, then an empty one), 12 long string (4-byte length), 13 nil,
// 14 collection, 15 single float, 16 currency, 17 date, 18 wide string (4-byte length in
// UTF-16 units), 19 integer of 64 bits, 20 UTF-8 string. All numbers are little-endian.

#include "platform/base/Exceptions.h"
#include "platform/graphics/Color.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A component stream that cannot be read: truncated, a value of the wrong kind, or a
// malformed structure. The message says which and where.
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

enum class TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};

class TWriter {
public:
    // The stream so far.
    const std::string& Bytes() {
        Flush();
        return bytes_;
    }
    // Room for `bytes` in all, so that a large stream is not copied as it grows.
    void Reserve(size_t bytes) { bytes_.reserve(bytes); }
    // The stream so far, moved out of the writer, which is left empty.
    std::string TakeBytes() {
        Flush();
        return std::exchange(bytes_, {});
    }

    // "TPF0", before the root component.
    void WriteSignature();
    // A component: class name, component name; then its properties, WriteListEnd, its
    // children and WriteListEnd.
    void WriteComponentHeader(std::string_view className, std::string_view name) {
        ShortString(className);
        ShortString(name);
    }
    void WritePropName(std::string_view name) { ShortString(name); }

    // The smallest of 8, 16 and 32 bits that holds the value; 64 bits beyond.
    // The one-byte values are written inline: a table writes several of them for every cell.
    void WriteInteger(int64_t value) {
        if (value >= INT8_MIN && value <= INT8_MAX) {
            Value(TValueType::vaInt8);
            Put(static_cast<char>(value));
        } else {
            WriteWideInteger(value);
        }
    }
    void WriteBoolean(bool value) { Value(value ? TValueType::vaTrue : TValueType::vaFalse); }
    // "False", "True", "nil" and "Null" (any case) are written as their own value bytes.
    void WriteIdent(std::string_view ident);
    // Bytes as they are: up to 255 as a string, longer as a long string.
    void WriteString(std::string_view text);
    void WriteWideString(std::u16string_view text);
    void WriteUTF8String(std::string_view text);
    void WriteFloat(double value); // extended
    void WriteSingle(float value);
    void WriteCurrency(int64_t tenThousandths);
    void WriteDate(double value);
    void WriteBinary(std::string_view data);
    void WriteSet(const std::vector<std::string>& members);
    void WriteNil() { Value(TValueType::vaNil); }
    // A colour by its identifier ("clRed", "clBtnFace", "clNone") when it has one, else as
    // an integer.
    void WriteColor(TColor color);

    void WriteListBegin() { Value(TValueType::vaList); }
    void WriteListEnd() { Value(TValueType::vaNull); }
    // A collection: WriteCollectionBegin, per item WriteListBegin, its properties,
    // WriteListEnd; then WriteListEnd.
    void WriteCollectionBegin() { Value(TValueType::vaCollection); }

private:
    // Small values are gathered in `staged_` and appended to the stream together: a table
    // writes a dozen of them for every cell, and each append to a string has its own checks.
    void Put(char byte) {
        if (stagedSize_ == sizeof staged_) {
            Flush();
        }
        staged_[stagedSize_++] = byte;
    }
    void Put(std::string_view bytes) {
        if (bytes.size() > sizeof staged_ - stagedSize_) {
            PutLarge(bytes);
            return;
        }
        std::memcpy(staged_ + stagedSize_, bytes.data(), bytes.size());
        stagedSize_ += bytes.size();
    }
    void PutLarge(std::string_view bytes);
    void Flush() {
        bytes_.append(staged_, stagedSize_);
        stagedSize_ = 0;
    }
    // The stream with everything staged appended, for the values written in place.
    std::string& Out() {
        Flush();
        return bytes_;
    }
    void Value(TValueType type) { Put(static_cast<char>(type)); }
    // An integer beyond 8 bits.
    void WriteWideInteger(int64_t value);
    // Inline, so that a name known where it is written is copied without a call.
    void ShortString(std::string_view text) {
        const std::string_view kept = text.substr(0, 255);
        Put(static_cast<char>(kept.size()));
        Put(kept);
    }

    std::string bytes_;
    char staged_[1024];
    size_t stagedSize_ = 0;
};

class TReader {
public:
    // Reads `bytes`, which must outlive the reader.
    explicit TReader(std::string_view bytes) : bytes_(bytes) {}
    explicit TReader(const char* bytes) : bytes_(bytes) {}
    TReader(std::string&&) = delete;

    size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    // The bytes not read yet.
    size_t Remaining() const { return AtEnd() ? 0 : bytes_.size() - pos_; }

    void ReadSignature();
    // Reads the class and component names (and the inherited/child-position prefix when
    // there is one), viewed where they lie.
    void ReadComponentHeader(std::string_view& className, std::string_view& name);
    std::string ReadPropName();

    // The type of the next value, not consumed.
    TValueType NextValue() const {
        if (AtEnd()) {
            Fail("the stream ends early");
        }
        return static_cast<TValueType>(bytes_[pos_]);
    }
    // Whether the next byte ends a list.
    bool EndOfList() const { return NextValue() == TValueType::vaNull; }

    int64_t ReadInteger();
    // An integer that must fit 32 bits.
    int32_t ReadInt32() {
        // A one-byte integer is read in place: the two spans of every table cell nearly always
        // are one, and the general reader is a call through the four widths.
        if (bytes_.size() - pos_ >= 2 &&
            static_cast<TValueType>(bytes_[pos_]) == TValueType::vaInt8) {
            const auto value = static_cast<int8_t>(bytes_[pos_ + 1]);
            pos_ += 2;
            return value;
        }
        return ReadWideInt32();
    }
    bool ReadBoolean();
    // An identifier; the value bytes for false, true, nil and null read as "False", "True",
    // "nil" and "Null".
    std::string ReadIdent();
    // Any string kind: 8-bit strings as their bytes, wide strings as UTF-8.
    std::string ReadString();
    std::u16string ReadWideString();
    // Extended, single, date, currency or an integer, as a double.
    double ReadFloat();
    std::string ReadBinary();
    // The same as a view into the bytes being read.
    std::string_view ReadBinaryView();
    std::vector<std::string> ReadSet();
    // An identifier or an integer.
    TColor ReadColor();

    void ReadListBegin();
    void ReadListEnd();
    void ReadCollectionBegin();
    // Starts the next item of a collection; returns its order number when one is written.
    std::optional<int64_t> ReadCollectionItemBegin();

    void SkipValue();
    // A property name and its value.
    void SkipProperty();
    // A whole component: header, properties and children.
    void SkipComponent();

    // Reads the properties of one object up to and including the end of its list: each
    // name goes to `handler` (called with a const std::string&), which reads the value and
    // returns true, or returns false to have the value skipped (properties this program does
    // not know). The handler is a template parameter, not a std::function: a table calls this
    // once for each of its cells.
    template <class Handler> void ReadProperties(Handler&& handler) {
        // One name buffer for the whole list: property names are short and keep its first room.
        std::string name;
        while (!EndOfList()) {
            name.assign(PropName());
            if (!handler(std::as_const(name))) {
                SkipValue();
            }
        }
        ++pos_;
    }
    // A component: header, properties through `handler`, then its children skipped.
    template <class Handler>
    void ReadComponent(std::string& className, std::string& name, Handler&& handler) {
        std::string_view classView, nameView;
        ReadComponentHeader(classView, nameView);
        className.assign(classView);
        name.assign(nameView);
        ReadProperties(handler);
        SkipChildren();
    }

private:
    // The byte-level steps are inline: a table's cells take a dozen of them each.
    uint8_t Byte() {
        if (AtEnd()) {
            Fail("the stream ends early");
        }
        return static_cast<uint8_t>(bytes_[pos_++]);
    }
    std::string_view Take(size_t count, const char* what) {
        if (count > bytes_.size() - pos_) {
            Fail(std::string("the stream ends inside ") + what);
        }
        std::string_view out = bytes_.substr(pos_, count);
        pos_ += count;
        return out;
    }
    // A length byte and that many bytes, viewed where they lie.
    std::string_view ShortString(const char* what) { return Take(Byte(), what); }
    std::string_view PropName();
    TValueType ReadValueType();
    // ReadInt32 for the wider kinds (and for what is no integer at all).
    int32_t ReadWideInt32();
    // The children of a component up to and including the end of their list.
    void SkipChildren();
    [[noreturn]] void Fail(const std::string& what) const;
    [[noreturn]] void WrongType(const char* expected) const;

    std::string_view bytes_;
    size_t pos_ = 0;
    int depth_ = 0;
};

// 80-bit extended floats, as the stream stores doubles.
std::string DoubleToExtended(double value);
double ExtendedToDouble(std::string_view tenBytes);
