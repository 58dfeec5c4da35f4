#include "app/capture/HtmlParser.h"

#include "platform/base/StringUtils.h"

#include <algorithm>

namespace {

constexpr size_t npos = std::string::npos;

// White space around attributes and "=".
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\r' || c == '\n';
}

// What ends a tag name, an attribute name or an unquoted value. "?" belongs here so that an
// unquoted URL keeps only its part before the query.
bool IsSeparator(char c) {
    return IsBlank(c) || c == '?';
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// A new value goes in bare only when nothing in it could end it early or be read as markup.
std::string QuotedValue(std::string_view value) {
    bool bare = !value.empty() && std::none_of(value.begin(), value.end(), [](char c) {
        return IsSeparator(c) || IsQuote(c) || c == '>' || c == '<' || c == '=' || c == '`';
    });
    if (bare) {
        return std::string(value);
    }
    char quote = value.find('"') == std::string_view::npos    ? '"'
                 : value.find('\'') == std::string_view::npos ? '\''
                                                              : '"';
    std::string escaped = quote == '\'' ? std::string(value) : ReplaceAll(value, "\"", "&quot;");
    std::string result;
    result.reserve(escaped.size() + 2);
    result += quote;
    result += escaped;
    result += quote;
    return result;
}

} // namespace

bool HasBalancedQuotes(std::string_view text) {
    return std::count(text.begin(), text.end(), '"') % 2 == 0;
}

Tag::Tag(std::string text, size_t start, size_t end) : start_(start), end_(end) {
    SetText(std::move(text));
}

void Tag::SetText(std::string text) {
    text_ = std::move(text);
    size_t nameEnd = 0;
    while (nameEnd < text_.size() && !IsSeparator(text_[nameEnd])) {
        ++nameEnd;
    }
    name_ = text_.substr(0, nameEnd);
    attributes_.clear();
    parsed_ = false;
}

// Attributes are read as a browser reads them: a name, blanks allowed around "=", then a
// double-quoted, single-quoted or bare value. Names are only taken outside quoted values, so
// "lowsrc", "data-src" or a value holding "src=" never stand for "src".
void Tag::ParseAttributes() {
    parsed_ = true;
    const size_t n = text_.size();
    size_t i = name_.size();
    while (true) {
        while (i < n && IsSeparator(text_[i])) {
            ++i;
        }
        if (i >= n || text_[i] == '=') {
            break; // an "=" without a name ends the attributes
        }
        if (IsQuote(text_[i])) { // a quoted text standing alone is no attribute
            size_t close = text_.find(text_[i], i + 1);
            i = close == npos ? n : close + 1;
            continue;
        }
        Attribute attribute;
        attribute.NameBegin = i;
        while (i < n && !IsSeparator(text_[i]) && text_[i] != '=' && !IsQuote(text_[i])) {
            ++i;
        }
        attribute.NameEnd = i;
        attribute.Name =
            LowerCase(std::string_view(text_).substr(attribute.NameBegin, i - attribute.NameBegin));
        attribute.EqualsEnd = attribute.ValueBegin = attribute.ValueEnd = i;
        size_t j = i;
        while (j < n && IsBlank(text_[j])) {
            ++j;
        }
        if (j < n && text_[j] == '=') {
            i = j + 1;
            attribute.EqualsEnd = i;
            while (i < n && IsBlank(text_[i])) {
                ++i;
            }
            size_t valueEnd = i;
            if (i < n && IsQuote(text_[i])) {
                size_t close = text_.find(text_[i], i + 1);
                valueEnd = close == npos ? n : close + 1;
            } else {
                while (valueEnd < n && !IsSeparator(text_[valueEnd])) {
                    ++valueEnd;
                }
                if (valueEnd == i) {
                    break; // an empty value ends the attributes
                }
            }
            attribute.ValueBegin = i;
            attribute.ValueEnd = valueEnd;
            i = valueEnd;
        }
        attributes_.push_back(std::move(attribute));
    }
}

const Tag::Attribute* Tag::FindAttribute(std::string_view name) {
    if (!parsed_) {
        ParseAttributes();
    }
    for (const Attribute& attribute : attributes_) {
        if (SameText(attribute.Name, name)) {
            return &attribute;
        }
    }
    return nullptr;
}

std::string Tag::GetAttribute(std::string_view name) {
    const Attribute* attribute = FindAttribute(name);
    if (attribute == nullptr) {
        return {};
    }
    std::string_view value = std::string_view(text_).substr(
        attribute->ValueBegin, attribute->ValueEnd - attribute->ValueBegin);
    if (!value.empty() && IsQuote(value.front())) {
        char quote = value.front();
        value.remove_prefix(1);
        if (!value.empty() && value.back() == quote) {
            value.remove_suffix(1);
        }
    }
    while (!value.empty() && IsBlank(value.front())) {
        value.remove_prefix(1);
    }
    std::string result = ReplaceAll(value, "&amp;", "&");
    if (result.starts_with("./")) {
        result.erase(0, 2);
    }
    return result;
}

std::string Tag::ReplaceAttribute(std::string_view name, std::string_view value) {
    const Attribute* attribute = FindAttribute(name);
    if (attribute == nullptr) {
        return text_;
    }
    std::string result = text_.substr(0, attribute->EqualsEnd);
    if (attribute->EqualsEnd == attribute->NameEnd) {
        result += '='; // the attribute stood without a value
    }
    result += QuotedValue(value);
    result.append(text_, attribute->ValueEnd);
    return result;
}

std::string Tag::RemoveAttribute(std::string_view name) {
    const Attribute* attribute = FindAttribute(name);
    if (attribute == nullptr) {
        return text_;
    }
    size_t begin = attribute->NameBegin;
    while (begin > 0 && IsBlank(text_[begin - 1])) {
        --begin;
    }
    return text_.substr(0, begin) + text_.substr(attribute->ValueEnd);
}

size_t FindScriptEnd(std::string_view text, size_t from) {
    constexpr std::string_view End = "</script";
    for (size_t at = text.find("</", from); at != npos; at = text.find("</", at + 2)) {
        if (SameText(text.substr(at, End.size()), End)) {
            return at;
        }
    }
    return npos;
}

std::unique_ptr<Tag> HtmlParser::NextTag() {
    size_t open;
    size_t close;
    // A script body and a comment end where their own closing text says; quotes in them mean
    // nothing.
    bool closedByOwnEnd = true;
    if (SameText(previousName_, "script")) {
        open = FindScriptEnd(text_, position_);
        close = open == npos ? npos : text_.find('>', open);
    } else {
        open = text_.find('<', position_);
        if (open != npos && text_.compare(open, 4, "<!--") == 0) {
            close = text_.find("-->", open + 2);
            close = close == npos ? npos : close + 2;
        } else {
            close = open == npos ? npos : text_.find('>', open + 1);
            closedByOwnEnd = false;
        }
    }
    if (open == npos || close == npos) {
        position_ = text_.size();
        return nullptr;
    }
    if (!closedByOwnEnd) {
        auto quotes = std::count(text_.begin() + open + 1, text_.begin() + close, '"');
        while (quotes % 2 != 0) {
            size_t next = text_.find('>', close + 1);
            if (next == npos) {
                break;
            }
            quotes += std::count(text_.begin() + close, text_.begin() + next, '"');
            close = next;
        }
    }
    position_ = close + 1;
    size_t textBegin = open + 1;
    while (textBegin < close && IsBlank(text_[textBegin])) {
        ++textBegin;
    }
    auto tag = std::make_unique<Tag>(std::string(text_.substr(textBegin, close - textBegin)),
                                     open + 1, close + 1);
    previousName_ = tag->GetName();
    return tag;
}
