#include "app/capture/PageHtml.h"

#include "app/binder/PageInfo.h"
#include "app/capture/HtmlParser.h"
#include "platform/base/StringUtils.h"

#include <array>

namespace {

constexpr size_t npos = std::string::npos;

// Removes every script block, as often as removing one leaves another behind: "<scr" before a
// block and "ipt" after it make a new "<script" once the block is gone.
std::string StripScriptBlocks(std::string_view html) {
    constexpr std::string_view Open = "<script";
    constexpr std::string_view Close = "</script>";
    const std::string lower = LowerCase(html);
    std::string out;
    out.reserve(html.size());
    size_t rest = 0; // the text still to go is html[rest..]; out holds no "<script"
    while (true) {
        // The next opener may begin in the last characters of out.
        size_t back = std::min(out.size(), Open.size() - 1);
        std::string window = LowerCase(std::string_view(out).substr(out.size() - back)) +
                             lower.substr(rest, Open.size() - 1);
        size_t inWindow = window.find(Open);
        size_t openerEnd; // index in html just behind the opener
        size_t keepInOut = out.size();
        size_t openerInRest = npos;
        if (inWindow != npos && inWindow < back) {
            keepInOut = out.size() - back + inWindow;
            openerEnd = rest + (Open.size() - (back - inWindow));
        } else {
            openerInRest = lower.find(Open, rest);
            if (openerInRest == npos) {
                break;
            }
            openerEnd = openerInRest + Open.size();
        }
        size_t close = lower.find(Close, openerEnd);
        if (close == npos) {
            break;
        }
        out.resize(keepInOut);
        if (openerInRest != npos) {
            out.append(html.substr(rest, openerInRest - rest));
        }
        rest = close + Close.size();
    }
    out.append(html.substr(rest));
    return out;
}

} // namespace

std::string InsertBaseHref(std::string_view html, std::string_view url) {
    if (html.empty()) {
        return {};
    }
    const std::string lower = LowerCase(html);
    size_t insertAt = 0;
    for (std::string_view mark : {"</title", "</head", "<html"}) {
        size_t found = lower.find(mark);
        if (found != npos) {
            size_t close = lower.find('>', found);
            insertAt = close == npos ? 0 : close + 1;
            break;
        }
    }
    std::string result(html.substr(0, insertAt));
    result += "<base href=\"";
    result += HtmlEscape(url); // a quote or "&" in a folder name must stay part of the value
    result += "\">";
    result += html.substr(insertAt);
    return result;
}

std::string InsertPageBaseHref(const PageContent& content, std::string_view url) {
    return InsertBaseHref(content.PageHtml, url);
}

// Event attributes are removed from tags only, whole with their values: the same words in the
// page's text stay, and a quoted handler leaves nothing behind.
std::string StripScripts(std::string_view html) {
    static constexpr std::array<std::string_view, 5> Events = {"onblur", "onfocus", "onload",
                                                               "onunload", "onbeforeunload"};
    const std::string text = StripScriptBlocks(html);
    HtmlParser parser(text);
    std::string out;
    out.reserve(text.size());
    size_t copied = 0; // 0-based
    while (std::unique_ptr<Tag> tag = parser.NextTag()) {
        bool changed = false;
        for (std::string_view event : Events) {
            while (tag->HasAttribute(event)) {
                tag->SetText(tag->RemoveAttribute(event));
                changed = true;
            }
        }
        if (changed) {
            out.append(text, copied, tag->GetStart() - copied);
            out += tag->GetText();
            copied = tag->GetEnd() - 1;
        }
    }
    out.append(text, copied);
    return out;
}
