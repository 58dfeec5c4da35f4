// The style sheet kept in key-value sections: an INI file or the settings store.

#include "richtext/model/RNStyleIni.h"

#include "richtext/model/RNStyle.h"

#include "platform/base/Files.h"
#include "platform/base/Registry.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>

// TRNCustomIniFile

int TRNCustomIniFile::ReadInteger(const std::string& section, const std::string& key,
                                  int def) const {
    const std::string text = ReadString(section, key, "");
    try {
        return text.empty() ? def : StrToInt(text);
    } catch (const EConvertError&) {
        return def;
    }
}

void TRNCustomIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

bool TRNCustomIniFile::ReadBool(const std::string& section, const std::string& key,
                                bool def) const {
    const std::string text = ReadString(section, key, "");
    return text.empty() ? def : UpperCase(text) == "YES";
}

void TRNCustomIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "Yes" : "No");
}

// TRNIniFile

bool TRNIniFile::NoCase::operator()(const std::string& a, const std::string& b) const {
    return LowerCase(a) < LowerCase(b);
}

TRNIniFile::TRNIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    size_t size = 0;
    std::unique_ptr<char[]> data = ReadFileWhole(fileName_, size);
    if (!data) {
        return; // a missing file reads as empty
    }
    std::string_view text(data.get(), size);
    std::string section;
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            section = std::string(line.substr(1, line.find(']') - 1));
            sections_[section];
        } else if (size_t eq = line.find('='); eq != std::string_view::npos) {
            sections_[section][std::string(line.substr(0, eq))] = std::string(line.substr(eq + 1));
        }
    }
}

std::string TRNIniFile::ReadString(const std::string& section, const std::string& key,
                                   const std::string& def) const {
    auto s = sections_.find(section);
    if (s == sections_.end()) {
        return def;
    }
    auto k = s->second.find(key);
    return k == s->second.end() ? def : k->second;
}

void TRNIniFile::WriteString(const std::string& section, const std::string& key,
                             const std::string& value) {
    // A line break would split the value into a line of its own.
    std::string kept = value;
    for (char& c : kept) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    sections_[section][key] = kept;
}

void TRNIniFile::UpdateFile() const {
    std::string text;
    for (const auto& [section, keys] : sections_) {
        text += "[" + section + "]\r\n";
        for (const auto& [key, value] : keys) {
            text += key + "=" + value + "\r\n";
        }
        text += "\r\n";
    }
    std::string error;
    if (!WriteFileAtomic(fileName_, text.data(), text.size(), error)) {
        throw EStreamError("Cannot write " + fileName_ + ": " + error);
    }
}

// TRNRegIniFile

std::string TRNRegIniFile::Key(const std::string& section) const {
    return path_.empty() ? section : path_ + "/" + section;
}

std::string TRNRegIniFile::ReadString(const std::string& section, const std::string& key,
                                      const std::string& def) const {
    return store_.ReadValue(Key(section), key).value_or(def);
}

void TRNRegIniFile::WriteString(const std::string& section, const std::string& key,
                                const std::string& value) {
    store_.CreateKey(Key(section));
    store_.WriteValue(Key(section), key, value);
}

void TRNRegIniFile::EraseSection(const std::string& section) {
    for (const std::string& name : store_.ValueNames(Key(section))) {
        store_.DeleteValue(Key(section), name);
    }
}

// TRNStyle persistence

namespace {

// Walks every key of the sheet once, either reading each value (missing keys give the
// default) or writing it (numbers and flags only when they differ from the default).
class KeyWalker {
public:
    KeyWalker(const TRNCustomIniFile* in, TRNCustomIniFile* out, const std::string& section)
        : in_(in), out_(out), section_(section) {}

    bool Reading() const { return in_ != nullptr; }

    // `limit` bounds an enumeration's values; a value that does not fit reads as the default.
    template <class T> void Int(const std::string& key, T& field, int64_t def, int limit = 0) {
        if (Reading()) {
            const int value = in_->ReadInteger(section_, key, static_cast<int>(def));
            bool fits = limit > 0 ? value >= 0 && value < limit : true;
            if constexpr (std::is_integral_v<T>) {
                fits = std::in_range<T>(value);
            }
            field = static_cast<T>(fits ? value : def);
        } else if (static_cast<int64_t>(field) != def) {
            out_->WriteInteger(section_, key, static_cast<int>(field));
        }
    }
    void Bool(const std::string& key, bool& field, bool def) {
        if (Reading()) {
            field = in_->ReadBool(section_, key, def);
        } else if (field != def) {
            out_->WriteBool(section_, key, field);
        }
    }
    template <class Set, class Bit> void Flag(const std::string& key, Set& set, Bit bit, bool def) {
        bool on = set.Contains(bit);
        Bool(key, on, def);
        on ? set.Include(bit) : set.Exclude(bit);
    }
    void Str(const std::string& key, std::string& field, const std::string& def) {
        if (Reading()) {
            field = in_->ReadString(section_, key, def);
        } else {
            out_->WriteString(section_, key, field);
        }
    }
    template <class Set> void Bits(const std::string& key, Set& set) {
        uint32_t bits = set.Bits();
        Int(key, bits, 0);
        set = Set::FromBits(bits);
    }

private:
    const TRNCustomIniFile* in_;
    TRNCustomIniFile* out_;
    const std::string& section_;
};

void WalkRect(KeyWalker& w, const std::string& prefix, TRNRect& r) {
    w.Int(prefix + "Left", r.Left, 0);
    w.Int(prefix + "Right", r.Right, 0);
    w.Int(prefix + "Top", r.Top, 0);
    w.Int(prefix + "Bottom", r.Bottom, 0);
}

void WalkFont(KeyWalker& w, const std::string& prefix, TFontInfo& f, bool link, TCursor cursor) {
    using S = TFontStyle;
    const TFontInfo d;
    w.Str(prefix + "StyleName", f.StyleName, d.StyleName);
    w.Int(prefix + "BaseStyleNo", f.BaseStyleNo, d.BaseStyleNo);
    w.Str(prefix + "Name", f.FontName, d.FontName);
    w.Int(prefix + "Size", f.Size, d.Size);
    w.Int(prefix + "Charset", f.Charset, d.Charset);
    w.Flag(prefix + "Bold", f.Style, S::fsBold, false);
    w.Flag(prefix + "Italic", f.Style, S::fsItalic, false);
    w.Flag(prefix + "Underline", f.Style, S::fsUnderline, false);
    w.Flag(prefix + "StrikeOut", f.Style, S::fsStrikeOut, false);
    w.Flag(prefix + "Overline", f.StyleEx, TRNFontStyleEx::rnfsOverline, false);
    w.Flag(prefix + "Caps", f.StyleEx, TRNFontStyleEx::rnfsAllCaps, false);
    w.Bool(prefix + "Jump", f.Jump, link);
    w.Int(prefix + "JumpCursor", f.JumpCursor, cursor);
    w.Int(prefix + "Color", f.Color, d.Color);
    w.Int(prefix + "BackColor", f.BackColor, d.BackColor);
    w.Int(prefix + "HoverColor", f.HoverColor, d.HoverColor);
    w.Int(prefix + "HoverBackColor", f.HoverBackColor, d.HoverBackColor);
    w.Int(prefix + "CharScale", f.CharScale, d.CharScale);
    w.Int(prefix + "VShift", f.VShift, d.VShift);
    w.Int(prefix + "NextStyleNo", f.NextStyleNo, d.NextStyleNo);
    w.Bits(prefix + "Protection", f.Protection);
    w.Bool(prefix + "Unicode", f.Unicode, d.Unicode);
}

void WalkPara(KeyWalker& w, const std::string& prefix, TParaInfo& p) {
    const TParaInfo d;
    w.Str(prefix + "StyleName", p.StyleName, d.StyleName);
    w.Int(prefix + "BaseStyleNo", p.BaseStyleNo, d.BaseStyleNo);
    w.Int(prefix + "LeftIndent", p.LeftIndent, 0);
    w.Int(prefix + "RightIndent", p.RightIndent, 0);
    w.Int(prefix + "FirstIndent", p.FirstIndent, 0);
    w.Int(prefix + "SpaceBefore", p.SpaceBefore, 0);
    w.Int(prefix + "SpaceAfter", p.SpaceAfter, 0);
    w.Int(prefix + "LineSpacing", p.LineSpacing, d.LineSpacing);
    w.Int(prefix + "LSType", p.LineSpacingType, 0, 2);
    w.Int(prefix + "NextParaNo", p.NextParaNo, d.NextParaNo);
    w.Int(prefix + "Alignment", p.Alignment, 0, 4);
    const std::string border = prefix + "Border";
    w.Int(border + "Width", p.Border.Width, d.Border.Width);
    w.Int(border + "Style", p.Border.Style, 0, 6);
    w.Int(border + "Color", p.Border.Color, d.Border.Color);
    w.Int(border + "InternalWidth", p.Border.InternalWidth, d.Border.InternalWidth);
    WalkRect(w, border + "Offsets", p.Border.BorderOffsets);
    w.Bool(border + "VisibleLeft", p.Border.VisibleBorders.Left, true);
    w.Bool(border + "VisibleRight", p.Border.VisibleBorders.Right, true);
    w.Bool(border + "VisibleTop", p.Border.VisibleBorders.Top, true);
    w.Bool(border + "VisibleBottom", p.Border.VisibleBorders.Bottom, true);
    const std::string background = prefix + "Background";
    w.Int(background + "Color", p.Background.Color, d.Background.Color);
    WalkRect(w, background + "Offsets", p.Background.BorderOffsets);
}

void WalkSheet(KeyWalker& w, TRNStyle& sheet) {
    const TRNStyle d;
    w.Int("Color", sheet.Color, d.Color);
    w.Int("HoverColor", sheet.HoverColor, d.HoverColor);
    w.Int("SelColor", sheet.SelColor, d.SelColor);
    w.Int("SelTextColor", sheet.SelTextColor, d.SelTextColor);
    w.Int("CheckpointColor", sheet.CheckpointColor, d.CheckpointColor);
    w.Int("CheckpointEvColor", sheet.CheckpointEvColor, d.CheckpointEvColor);
    w.Int("PageBreakColor", sheet.PageBreakColor, d.PageBreakColor);
    w.Int("JumpCursor", sheet.JumpCursor, d.JumpCursor);
    w.Bool("UseSound", sheet.UseSound, d.UseSound);
    w.Int("DefUnicodeStyle", sheet.DefUnicodeStyle, d.DefUnicodeStyle);
    w.Int("DefCodePage", sheet.DefCodePage, d.DefCodePage);

    TParaInfos& paras = sheet.ParaStyles();
    int paraCount = paras.Count();
    w.Int("ParasCount", paraCount, d.ParaStyles().Count());
    TFontInfos& fonts = sheet.TextStyles();
    int fontCount = fonts.Count();
    w.Int("FontsCount", fontCount, d.TextStyles().Count());
    if (w.Reading()) {
        // A damaged count must not make the sheet allocate without bound.
        constexpr int MaxStyles = 65536;
        paras.Clear();
        for (int i = 0; i < std::clamp(paraCount, 0, MaxStyles); ++i) {
            paras.Add();
        }
        fonts.Clear();
        for (int i = 0; i < std::clamp(fontCount, 0, MaxStyles); ++i) {
            fonts.Add();
        }
    }
    for (int i = 0; i < paras.Count(); ++i) {
        WalkPara(w, Format("Para%s", std::to_string(i).c_str()), paras[i]);
    }
    for (int i = 0; i < fonts.Count(); ++i) {
        const bool link = i == 4 || i == 5;
        WalkFont(w, Format("Font%s", std::to_string(i).c_str()), fonts[i], link,
                 link ? sheet.JumpCursor : crJump);
    }
}

constexpr const char* RegistrySection = "RNStyle";

} // namespace

void TRNStyle::LoadFromINI(const TRNCustomIniFile& ini, const std::string& section) {
    KeyWalker walker(&ini, nullptr, section);
    WalkSheet(walker, *this);
    TextStyles().KeepNextStylesInside();
    ParaStyles().KeepNextStylesInside();
}

void TRNStyle::SaveToINI(TRNCustomIniFile& ini, const std::string& section) const {
    // Keys left at their defaults are not written, so older values must not linger.
    ini.EraseSection(section);
    KeyWalker walker(nullptr, &ini, section);
    // The walk reads the fields it writes; writing changes nothing.
    WalkSheet(walker, const_cast<TRNStyle&>(*this));
}

void TRNStyle::LoadINI(const std::string& fileName, const std::string& section) {
    TRNIniFile ini(fileName);
    LoadFromINI(ini, section);
}

void TRNStyle::SaveINI(const std::string& fileName, const std::string& section) const {
    TRNIniFile ini(fileName);
    SaveToINI(ini, section);
    ini.UpdateFile();
}

void TRNStyle::LoadReg(ISettingsStore& store, const std::string& path) {
    TRNRegIniFile ini(store, path);
    LoadFromINI(ini, RegistrySection);
}

void TRNStyle::SaveReg(ISettingsStore& store, const std::string& path) const {
    TRNRegIniFile ini(store, path);
    SaveToINI(ini, RegistrySection);
}
