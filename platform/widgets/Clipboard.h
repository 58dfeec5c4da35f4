#pragma once

// The system clipboard. TClipboard puts the formats of one copy into one QMimeData.

#include "platform/graphics/ClipboardWriter.h"

#include <memory>
#include <string>

class QImage;
class QMimeData;

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
