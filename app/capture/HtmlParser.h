#pragma once

// A forgiving walk over the tags of an HTML text that keeps every tag's place in the page, so
// that the text between tags can be copied as it is and a tag's text replaced.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// True when the text holds an even number of double quotes.
bool HasBalancedQuotes(std::string_view text);

// The index of the first "</script" (any case) at or after `from`, npos when there is none:
// where the body of a script ends.
size_t FindScriptEnd(std::string_view text, size_t from);

// One tag: its text between "<" and ">" (leading blanks removed) and the 1-based positions of
// its "<" and ">" in the page. The attributes are read on the first lookup only.
class Tag {
public:
    Tag(std::string text, size_t start, size_t end);

    // The text up to the first blank, TAB, FF, CR, LF or "?": "img", "/script", "!--".
    const std::string& GetName() const { return name_; }
    const std::string& GetText() const { return text_; }
    size_t GetStart() const { return start_; }
    size_t GetEnd() const { return end_; }
    size_t GetLength() const { return end_ - start_ + 1; }

    // The value of the first attribute of that name (any case), "&amp;" read as "&" and a
    // leading "./" dropped; empty when the tag has none.
    std::string GetAttribute(std::string_view name);
    bool HasAttribute(std::string_view name) { return FindAttribute(name) != nullptr; }
    // The tag text with the value of that attribute replaced by `value`, quoted when it must
    // be; the text unchanged when the tag has no such attribute.
    std::string ReplaceAttribute(std::string_view name, std::string_view value);
    // The tag text without that attribute (its name, "=" and value).
    std::string RemoveAttribute(std::string_view name);
    // Puts an edited text in place of the tag's text; the positions stay.
    void SetText(std::string text);

private:
    struct Attribute {
        std::string Name; // lower case
        size_t NameBegin;
        size_t NameEnd;
        size_t EqualsEnd;  // just behind "=", or NameEnd for an attribute without value
        size_t ValueBegin; // first character of the value as written (quotes included)
        size_t ValueEnd;
    };

    void ParseAttributes();
    const Attribute* FindAttribute(std::string_view name);

    std::string text_;
    std::string name_;
    size_t start_;
    size_t end_;
    std::vector<Attribute> attributes_;
    bool parsed_ = false;
};

// The parser reads the text where it stands, so a page is never copied to be scanned; the text
// must outlive the parser and stay unchanged while it is used.
class HtmlParser {
public:
    explicit HtmlParser(const std::string& text) : text_(text) {}
    explicit HtmlParser(const char* text) : text_(text) {}
    HtmlParser(std::string&&) = delete; // a temporary would be gone before the walk

    // The next tag, or null at the end of the text. The body of a script is stepped over: the
    // tag after "script" is the "</script" that ends it. A comment is one tag up to its "-->",
    // and a ">" inside an open double-quoted value does not end a tag.
    std::unique_ptr<Tag> NextTag();

    std::string_view GetText() const { return text_; }

private:
    std::string_view text_;
    size_t position_ = 0; // 0-based index of the next character to look at
    std::string previousName_;
};
