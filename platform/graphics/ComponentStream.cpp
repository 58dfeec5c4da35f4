#include "platform/graphics/ComponentStream.h"

#include "platform/base/CodePage.h"
#include "platform/base/StringUtils.h"
#include "platform/graphics/LittleEndian.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int MaxNesting = 256;

} // namespace

std::string DoubleToExtended(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    uint64_t sign = bits >> 63;
    int exponent = static_cast<int>(bits >> 52 & 0x7FF);
    uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    uint64_t mantissa = 0;
    int extExponent = 0;
    if (exponent == 0x7FF) {
        extExponent = 0x7FFF;
        mantissa = uint64_t{1} << 63 | fraction << 11;
    } else if (exponent != 0) {
        extExponent = exponent - 1023 + 16383;
        mantissa = uint64_t{1} << 63 | fraction << 11;
    } else if (fraction != 0) {
        int top = 63 - __builtin_clzll(fraction);
        mantissa = fraction << (63 - top);
        extExponent = top - 1074 + 16383;
    }
    std::string out;
    WriteU64(out, mantissa);
    WriteU16(out, static_cast<uint32_t>(sign << 15 | static_cast<uint64_t>(extExponent)));
    return out;
}

double ExtendedToDouble(std::string_view b) {
    uint64_t mantissa = ReadU64(b, 0);
    uint32_t top = ReadU16(b, 8);
    bool negative = top & 0x8000;
    int exponent = static_cast<int>(top & 0x7FFF);
    double value;
    if (exponent == 0 && mantissa == 0) {
        value = 0.0;
    } else if (exponent == 0x7FFF) {
        value = (mantissa << 1) == 0 ? INFINITY : NAN;
    } else {
        value = static_cast<double>(
            std::ldexp(static_cast<long double>(mantissa), exponent - 16383 - 63));
    }
    return negative ? -value : value;
}

// ---- writer ----

void TWriter::PutLarge(std::string_view bytes) {
    Flush();
    if (bytes.size() > sizeof staged_) {
        bytes_ += bytes;
        return;
    }
    std::memcpy(staged_, bytes.data(), bytes.size());
    stagedSize_ = bytes.size();
}

void TWriter::WriteSignature() {
    Put("TPF0");
}

void TWriter::WriteWideInteger(int64_t value) {
    if (value >= INT16_MIN && value <= INT16_MAX) {
        Value(TValueType::vaInt16);
        WriteU16(Out(), static_cast<uint32_t>(value));
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        Value(TValueType::vaInt32);
        WriteU32(Out(), static_cast<uint32_t>(value));
    } else {
        Value(TValueType::vaInt64);
        WriteU64(Out(), static_cast<uint64_t>(value));
    }
}

void TWriter::WriteIdent(std::string_view ident) {
    if (LowerCase(ident) == LowerCase("False")) {
        Value(TValueType::vaFalse);
    } else if (LowerCase(ident) == LowerCase("True")) {
        Value(TValueType::vaTrue);
    } else if (LowerCase(ident) == LowerCase("Null")) {
        Value(TValueType::vaNull);
    } else if (LowerCase(ident) == LowerCase("nil")) {
        Value(TValueType::vaNil);
    } else {
        Value(TValueType::vaIdent);
        ShortString(ident);
    }
}

void TWriter::WriteString(std::string_view text) {
    if (text.size() <= 255) {
        Value(TValueType::vaString);
        ShortString(text);
    } else {
        Value(TValueType::vaLString);
        WriteU32(Out(), static_cast<uint32_t>(text.size()));
        Out() += text;
    }
}

void TWriter::WriteWideString(std::u16string_view text) {
    Value(TValueType::vaWString);
    std::string& out = Out();
    WriteU32(out, static_cast<uint32_t>(text.size()));
    for (char16_t c : text) {
        WriteU16(out, c);
    }
}

void TWriter::WriteUTF8String(std::string_view text) {
    Value(TValueType::vaUTF8String);
    WriteU32(Out(), static_cast<uint32_t>(text.size()));
    Out() += text;
}

void TWriter::WriteFloat(double value) {
    Value(TValueType::vaExtended);
    Out() += DoubleToExtended(value);
}

void TWriter::WriteSingle(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Value(TValueType::vaSingle);
    WriteU32(Out(), bits);
}

void TWriter::WriteCurrency(int64_t tenThousandths) {
    Value(TValueType::vaCurrency);
    WriteU64(Out(), static_cast<uint64_t>(tenThousandths));
}

void TWriter::WriteDate(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Value(TValueType::vaDate);
    WriteU64(Out(), bits);
}

void TWriter::WriteBinary(std::string_view data) {
    // The value byte and the length in one append: a table writes one of these per cell.
    char head[5] = {static_cast<char>(TValueType::vaBinary)};
    for (size_t i = 0; i < 4; ++i) {
        head[i + 1] = static_cast<char>(data.size() >> (8 * i));
    }
    Put(std::string_view(head, sizeof head));
    Put(data);
}

void TWriter::WriteSet(const std::vector<std::string>& members) {
    Value(TValueType::vaSet);
    for (const std::string& member : members) {
        if (!member.empty()) {
            ShortString(member);
        }
    }
    Put('\0');
}

void TWriter::WriteColor(TColor color) {
    if (auto ident = ColorToIdent(color)) {
        WriteIdent(*ident);
    } else {
        WriteInteger(color);
    }
}

// ---- reader ----

void TReader::Fail(const std::string& what) const {
    throw EReadError("Stream read error: " + what + " at byte " + std::to_string(pos_));
}

void TReader::WrongType(const char* expected) const {
    std::string found =
        AtEnd() ? "the end"
                : "value type " + std::to_string(static_cast<unsigned char>(bytes_[pos_]));
    throw EReadError("Invalid property value: " + std::string(expected) + " expected, " + found +
                     " found at byte " + std::to_string(pos_));
}

TValueType TReader::ReadValueType() {
    return static_cast<TValueType>(Byte());
}

void TReader::ReadSignature() {
    if (bytes_.size() - pos_ < 4 || bytes_.substr(pos_, 4) != "TPF0") {
        throw EReadError("Invalid stream format: no \"TPF0\" signature");
    }
    pos_ += 4;
}

void TReader::ReadComponentHeader(std::string_view& className, std::string_view& name) {
    uint8_t first = static_cast<uint8_t>(NextValue());
    if ((first & 0xF0) == 0xF0) {
        ++pos_;
        // Inherited, child-position and inline flags; only the position carries a value.
        if (first & 0x02) {
            ReadInteger();
        }
    }
    className = ShortString("a class name");
    name = ShortString("a component name");
    if (className.empty()) {
        Fail("empty class name");
    }
}

std::string_view TReader::PropName() {
    std::string_view name = ShortString("a property name");
    if (name.empty()) {
        Fail("empty property name");
    }
    return name;
}

std::string TReader::ReadPropName() {
    return std::string(PropName());
}

int64_t TReader::ReadInteger() {
    switch (NextValue()) {
    case TValueType::vaInt8:
        ++pos_;
        return static_cast<int8_t>(Byte());
    case TValueType::vaInt16:
        ++pos_;
        return static_cast<int16_t>(ReadU16(Take(2, "an integer"), 0));
    case TValueType::vaInt32:
        ++pos_;
        return static_cast<int32_t>(ReadU32(Take(4, "an integer"), 0));
    case TValueType::vaInt64:
        ++pos_;
        return static_cast<int64_t>(ReadU64(Take(8, "an integer"), 0));
    default:
        WrongType("an integer");
    }
}

int32_t TReader::ReadWideInt32() {
    size_t at = pos_;
    int64_t value = ReadInteger();
    if (value < INT32_MIN || value > INT32_MAX) {
        pos_ = at;
        WrongType("a 32-bit integer");
    }
    return static_cast<int32_t>(value);
}

bool TReader::ReadBoolean() {
    switch (NextValue()) {
    case TValueType::vaFalse:
        ++pos_;
        return false;
    case TValueType::vaTrue:
        ++pos_;
        return true;
    default:
        WrongType("a boolean");
    }
}

std::string TReader::ReadIdent() {
    switch (NextValue()) {
    case TValueType::vaIdent:
        ++pos_;
        return std::string(ShortString("an identifier"));
    case TValueType::vaFalse:
        ++pos_;
        return "False";
    case TValueType::vaTrue:
        ++pos_;
        return "True";
    case TValueType::vaNil:
        ++pos_;
        return "nil";
    case TValueType::vaNull:
        ++pos_;
        return "Null";
    default:
        WrongType("an identifier");
    }
}

std::string TReader::ReadString() {
    switch (NextValue()) {
    case TValueType::vaString:
        ++pos_;
        return std::string(ShortString("a string"));
    case TValueType::vaLString:
    case TValueType::vaUTF8String: {
        ++pos_;
        size_t length = ReadU32(Take(4, "a string"), 0);
        return std::string(Take(length, "a string"));
    }
    case TValueType::vaWString:
        return Utf16ToUtf8(ReadWideString());
    default:
        WrongType("a string");
    }
}

std::u16string TReader::ReadWideString() {
    if (NextValue() != TValueType::vaWString) {
        if (NextValue() == TValueType::vaUTF8String) {
            return Utf8ToUtf16(ReadString());
        }
        return MultiByteToUtf16(ReadString(), CP_ACP);
    }
    ++pos_;
    size_t units = ReadU32(Take(4, "a wide string"), 0);
    if (units > (bytes_.size() - pos_) / 2) {
        Fail("the stream ends inside a wide string");
    }
    std::string_view raw = Take(units * 2, "a wide string");
    std::u16string out;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        out += static_cast<char16_t>(ReadU16(raw, 2 * i));
    }
    return out;
}

double TReader::ReadFloat() {
    switch (NextValue()) {
    case TValueType::vaExtended:
        ++pos_;
        return ExtendedToDouble(Take(10, "a float"));
    case TValueType::vaSingle: {
        ++pos_;
        uint32_t bits = ReadU32(Take(4, "a float"), 0);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    case TValueType::vaDate: {
        ++pos_;
        uint64_t bits = ReadU64(Take(8, "a date"), 0);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    case TValueType::vaCurrency:
        ++pos_;
        return static_cast<double>(static_cast<int64_t>(ReadU64(Take(8, "a currency"), 0))) /
               10000.0;
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64:
        return static_cast<double>(ReadInteger());
    default:
        WrongType("a float");
    }
}

std::string TReader::ReadBinary() {
    return std::string(ReadBinaryView());
}

std::string_view TReader::ReadBinaryView() {
    if (NextValue() != TValueType::vaBinary) {
        WrongType("binary data");
    }
    ++pos_;
    size_t length = ReadU32(Take(4, "binary data"), 0);
    return Take(length, "binary data");
}

std::vector<std::string> TReader::ReadSet() {
    if (NextValue() != TValueType::vaSet) {
        WrongType("a set");
    }
    ++pos_;
    std::vector<std::string> members;
    while (true) {
        std::string_view member = ShortString("a set");
        if (member.empty()) {
            return members;
        }
        members.emplace_back(member);
    }
}

TColor TReader::ReadColor() {
    if (NextValue() == TValueType::vaIdent) {
        size_t at = pos_;
        std::string ident = ReadIdent();
        if (auto color = IdentToColor(ident)) {
            return *color;
        }
        pos_ = at;
        WrongType("a colour name");
    }
    return ReadInt32();
}

void TReader::ReadListBegin() {
    if (NextValue() != TValueType::vaList) {
        WrongType("a list");
    }
    ++pos_;
}

void TReader::ReadListEnd() {
    if (NextValue() != TValueType::vaNull) {
        WrongType("the end of a list");
    }
    ++pos_;
}

void TReader::ReadCollectionBegin() {
    if (NextValue() != TValueType::vaCollection) {
        WrongType("a collection");
    }
    ++pos_;
}

std::optional<int64_t> TReader::ReadCollectionItemBegin() {
    std::optional<int64_t> order;
    TValueType next = NextValue();
    if (next == TValueType::vaInt8 || next == TValueType::vaInt16 || next == TValueType::vaInt32) {
        order = ReadInteger();
    }
    ReadListBegin();
    return order;
}

void TReader::SkipValue() {
    if (++depth_ > MaxNesting) {
        Fail("values nested too deeply");
    }
    TValueType type = ReadValueType();
    switch (type) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil:
        break;
    case TValueType::vaList:
        while (!EndOfList()) {
            SkipValue();
        }
        ++pos_;
        break;
    case TValueType::vaInt8:
        Take(1, "an integer");
        break;
    case TValueType::vaInt16:
        Take(2, "an integer");
        break;
    case TValueType::vaInt32:
    case TValueType::vaSingle:
        Take(4, "a number");
        break;
    case TValueType::vaExtended:
        Take(10, "a float");
        break;
    case TValueType::vaString:
    case TValueType::vaIdent:
        ShortString("a string");
        break;
    case TValueType::vaBinary:
    case TValueType::vaLString:
    case TValueType::vaUTF8String:
        Take(ReadU32(Take(4, "a length"), 0), "a string");
        break;
    case TValueType::vaWString: {
        size_t units = ReadU32(Take(4, "a length"), 0);
        if (units > (bytes_.size() - pos_) / 2) {
            Fail("the stream ends inside a wide string");
        }
        Take(units * 2, "a wide string");
        break;
    }
    case TValueType::vaSet:
        while (!ShortString("a set").empty()) {
        }
        break;
    case TValueType::vaCollection:
        while (!EndOfList()) {
            ReadCollectionItemBegin();
            while (!EndOfList()) {
                SkipProperty();
            }
            ++pos_;
        }
        ++pos_;
        break;
    case TValueType::vaCurrency:
    case TValueType::vaDate:
    case TValueType::vaInt64:
        Take(8, "a number");
        break;
    default:
        --pos_;
        WrongType("a value");
    }
    --depth_;
}

void TReader::SkipProperty() {
    PropName();
    SkipValue();
}

void TReader::SkipComponent() {
    if (++depth_ > MaxNesting) {
        Fail("components nested too deeply");
    }
    std::string_view className, name;
    ReadComponentHeader(className, name);
    while (!EndOfList()) {
        SkipProperty();
    }
    ++pos_;
    SkipChildren();
    --depth_;
}

void TReader::SkipChildren() {
    while (!EndOfList()) {
        SkipComponent();
    }
    ++pos_;
}
