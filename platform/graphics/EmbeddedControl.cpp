#include "platform/graphics/EmbeddedControl.h"

#include "platform/base/CodePage.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ComponentStream.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>

namespace {

// A string value as UTF-8. The framework wrote 8-bit strings in the system's ANSI code page,
// not in Latin-1: the quotes and the euro sign of a caption lie where Latin-1 has control
// codes.
std::string ReadText(TReader& reader) {
    return Utf16ToUtf8(reader.ReadWideString());
}

// 8-bit in the system's ANSI code page when the text survives it, else as a wide string.
void WriteText(TWriter& writer, const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    const std::string ansi = Utf16ToMultiByte(text, CP_ACP);
    if (MultiByteToUtf16(ansi, CP_ACP) == text) {
        writer.WriteString(ansi);
    } else {
        writer.WriteWideString(text);
    }
}

// The framework's controls that draw on their parent's window instead of having one.
bool IsGraphicControlClass(const std::string& className) {
    static constexpr std::array<const char*, 8> classes{"TLabel",       "TShape",   "TImage",
                                                        "TSpeedButton", "TBevel",   "TPaintBox",
                                                        "TDBText",      "TSplitter"};
    return std::any_of(classes.begin(), classes.end(),
                       [&](const char* c) { return className == c; });
}

TControlKind KindOfClass(const std::string& className) {
    if (className == "TButton" || className == "TBitBtn") {
        return TControlKind::ckButton;
    }
    if (className == "TEdit" || className == "TMaskEdit") {
        return TControlKind::ckEdit;
    }
    if (className == "TMemo" || className == "TRichEdit") {
        return TControlKind::ckMemo;
    }
    if (className == "TPanel") {
        return TControlKind::ckPanel;
    }
    return IsGraphicControlClass(className) ? TControlKind::ckNotWindowed
                                            : TControlKind::ckOtherWindowed;
}

} // namespace

TOpaqueControl::TOpaqueControl(std::string className, std::string name, std::string bytes)
    : className_(std::move(className)), name_(std::move(name)), bytes_(std::move(bytes)) {
    if (bytes_.empty()) {
        return;
    }
    // A stream that cannot be read keeps its bytes for writing back; it only shows nothing.
    int left = 0, top = 0, width = 0, height = 0;
    std::string caption, text, streamName;
    try {
        TReader reader(bytes_);
        reader.ReadSignature();
        std::string streamClass;
        reader.ReadComponent(streamClass, streamName, [&](const std::string& prop) {
            if (prop == "Left" || prop == "Top" || prop == "Width" || prop == "Height") {
                const int value = reader.ReadInt32();
                (prop == "Left"    ? left
                 : prop == "Top"   ? top
                 : prop == "Width" ? width
                                   : height) = value;
                return true;
            }
            if (prop == "Caption") {
                caption = ReadText(reader);
                return true;
            }
            if (prop == "Text") {
                text = ReadText(reader);
                return true;
            }
            if (prop == "Lines.Strings") {
                reader.ReadListBegin();
                std::string lines;
                while (!reader.EndOfList()) {
                    lines += (lines.empty() ? "" : "\n") + ReadText(reader);
                }
                reader.ReadListEnd();
                text = lines;
                return true;
            }
            return false;
        });
    } catch (const EStreamError&) {
        return;
    }
    // Negative sizes are no size; positions and sizes stay inside what a window can hold.
    constexpr int limit = 32767;
    bounds_ = Bounds(std::clamp(left, -limit, limit), std::clamp(top, -limit, limit),
                     std::clamp(width, 0, limit), std::clamp(height, 0, limit));
    caption_ = std::move(caption);
    text_ = std::move(text);
    // The component's own name is the one it was saved under.
    if (!streamName.empty()) {
        name_ = std::move(streamName);
    }
}

void TOpaqueControl::PaintTo(TCanvas& canvas, int x, int y) const {
    TColor brush = canvas.Brush().Color();
    TBrushStyle style = canvas.Brush().Style();
    canvas.Brush().SetColor(clBtnShadow);
    canvas.FrameRect(Bounds(x, y, bounds_.Width(), bounds_.Height()));
    if (!caption_.empty()) {
        const QString caption =
            QString::fromUtf8(caption_.data(), static_cast<qsizetype>(caption_.size()));
        const std::u16string text(reinterpret_cast<const char16_t*>(caption.utf16()),
                                  static_cast<size_t>(caption.size()));
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        canvas.TextOutW(x + (bounds_.Width() - canvas.TextWidthW(text)) / 2,
                        y + (bounds_.Height() - canvas.TextHeightW(text)) / 2, text);
    }
    canvas.Brush().SetColor(brush);
    canvas.Brush().SetStyle(style);
}

TControlLook TOpaqueControl::Look() const {
    TControlLook look;
    look.Kind = KindOfClass(className_);
    const std::string& shown =
        look.Kind == TControlKind::ckEdit || look.Kind == TControlKind::ckMemo ? text_ : caption_;
    const QString text = QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
    look.Text.assign(reinterpret_cast<const char16_t*>(text.utf16()),
                     static_cast<size_t>(text.size()));
    look.SingleBorder = look.Kind == TControlKind::ckEdit || look.Kind == TControlKind::ckMemo;
    return look;
}

TControlLook IEmbeddedControl::Look() const {
    TControlLook look;
    look.Kind = IsWindowed() ? TControlKind::ckOtherWindowed : TControlKind::ckNotWindowed;
    return look;
}

std::string WriteControlComponent(const IEmbeddedControl& control) {
    TWriter writer;
    writer.WriteSignature();
    writer.WriteComponentHeader(control.ClassName(), control.Name());
    const TRect r = control.BoundsRect();
    const std::pair<const char*, int> bounds[] = {
        {"Left", r.Left}, {"Top", r.Top}, {"Width", r.Width()}, {"Height", r.Height()}};
    for (const auto& [name, value] : bounds) {
        writer.WritePropName(name);
        writer.WriteInteger(value);
    }
    const TControlLook look = control.Look();
    const QString shown =
        QString::fromUtf16(look.Text.data(), static_cast<qsizetype>(look.Text.size()));
    if (look.Kind == TControlKind::ckEdit) {
        writer.WritePropName("Text");
        WriteText(writer, shown.toUtf8().toStdString());
    } else if (look.Kind == TControlKind::ckMemo) {
        writer.WritePropName("Lines.Strings");
        writer.WriteListBegin();
        for (const QString& line : shown.split(QLatin1Char('\n'))) {
            WriteText(writer, line.toUtf8().toStdString());
        }
        writer.WriteListEnd();
    } else if (const std::string caption = control.Caption(); !caption.empty()) {
        writer.WritePropName("Caption");
        WriteText(writer, caption);
    }
    writer.WriteListEnd();
    writer.WriteListEnd();
    return writer.TakeBytes();
}
