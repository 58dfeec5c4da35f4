#pragma once

// What a copy writes to the clipboard. A copy collects every format it offers in one writer and
// publishes them together, so a failure half-way leaves the clipboard as it was. The document
// layer sees only this; platform/widgets implements it over the system clipboard.

#include <string>

class TGraphic;

// Our MIME names of the two registered formats (same bytes as on Windows).
inline constexpr const char* CF_RICHNOTE_MIME = "application/x-richnote";
inline constexpr const char* CF_RTF_MIME = "text/rtf";

class IClipboardWriter {
public:
    virtual ~IClipboardWriter() = default;
    // Forgets what an unpublished copy collected.
    virtual void Begin() = 0;
    virtual void SetFormat(const std::string& mimeType, std::string bytes) = 0;
    // Raw UTF-16LE text.
    virtual void SetUnicodeText(std::string utf16) = 0;
    virtual void SetImage(const TGraphic& graphic) = 0;
    // Hands the collected formats to the system at once.
    virtual void Publish() = 0;
};
