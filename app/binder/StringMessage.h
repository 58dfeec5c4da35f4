#pragma once

// The one serial container of the binder formats: a growable byte buffer of fields, each
// written as its length in lower-case hexadecimal, "#", then exactly that many raw bytes.
// Writing appends at the end; reading walks the fields from the start.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class StringMessageI18N {
public:
    static constexpr int32_t InitialCapacity = 1024;
    static constexpr int32_t InitialIncrement = 1024;

    StringMessageI18N();
    // A message to be read, holding the text up to its first NUL byte.
    explicit StringMessageI18N(const char* text);
    explicit StringMessageI18N(const std::string& text);
    // A message to be read, holding exactly these bytes (NUL bytes included).
    StringMessageI18N(const char* data, size_t length);
    ~StringMessageI18N();

    StringMessageI18N(const StringMessageI18N&) = delete;
    StringMessageI18N& operator=(const StringMessageI18N&) = delete;

    // Writing. Every size is checked: a message never passes 2 GiB (EStreamError).
    void AddCString(const char* text);
    // The string up to its first NUL byte.
    void AddString(const std::string& text);
    void AddData(const void* data, size_t length);
    // All bytes of the string, NUL bytes included.
    void AddBytes(const std::string& bytes) { AddData(bytes.data(), bytes.size()); }
    void AddBool(int32_t value);
    // Appends bytes with no field header.
    void AppendRaw(const void* data, size_t length);

    // The bytes a field of `length` bytes takes: its header ("%x" of the length and "#") and
    // the bytes. Writers that lay out nested blocks before building them size them with it.
    static size_t FieldSize(size_t length);
    // The header of a field of `length` bytes.
    static void AppendFieldHeader(std::string& out, size_t length);

    // Where the field that starts at `pos` of `bytes` lies, by the rules of ReadData: its
    // length is the leading hexadecimal digits of the text before the first "#". None when no
    // "#" comes before a NUL byte or the end; Overrun when the length runs past the end.
    enum class TFieldScan { Found, None, Overrun };
    struct TFieldSpan {
        size_t Start = 0; // of the field's bytes
        size_t Length = 0;
    };
    static TFieldScan ScanField(std::string_view bytes, size_t pos, TFieldSpan& span);

    // Reading. The buffers handed out belong to the message until Rewind, Clear or its end.
    // A missing "#" or a field longer than the bytes left gives null; a bad field also ends
    // the reading.
    char* ReadCString();
    char* ReadData(int32_t& length);
    // The next field up to its first NUL byte ("" past the end).
    std::string ReadString();
    // The next field's bytes, NUL bytes included ("" past the end).
    std::string ReadBytes();
    bool HasMore() const;
    void Rewind();

    const char* GetBuffer() const { return buffer_.get(); }
    int32_t GetLength() const { return used_; }
    int32_t GetCapacity() const { return capacity_; }
    // The used bytes up to the first NUL byte.
    std::string ToString() const;
    // All used bytes.
    std::string Bytes() const { return std::string(buffer_.get(), static_cast<size_t>(used_)); }
    void Clear();

private:
    void Init(int32_t capacity);
    void ResetReader();
    void AddField(const void* data, size_t length);
    void Grow(int64_t needed);
    size_t ReadPosition() const { return rewindPending_ ? 0 : readPos_; }

    std::unique_ptr<char[]> buffer_;
    bool rewindPending_ = true;
    int32_t capacity_ = 0;
    int32_t used_ = 0;
    int32_t increment_ = InitialIncrement;
    size_t readPos_ = 0;
    std::vector<std::unique_ptr<char[]>> kept_;
};
