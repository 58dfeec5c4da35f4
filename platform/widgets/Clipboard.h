#pragma once

// The system clipboard. A copy collects every format it offers in one writer and publishes
// them together, so a failure half-way leaves the clipboard as it was. The document layer
// sees only IClipboardWriter; TClipboard puts the formats into one QMimeData.

#include <memory>
#include <string>

class QImage;
class QMimeData;
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

class TClipboard : public IClipboardWriter {
public:
    TClipboard();
    ~TClipboard() override;

    void Begin() override;
    void SetFormat(const std::string& mimeType, std::string bytes) override;
    void SetUnicodeText(std::string utf16) override;
    void SetImage(const TGraphic& graphic) override;
    void Publish() override;

    // Readers of what the system clipboard holds now. "text/rtf" also finds
    // "application/rtf".
    static bool HasFormat(const std::string& mimeType);
    static std::string GetBytes(const std::string& mimeType);
    // Raw UTF-16LE text.
    static std::string GetUnicodeText();
    static QImage GetImage();

    // The X11 primary selection, what a middle click pastes: plain text only. Nothing
    // happens where the platform has no such selection.
    static bool SupportsSelection();
    static void SetSelectionText(const std::u16string& text);
    static std::u16string GetSelectionText();

private:
    std::unique_ptr<QMimeData> pending_;
};
