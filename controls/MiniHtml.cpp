#include "controls/MiniHtml.h"

#include "controls/ShellIcon.h"
#include "platform/base/CodePage.h"
#include "platform/base/StringUtils.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/ImageList.h"

#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Where `needle` first occurs in `text` at or after `from`, ignoring letter case.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from = 0) {
    if (needle.size() > text.size()) {
        return std::string_view::npos;
    }
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        bool same = true;
        for (size_t k = 0; k < needle.size() && same; ++k) {
            same = Upper(text[i + k]) == Upper(needle[k]);
        }
        if (same) {
            return i;
        }
    }
    return std::string_view::npos;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && FindNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The value of an attribute: its name after a blank, then "=" and a double-quoted value. The
// name without "=" or with an unquoted value gives "". Nothing when the tag lacks the name.
std::optional<std::string> Attribute(std::string_view tag, std::string_view name) {
    std::optional<std::string> found;
    for (size_t at = FindNoCase(tag, name); at != std::string_view::npos;
         at = FindNoCase(tag, name, at + 1)) {
        if (at == 0 || !IsBlank(tag[at - 1])) {
            continue;
        }
        size_t i = at + name.size();
        while (i < tag.size() && IsBlank(tag[i])) {
            ++i;
        }
        if (i >= tag.size() || tag[i] != '=') {
            found = found.value_or("");
            continue;
        }
        ++i;
        while (i < tag.size() && IsBlank(tag[i])) {
            ++i;
        }
        if (i < tag.size() && tag[i] == '"') {
            size_t close = tag.find('"', i + 1);
            if (close != std::string_view::npos) {
                return std::string(tag.substr(i + 1, close - i - 1));
            }
        }
        return std::string();
    }
    return found;
}

// The first double-quoted value of a tag ("" when there is none).
std::string FirstQuoted(std::string_view tag) {
    size_t open = tag.find('"');
    size_t close = open == std::string_view::npos ? open : tag.find('"', open + 1);
    if (close == std::string_view::npos) {
        return std::string();
    }
    return std::string(tag.substr(open + 1, close - open - 1));
}

// A decimal whole number, blanks around it allowed.
std::optional<int> Decimal(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The four entities, replaced in one pass from left to right, so that a replacement never
// forms a new entity with the text after it ("&amp;lt;" shows "&lt;").
std::string DecodeEntities(std::string_view word) {
    static constexpr std::pair<std::string_view, char> Entities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}};
    std::string out;
    out.reserve(word.size());
    for (size_t i = 0; i < word.size();) {
        bool replaced = false;
        if (word[i] == '&') {
            for (const auto& [entity, c] : Entities) {
                if (StartsNoCase(word.substr(i), entity)) {
                    out += c;
                    i += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out += word[i++];
        }
    }
    return out;
}

// A colour value of FONT and BODY: a name with "cl", and six hex digits after "#" over it.
std::optional<TColor> ColorValue(std::string_view value) {
    std::optional<TColor> color;
    if (value.find("cl") != std::string_view::npos) {
        color = HTMLColorByName(LowerCase(value));
    }
    if (value.find('#') != std::string_view::npos) {
        if (std::optional<TColor> hex = HTMLHexToColor(value)) {
            color = hex;
        }
    }
    return color;
}

int FloorHalf(int value) {
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

enum class TLineAlign { Left, Right, Center };

enum class TPassMode {
    Measure, // finds where the line ends, its width, height and offsets
    Paint,   // draws a line whose text is known
    HitTest, // finds the link under the point in a line whose text is known
};

struct TLineResult {
    size_t consumed = 0;
    int width = 0;
    int height = 0;
    bool hit = false;
    std::string anchor;
};

constexpr unsigned PaintFlags =
    DT_BOTTOM | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | DT_EXTERNALLEADING | DT_NOPREFIX;
constexpr unsigned MeasureFlags = DT_CALCRECT | DT_NOPREFIX | DT_EXTERNALLEADING | DT_EXPANDTABS;

// The state of one HTMLDrawText call, shared by its passes.
class TRenderer {
public:
    TRenderer(TCanvas& canvas, const TRect& given, const TImageList* images, TPoint point,
              bool blinkShown, TColor linkColor)
        : canvas_(canvas), given_(given), images_(images), point_(point), blinkShown_(blinkShown),
          linkColor_(linkColor), baseFont_(canvas.Font()),
          savedBackground_(canvas.Brush().Color()) {}

    bool Run(std::string_view text, bool hitTest, std::string& anchor);

private:
    struct TPicture {
        int width = 0;
        int height = 0;
        int index = -1; // in the image list
        QImage image;   // any other source
    };

    TLineResult Pass(std::string_view text, const TRect& rect, TPassMode mode);
    // Handles a start or end tag; false when the line ends before it (an image that does not
    // fit), in which case the tag stays for the next line. `ended` is set by tags that end
    // the line after themselves.
    bool Tag(std::string_view tag, const TRect& rect, TPassMode mode, TLineResult& line, int& pen,
             int& lineBlank, int lastBottom, bool& ended);
    void EndTag(std::string_view tag, TPassMode mode, bool& ended);
    bool Image(std::string_view tag, const TRect& rect, TPassMode mode, TLineResult& line, int& pen,
               int lastBottom);
    TPicture FindPicture(std::string_view source) const;
    void Body(std::string_view tag);
    void SetStyle(TFontStyle style, bool on);
    int GhHeight() { return canvas_.TextHeightW(u"gh"); }

    TCanvas& canvas_;
    TRect given_;
    const TImageList* images_;
    TPoint point_;
    bool blinkShown_;
    TColor linkColor_;
    TFont baseFont_;
    TColor savedBackground_;

    bool inAnchor_ = false;
    std::string href_;
    TLineAlign align_ = TLineAlign::Left;
    bool sub_ = false;
    bool sup_ = false;
    int subOffset_ = 0;
    int supOffset_ = 0;
    int imageTextOffset_ = 0;
    // While a FONT bgcolor is in force its colour shows behind the text.
    bool textBackground_ = false;
};

bool TRenderer::Run(std::string_view text, bool hitTest, std::string& anchor) {
    TRect work = given_;
    work.Left += 1;
    canvas_.SetBkMode(TBkMode::bkTransparent);
    int top = work.Top;
    bool result = false;
    size_t pos = 0;
    while (pos < text.size()) {
        sub_ = sup_ = false;
        subOffset_ = supOffset_ = imageTextOffset_ = 0;
        TFont lineFont(canvas_.Font());
        bool lineInAnchor = inAnchor_;
        std::string lineHref = href_;

        TLineResult measured = Pass(text.substr(pos), Rect(work.Left, top, work.Right, work.Bottom),
                                    TPassMode::Measure);
        if (measured.consumed == 0) {
            break; // nothing fits at all; never loop on the same text
        }
        int left = work.Left;
        if (align_ == TLineAlign::Right) {
            left = work.Right - measured.width;
        } else if (align_ == TLineAlign::Center) {
            left = work.Left + FloorHalf(work.Width() - measured.width);
        }
        int extra = subOffset_ + supOffset_;
        TRect line = Rect(left, top, work.Right, top + measured.height + extra);

        canvas_.Font().Assign(lineFont);
        inAnchor_ = lineInAnchor;
        href_ = lineHref;
        sub_ = sup_ = false;
        TLineResult second = Pass(text.substr(pos, measured.consumed), line,
                                  hitTest ? TPassMode::HitTest : TPassMode::Paint);
        if (hitTest && second.hit && point_.Y > line.Top && point_.Y < line.Bottom) {
            anchor = second.anchor;
            result = true;
            break;
        }

        pos += measured.consumed;
        top += measured.height + extra;
        if (top + measured.height > given_.Bottom) {
            break; // the next line would not fit
        }
    }
    canvas_.Font().Assign(baseFont_);
    return result;
}

TLineResult TRenderer::Pass(std::string_view text, const TRect& rect, TPassMode mode) {
    TLineResult line;
    line.height = GhHeight();
    int baseline = rect.Bottom - subOffset_;
    int pen = rect.Left;
    int blank = 0;
    int lastBottom = rect.Bottom;
    bool ended = false;
    size_t pos = 0;
    while (!ended && pos < text.size()) {
        std::string_view rest = text.substr(pos);
        size_t lt = rest.find('<');
        size_t space = rest.find(' ');
        size_t length = rest.size();
        if (lt != std::string_view::npos && (space == std::string_view::npos || lt < space)) {
            length = lt;
        } else if (space != std::string_view::npos) {
            length = space + 1;
        }
        if (length > 0) {
            std::string_view raw = rest.substr(0, length);
            std::u16string word = Utf8ToUtf16(DecodeEntities(raw));
            TRect measure = rect;
            DrawTextW(canvas_, word, measure, MeasureFlags);
            int w = measure.Width();
            int h = canvas_.TextHeightW(word);
            int before = line.width;
            line.width += w;
            if (mode == TPassMode::Measure && !(line.width < rect.Width() || w >= rect.Width())) {
                // The word starts the next line.
                line.width = before;
                ended = true;
                break;
            }
            if (sub_) {
                subOffset_ = std::max(subOffset_, h / 4);
            }
            if (sup_) {
                supOffset_ = std::max(supOffset_, h / 4);
            }
            line.height = std::max(line.height, h);
            if (mode == TPassMode::Paint) {
                int bottom =
                    baseline - (sup_ ? supOffset_ : 0) + (sub_ ? subOffset_ : 0) - imageTextOffset_;
                TRect out = Rect(pen, rect.Top, std::max(pen, rect.Right), bottom);
                canvas_.SetBkMode(textBackground_ ? TBkMode::bkOpaque : TBkMode::bkTransparent);
                DrawTextW(canvas_, word, out, PaintFlags);
                pen += w;
            }
            if (mode == TPassMode::HitTest && inAnchor_) {
                int x = point_.X - rect.Left;
                if (x > before && x < line.width && point_.Y > rect.Top &&
                    point_.Y < rect.Top + measure.Height()) {
                    line.hit = true;
                    line.anchor = href_;
                }
            }
            lastBottom = rect.Top + measure.Height();
            blank = raw.back() == ' ' ? canvas_.TextWidthW(u" ") : 0;
            pos += length;
            continue;
        }
        // A tag.
        size_t close = rest.find('>');
        if (close == std::string_view::npos) {
            pos = text.size(); // a tag that never closes ends the text
            break;
        }
        if (!Tag(rest.substr(0, close + 1), rect, mode, line, pen, blank, lastBottom, ended)) {
            break;
        }
        pos += close + 1;
    }
    line.width -= blank;
    line.consumed = pos;
    return line;
}

void TRenderer::SetStyle(TFontStyle style, bool on) {
    TFontStyles styles = canvas_.Font().Style();
    if (on) {
        styles.Include(style);
    } else {
        styles.Exclude(style);
    }
    canvas_.Font().SetStyle(styles);
}

bool TRenderer::Tag(std::string_view tag, const TRect& rect, TPassMode mode, TLineResult& line,
                    int& pen, int& lineBlank, int lastBottom, bool& ended) {
    if (tag.size() >= 2 && tag[1] == '/') {
        EndTag(tag, mode, ended);
        return true;
    }
    char letter = tag.size() > 1 ? Upper(tag[1]) : '\0';
    switch (letter) {
    case 'A':
        SetStyle(TFontStyle::fsUnderline, true);
        canvas_.Font().SetColor(linkColor_);
        href_ = Attribute(tag, "href").value_or("");
        inAnchor_ = true;
        break;
    case 'B':
        if (StartsNoCase(tag, "<BR>")) {
            ended = true;
        } else if (StartsNoCase(tag, "<B>")) {
            SetStyle(TFontStyle::fsBold, true);
        } else if (StartsNoCase(tag, "<BLINK")) {
            if (!blinkShown_) {
                canvas_.Font().SetColor(canvas_.Brush().Color());
            }
        } else if (StartsNoCase(tag, "<BODY") && mode == TPassMode::Paint) {
            Body(tag);
        }
        break;
    case 'F': {
        if (std::optional<std::string> face = Attribute(tag, "face"); face && !face->empty()) {
            canvas_.Font().SetName(*face);
        }
        if (std::optional<std::string> color = Attribute(tag, "color")) {
            if (std::optional<TColor> c = ColorValue(*color)) {
                canvas_.Font().SetColor(*c);
            }
        }
        if (std::optional<std::string> bg = Attribute(tag, "bgcolor")) {
            std::optional<TColor> c = ColorValue(*bg);
            if (c && mode == TPassMode::Paint) {
                savedBackground_ = canvas_.Brush().Color();
                canvas_.Brush().SetColor(*c);
                textBackground_ = true;
            }
        }
        if (std::optional<std::string> size = Attribute(tag, "size")) {
            // Sizes that are not whole numbers, or not sensible ones, are ignored.
            if (std::optional<int> points = Decimal(*size);
                points && *points > 0 && *points < 1000) {
                canvas_.Font().SetSize(*points);
            }
        }
        break;
    }
    case 'H':
        ended = true;
        if (mode == TPassMode::Paint) {
            int y = rect.Bottom - subOffset_;
            TColor pen0 = canvas_.Pen().Color();
            int width0 = canvas_.Pen().Width();
            canvas_.Pen().SetColor(clBlack);
            canvas_.Pen().SetWidth(1);
            canvas_.MoveTo(rect.Left, y);
            canvas_.LineTo(rect.Right, y);
            canvas_.Pen().SetColor(pen0);
            canvas_.Pen().SetWidth(width0);
        }
        break;
    case 'I':
        if (StartsNoCase(tag, "<I>")) {
            SetStyle(TFontStyle::fsItalic, true);
        } else if (StartsNoCase(tag, "<IND")) {
            std::optional<int> n = Decimal(Attribute(tag, "x").value_or(""));
            if (n && *n > line.width) {
                line.width = *n;
                pen = rect.Left + *n;
                lineBlank = 0;
            }
        } else if (StartsNoCase(tag, "<IMG")) {
            if (!Image(tag, rect, mode, line, pen, lastBottom)) {
                return false;
            }
            lineBlank = 0; // the blank before the image no longer ends the line
        }
        break;
    case 'P': {
        std::string value = LowerCase(Attribute(tag, "align").value_or(""));
        if (value.find("right") != std::string::npos) {
            align_ = TLineAlign::Right;
        }
        if (value.find("left") != std::string::npos) {
            align_ = TLineAlign::Left;
        }
        if (value.find("center") != std::string::npos) {
            align_ = TLineAlign::Center;
        }
        break;
    }
    case 'S':
        if (StartsNoCase(tag, "<S>")) {
            SetStyle(TFontStyle::fsStrikeOut, true);
        } else if (StartsNoCase(tag, "<SUB>")) {
            sub_ = true;
        } else if (StartsNoCase(tag, "<SUP>")) {
            sup_ = true;
        }
        break;
    case 'U':
        SetStyle(TFontStyle::fsUnderline, true);
        break;
    default:
        break;
    }
    return true;
}

void TRenderer::EndTag(std::string_view tag, TPassMode mode, bool& ended) {
    char letter = tag.size() > 2 ? Upper(tag[2]) : '\0';
    switch (letter) {
    case 'A':
        SetStyle(TFontStyle::fsUnderline, false);
        canvas_.Font().SetColor(baseFont_.Color());
        inAnchor_ = false;
        break;
    case 'B':
        if (StartsNoCase(tag, "</BL")) {
            canvas_.Font().SetColor(baseFont_.Color());
        } else {
            SetStyle(TFontStyle::fsBold, false);
        }
        break;
    case 'F':
        canvas_.Font().SetName(baseFont_.Name());
        canvas_.Font().SetHeight(baseFont_.Height());
        canvas_.Font().SetColor(baseFont_.Color());
        if (mode == TPassMode::Paint) {
            canvas_.Brush().SetColor(savedBackground_);
            textBackground_ = false;
        }
        break;
    case 'I':
        SetStyle(TFontStyle::fsItalic, false);
        break;
    case 'P':
        ended = true;
        break;
    case 'S':
        if (StartsNoCase(tag, "</SU")) {
            sub_ = sup_ = false;
        } else {
            SetStyle(TFontStyle::fsStrikeOut, false);
        }
        break;
    case 'U':
        SetStyle(TFontStyle::fsUnderline, false);
        break;
    default:
        break;
    }
}

TRenderer::TPicture TRenderer::FindPicture(std::string_view source) const {
    TPicture picture;
    auto after = [&](std::string_view prefix, std::string_view& rest) {
        if (FindNoCase(source, prefix) == std::string_view::npos) {
            return false;
        }
        rest = source.substr(std::min(prefix.size(), source.size()));
        return true;
    };
    std::string_view rest;
    if (after("idx:", rest)) {
        std::optional<int> n = Decimal(rest);
        if (images_ && n && *n >= 0 && *n < images_->Count()) {
            picture.index = *n;
            picture.width = images_->Width();
            picture.height = images_->Height();
        }
        return picture;
    }
    if (after("ssys:", rest)) {
        picture.image = ShellIconImage(rest, false);
    } else if (after("lsys:", rest)) {
        picture.image = ShellIconImage(rest, true);
    } else if (after("res://", rest)) {
        picture.image =
            QImage(":/" + QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size())));
    } else if (after("file://", rest)) {
        QString path = QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size()));
        if (QFileInfo(path).isFile()) {
            picture.image = QImage(path);
        }
    }
    picture.width = picture.image.width();
    picture.height = picture.image.height();
    return picture;
}

bool TRenderer::Image(std::string_view tag, const TRect& rect, TPassMode mode, TLineResult& line,
                      int& pen, int lastBottom) {
    // Status texts also write the source as the only quoted value: <img "idx:1">.
    std::optional<std::string> src = Attribute(tag, "src");
    TPicture picture = FindPicture(src ? *src : FirstQuoted(tag));

    if (mode == TPassMode::HitTest && inAnchor_) {
        int x = point_.X - rect.Left;
        if (x > line.width && x < line.width + picture.width && point_.Y > rect.Top &&
            point_.Y < lastBottom) {
            line.hit = true;
            line.anchor = href_;
        }
    }
    if (mode == TPassMode::Measure && line.width + picture.width > rect.Width() &&
        picture.width < rect.Width()) {
        return false;
    }
    if (mode == TPassMode::Paint) {
        if (picture.index >= 0) {
            images_->Draw(canvas_, pen, rect.Top, picture.index, true);
        } else if (!picture.image.isNull()) {
            canvas_.DrawImage(Bounds(pen, rect.Top, picture.width, picture.height), picture.image,
                              Rect(0, 0, picture.width, picture.height));
        }
    }
    line.width += picture.width;
    pen += picture.width;
    line.height = std::max(line.height, picture.height);
    if (mode == TPassMode::Measure) {
        std::string align = LowerCase(Attribute(tag, "align").value_or(""));
        if (align.starts_with("top")) {
            imageTextOffset_ = line.height - GhHeight();
        } else if (align.starts_with("middle")) {
            imageTextOffset_ = (line.height - GhHeight()) / 2;
        }
    }
    return true;
}

void TRenderer::Body(std::string_view tag) {
    if (std::optional<std::string> background = Attribute(tag, "background")) {
        size_t at = background->find("file://");
        if (at != std::string::npos) {
            QString path = QString::fromUtf8(background->c_str() + at + 7);
            QImage tile = QFileInfo(path).isFile() ? QImage(path) : QImage();
            if (!tile.isNull()) {
                std::optional<QRegion> clip = canvas_.ClipRegion();
                canvas_.IntersectClipRect(given_);
                for (int y = given_.Top; y < given_.Bottom; y += tile.height()) {
                    for (int x = given_.Left; x < given_.Right; x += tile.width()) {
                        canvas_.DrawImage(Bounds(x, y, tile.width(), tile.height()), tile,
                                          Rect(0, 0, tile.width(), tile.height()));
                    }
                }
                if (clip) {
                    canvas_.SetClipRegion(*clip);
                } else {
                    canvas_.RemoveClip();
                }
            }
        }
    }
    if (std::optional<std::string> bg = Attribute(tag, "bgcolor")) {
        if (std::optional<TColor> c = ColorValue(*bg)) {
            canvas_.Brush().SetColor(*c);
            savedBackground_ = *c;
            canvas_.FillRect(given_);
        }
    }
}

} // namespace

TColor HTMLColorByName(std::string_view name) {
    // The sixteen basic colours and the system colours 1 to 24, by their framework names.
    std::optional<TColor> color = IdentToColor(name);
    if (!color) {
        return clBlack;
    }
    bool basic = *color >= 0 && *color <= 0xFFFFFF;
    int index = static_cast<int>(static_cast<uint32_t>(*color) & 0xFF);
    bool system = *color < 0 && index >= 1 && index <= 24;
    return basic || system ? *color : clBlack;
}

std::optional<TColor> HTMLHexToColor(std::string_view value) {
    size_t hash = value.find('#');
    if (hash == std::string_view::npos || value.size() - hash - 1 < 6) {
        return std::nullopt;
    }
    int rgb[3];
    for (int k = 0; k < 3; ++k) {
        int high = HexDigitValue(value[hash + 1 + 2 * k]);
        int low = HexDigitValue(value[hash + 2 + 2 * k]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        rgb[k] = high * 16 + low;
    }
    return RGB(rgb[0], rgb[1], rgb[2]);
}

bool HTMLDrawText(TCanvas& canvas, std::string_view text, const TRect& rect,
                  const TImageList* images, int x, int y, bool hitTest, bool blinkShown,
                  TColor linkColor, std::string& anchor) {
    anchor.clear();
    TRenderer renderer(canvas, rect, images, Point(x, y), blinkShown, linkColor);
    return renderer.Run(text, hitTest, anchor);
}
