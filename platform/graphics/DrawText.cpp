#include "platform/graphics/DrawText.h"

#include "platform/base/CodePage.h"

#include <algorithm>

namespace {

struct Line {
    std::u16string text;
    int underline = -1; // index into text of the letter to underline
};

// Removes the prefix marks; returns the index of the letter to underline (the last marked).
int StripPrefix(std::u16string& text) {
    std::u16string out;
    int underline = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&') {
                underline = static_cast<int>(out.size());
            }
        } else if (text[i] == u'&') {
            continue;
        }
        out += text[i];
    }
    text = std::move(out);
    return underline;
}

class Layout {
public:
    Layout(TCanvas& canvas, unsigned flags) : canvas_(canvas), flags_(flags) {
        TTextMetric tm = canvas.GetTextMetrics();
        lineHeight_ = tm.Height + (flags & DT_EXTERNALLEADING ? tm.ExternalLeading : 0);
        tabWidth_ = std::max(1, 8 * tm.AveCharWidth);
    }

    int LineHeight() const { return lineHeight_; }

    // The width of a line, tabs expanded when asked.
    int Width(std::u16string_view text) {
        if (!(flags_ & DT_EXPANDTABS) || text.find(u'\t') == std::u16string_view::npos) {
            return canvas_.TextWidthW(text);
        }
        int x = 0;
        size_t start = 0;
        while (true) {
            size_t tab = text.find(u'\t', start);
            x += canvas_.TextWidthW(text.substr(start, tab - start));
            if (tab == std::u16string_view::npos) {
                return x;
            }
            x = (x / tabWidth_ + 1) * tabWidth_;
            start = tab + 1;
        }
    }

    // Draws a line at (x, y), tabs expanded when asked; `underline` marks a letter.
    void Draw(int x, int y, const Line& line) {
        std::u16string_view text = line.text;
        if (!(flags_ & DT_EXPANDTABS)) {
            canvas_.TextOutW(x, y, text);
        } else {
            int at = 0;
            size_t start = 0;
            while (true) {
                size_t tab = text.find(u'\t', start);
                std::u16string_view piece = text.substr(start, tab - start);
                canvas_.TextOutW(x + at, y, piece);
                at += canvas_.TextWidthW(piece);
                if (tab == std::u16string_view::npos) {
                    break;
                }
                at = (at / tabWidth_ + 1) * tabWidth_;
                start = tab + 1;
            }
        }
        if (line.underline >= 0 && static_cast<size_t>(line.underline) < text.size()) {
            int before = Width(text.substr(0, static_cast<size_t>(line.underline)));
            TFontStyles style = canvas_.Font().Style();
            TBkMode mode = canvas_.BkMode();
            canvas_.Font().SetStyle(style | TFontStyles{TFontStyle::fsUnderline});
            canvas_.SetBkMode(TBkMode::bkTransparent);
            canvas_.TextOutW(x + before, y, text.substr(static_cast<size_t>(line.underline), 1));
            canvas_.Font().SetStyle(style);
            canvas_.SetBkMode(mode);
        }
    }

    // Wraps one paragraph into lines no wider than `width`.
    void Wrap(const Line& paragraph, int width, std::vector<Line>& out) {
        const std::u16string& text = paragraph.text;
        size_t start = 0;
        do {
            // Longest run of whole words from `start` that fits.
            size_t end = start, fitEnd = std::u16string::npos;
            while (end < text.size()) {
                size_t wordEnd = end;
                while (wordEnd < text.size() && text[wordEnd] == u' ') {
                    ++wordEnd;
                }
                while (wordEnd < text.size() && text[wordEnd] != u' ') {
                    ++wordEnd;
                }
                size_t trimmed = wordEnd;
                if (Width(std::u16string_view(text).substr(start, trimmed - start)) > width) {
                    break;
                }
                fitEnd = wordEnd;
                end = wordEnd;
            }
            if (fitEnd == std::u16string::npos) {
                // Not even one word fits.
                size_t wordEnd = start;
                while (wordEnd < text.size() && text[wordEnd] == u' ') {
                    ++wordEnd;
                }
                while (wordEnd < text.size() && text[wordEnd] != u' ') {
                    ++wordEnd;
                }
                fitEnd = wordEnd;
                if (flags_ & DT_EDITCONTROL) {
                    size_t chars = start + 1;
                    while (chars < wordEnd && Width(std::u16string_view(text).substr(
                                                  start, chars + 1 - start)) <= width) {
                        ++chars;
                    }
                    fitEnd = chars;
                }
            }
            Line line;
            line.text = text.substr(start, fitEnd - start);
            while (!line.text.empty() && line.text.back() == u' ') {
                line.text.pop_back();
            }
            if (paragraph.underline >= static_cast<int>(start) &&
                paragraph.underline < static_cast<int>(start + line.text.size())) {
                line.underline = paragraph.underline - static_cast<int>(start);
            }
            out.push_back(std::move(line));
            start = fitEnd;
            while (start < text.size() && text[start] == u' ') {
                ++start;
            }
        } while (start < text.size());
    }

    // Shortens a line to fit `width`, ending it with "...".
    void Ellipsis(Line& line, int width) {
        if (Width(line.text) <= width) {
            return;
        }
        std::u16string text = line.text;
        while (!text.empty() && Width(text + u"...") > width) {
            text.pop_back();
        }
        if (line.underline >= static_cast<int>(text.size())) {
            line.underline = -1;
        }
        line.text = text + u"...";
    }

private:
    TCanvas& canvas_;
    unsigned flags_;
    int lineHeight_ = 0;
    int tabWidth_ = 1;
};

} // namespace

int DrawTextW(TCanvas& canvas, std::u16string_view source, TRect& r, unsigned flags) {
    std::u16string text(source);
    int underline = -1;
    if (!(flags & DT_NOPREFIX)) {
        underline = StripPrefix(text);
        if (flags & DT_HIDEPREFIX) {
            underline = -1;
        }
    }
    Layout layout(canvas, flags);
    int width = r.Width();

    // Paragraphs, then lines.
    std::vector<Line> paragraphs;
    if (flags & DT_SINGLELINE) {
        paragraphs.push_back({text, underline});
    } else {
        size_t start = 0;
        while (true) {
            size_t end = text.find_first_of(u"\r\n", start);
            Line p;
            p.text = text.substr(start, end == std::u16string::npos ? end : end - start);
            if (underline >= static_cast<int>(start) &&
                underline < static_cast<int>(start + p.text.size())) {
                p.underline = underline - static_cast<int>(start);
            }
            paragraphs.push_back(std::move(p));
            if (end == std::u16string::npos) {
                break;
            }
            start = end +
                    (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
            if (start >= text.size()) {
                break;
            }
        }
    }
    std::vector<Line> lines;
    for (const Line& p : paragraphs) {
        if ((flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE) && !p.text.empty()) {
            layout.Wrap(p, width, lines);
        } else {
            lines.push_back(p);
        }
    }
    if (flags & DT_END_ELLIPSIS) {
        for (Line& line : lines) {
            layout.Ellipsis(line, width);
        }
    }

    int height = layout.LineHeight() * static_cast<int>(lines.size());
    if (flags & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines) {
            widest = std::max(widest, layout.Width(line.text));
        }
        r.Right = r.Left + widest;
        r.Bottom = r.Top + height;
        return height;
    }

    int y = r.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER) {
            y = r.Top + (r.Height() - height) / 2;
        } else if (flags & DT_BOTTOM) {
            y = r.Bottom - height;
        }
    }
    std::optional<QRegion> savedClip = canvas.ClipRegion();
    if (!(flags & DT_NOCLIP)) {
        canvas.IntersectClipRect(r);
    }
    for (const Line& line : lines) {
        int lineWidth = layout.Width(line.text);
        int x = r.Left;
        if (flags & DT_CENTER) {
            x = r.Left + (width - lineWidth) / 2;
        } else if (flags & DT_RIGHT) {
            x = r.Right - lineWidth;
        }
        layout.Draw(x, y, line);
        y += layout.LineHeight();
    }
    if (!(flags & DT_NOCLIP)) {
        if (savedClip) {
            canvas.SetClipRegion(*savedClip);
        } else {
            canvas.RemoveClip();
        }
    }
    if ((flags & DT_SINGLELINE) && (flags & (DT_VCENTER | DT_BOTTOM))) {
        return y - r.Top;
    }
    return height;
}

int DrawText(TCanvas& canvas, std::string_view text, TRect& r, unsigned flags) {
    return DrawTextW(canvas, MultiByteToUtf16(text, CharsetToCodePage(canvas.Font().Charset())), r,
                     flags);
}
