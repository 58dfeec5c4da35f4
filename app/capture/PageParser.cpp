#include "app/capture/PageParser.h"

#include "app/binder/PageInfo.h"
#include "app/capture/CapturePort.h"
#include "app/capture/HtmlParser.h"
#include "app/capture/MultiCapture.h"
#include "app/capture/PathRules.h"
#include "app/capture/ScriptParser.h"
#include "app/capture/TextRules.h"
#include "app/capture/UrlRules.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr size_t npos = std::string::npos;
constexpr const char* ParsingStatus = "Parsing page, please wait ....";
constexpr const char* LoadingStatus = "Loading page, please wait....";

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' ||
                             text.front() == '\n' || text.front() == '\f')) {
        text.remove_prefix(1);
    }
    return text;
}

// Inline data, mail addresses, script and browser-internal pages: nothing to fetch, and the
// page needs them exactly as written.
bool IsUntouchedReference(std::string_view value) {
    value = TrimLeft(value);
    for (std::string_view scheme : {"data:", "mailto:", "javascript:", "about:"}) {
        if (StartsText(scheme, value)) {
            return true;
        }
    }
    return false;
}

// "#part" leads into the page itself, wherever the page is shown from.
bool IsFragmentOnly(std::string_view value) {
    return TrimLeft(value).starts_with('#');
}

// Browsers load a linked style sheet and the page's icon; any other link ("next", "index",
// "author" ...) leads to a page. The type a resource link is fetched as, or null.
const char* LinkResourceType(std::string_view rel) {
    const char* type = nullptr;
    size_t begin = 0;
    while (begin < rel.size()) {
        const size_t end = std::min(rel.find_first_of(" \t\r\n\f", begin), rel.size());
        const std::string_view token = rel.substr(begin, end - begin);
        if (SameText(token, "stylesheet")) {
            return "css";
        }
        if (SameText(token, "icon")) {
            type = "img";
        }
        begin = end + 1;
    }
    return type;
}

// "http://h" becomes "http://h/"; a text that is no URL stays as it is.
void EnsureUrlPath(std::string& url) {
    UrlParts parts = SplitUrl(url);
    if (parts.Valid && parts.Path.empty()) {
        url.insert(url.begin() + static_cast<std::ptrdiff_t>(parts.AuthorityEnd), '/');
    }
}

// What the references of a page are resolved against, worked out once from its URL.
struct PageBase {
    std::string BaseDirectory; // the page URL's folder, "\" read as "/"; a base tag replaces it
    std::string DocumentUrl;   // completed by "#..." and "?..." references
    std::string PageFolder;    // the page's folder below the node folder: "h/d/"
    std::string Host;          // of the page URL
    std::string HostPart;      // the page folder up to its first "/"
    std::string SiteRoot;      // "scheme://host" of the page URL
};

PageBase MakePageBase(const std::string& url) {
    PageBase base;
    // Pages from the net are split at "/" only; local pages at "/" or "\".
    std::string_view beforeQuery = std::string_view(url).substr(0, url.find_first_of("?#"));
    size_t last = IsNetUrl(url) ? beforeQuery.rfind('/') : beforeQuery.find_last_of("/\\");
    std::string_view directory =
        last == npos ? std::string_view() : beforeQuery.substr(0, last + 1);
    size_t scheme = directory.find("://");
    std::string folder(scheme != npos         ? directory.substr(scheme + 3)
                       : directory.size() > 2 ? directory.substr(2)
                                              : std::string_view());
    folder = ReplaceAll(folder, "%20", " ");
    RemovePathJunk(folder);
    base.PageFolder = NormaliseLocalPath(folder);
    base.HostPart = base.PageFolder.substr(0, base.PageFolder.find('/'));
    base.BaseDirectory = ReplaceAll(directory, "\\", "/");
    base.DocumentUrl = url;
    base.Host = CrackUrl(url, 1);
    size_t rootScheme = base.BaseDirectory.find("://");
    if (rootScheme != npos) {
        base.SiteRoot = base.BaseDirectory.substr(0, base.BaseDirectory.find('/', rootScheme + 3));
    }
    return base;
}

// The absolute URL of a relative reference.
std::string ResolveUrl(const PageBase& base, const std::string& value) {
    const std::string& document = base.DocumentUrl;
    if (value.starts_with('#')) {
        return document.substr(0, document.find('#')) + value;
    }
    if (value.starts_with('?')) {
        return document.substr(0, document.find_first_of("?#")) + value;
    }
    return ResolveRelativePath(base.BaseDirectory, value);
}

// The link of a resource reference; its local path is also the reference's new value.
Link ResourceOf(const PageBase& base, const std::string& value, const char* type) {
    Link link;
    link.Type = type;
    std::string url = value;
    if (NormaliseAbsoluteUrl(url)) {
        link.LocalPath = NormaliseLocalPath(
            ResolveRelativePath(base.PageFolder, LocalPathOfUrl(url, base.Host)));
        link.Url = std::move(url);
        return link;
    }
    std::string clean = value;
    CleanPathName(clean);
    if (StartsWithSlash(value)) {
        link.LocalPath = NormaliseLocalPath(base.HostPart + clean);
        link.Url = base.SiteRoot + value;
    } else {
        link.Reference = value;
        link.LocalPath = NormaliseLocalPath(ResolveRelativePath(base.PageFolder, clean));
        link.Url = ResolveUrl(base, value);
    }
    return link;
}

// The browser takes a stored file for a style sheet by its name alone. An address that ends
// otherwise ("look.css?v=2" is stored as "look.cssv=2", "fonts.php?family=a") would leave the
// page unstyled offline, so such a style sheet's name is given the ending.
void GiveStyleSheetEnding(std::string& path) {
    constexpr std::string_view Ending = ".css";
    if (path.size() < Ending.size() ||
        !SameText(std::string_view(path).substr(path.size() - Ending.size()), Ending)) {
        path += Ending;
    }
}

// The link of a hyperlink reference; `rewrite` tells whether the reference becomes the link's
// absolute URL.
Link HyperlinkOf(const PageBase& base, const std::string& value, bool& rewrite) {
    Link link;
    link.Type = "hyperlink";
    link.Extension = GetFileExtension(value);
    rewrite = false;
    std::string url = value;
    if (IsUntouchedReference(value)) {
        link.Url = value;
    } else if (IsFragmentOnly(value)) {
        link.Reference = link.LocalPath = value;
        link.Url = ResolveUrl(base, value);
    } else if (NormaliseAbsoluteUrl(url)) {
        // "//host/x" would lead to a file once the page is shown from the node folder.
        rewrite = url != value;
        link.Url = std::move(url);
    } else if (StartsWithSlash(value)) {
        link.LocalPath = base.HostPart + value;
        link.Url = base.SiteRoot + value;
        rewrite = true;
    } else {
        link.Reference = link.LocalPath = value;
        link.Url = ResolveUrl(base, value);
        rewrite = true; // "javascript:" is one of the untouched schemes above
    }
    return link;
}

// The page text after the tag up to the next "<".
std::string AnchorText(std::string_view page, const Tag& tag) {
    size_t begin = tag.GetEnd();
    size_t end = page.find('<', begin);
    return std::string(page.substr(begin, end == npos ? npos : end - begin));
}

// The link list of a page; a URL already listed with the same type (both in any case) is not
// added again.
class LinkList {
public:
    explicit LinkList(std::vector<Link>& links) : links_(links) {
        for (size_t i = 0; i < links_.size(); ++i) {
            index_.emplace(Key(links_[i]), i);
        }
    }

    // The listed link of that URL and type: the one given, or the one listed before it.
    const Link& Add(Link link) {
        auto [entry, added] = index_.emplace(Key(link), links_.size());
        if (added) {
            links_.push_back(std::move(link));
        }
        return links_[entry->second];
    }

private:
    static std::string Key(const Link& link) {
        return LowerCase(link.Type) + '\0' + LowerCase(link.Url);
    }

    std::vector<Link>& links_;
    std::unordered_map<std::string, size_t> index_;
};

class PageRewriter {
public:
    PageRewriter(const std::string& url, const HtmlParser& parser, std::vector<Link>& links)
        : base_(MakePageBase(url)), page_(parser.GetText()), links_(links) {
        out_.reserve(page_.size() + page_.size() / 8);
    }

    const std::string& PageFolder() const { return base_.PageFolder; }

    void HandleTag(Tag& tag);

    std::string Finish() {
        out_.append(page_.substr(copied_));
        copied_ = page_.size();
        return std::move(out_);
    }

private:
    bool Resource(Tag& tag, std::string_view attribute, const char* type);
    bool Hyperlink(Tag& tag, std::string_view attribute);
    void SetBase(const std::string& href);
    void ScanScript(const Tag& tag, bool comment);

    PageBase base_;
    std::string_view page_;
    LinkList links_;
    std::string out_;
    size_t copied_ = 0; // 0-based: the first character of the page not yet in the output
    bool inObject_ = false;
};

bool PageRewriter::Resource(Tag& tag, std::string_view attribute, const char* type) {
    std::string value = tag.GetAttribute(attribute);
    if (value.empty() || IsUntouchedReference(value) || IsFragmentOnly(value)) {
        return false;
    }
    // A URL met before keeps the path it was given then, whatever form this reference takes,
    // so that every reference leads to the one file that is fetched.
    Link link = ResourceOf(base_, value, type);
    if (std::string_view(type) == "css") {
        GiveStyleSheetEnding(link.LocalPath);
    }
    const Link& listed = links_.Add(std::move(link));
    tag.SetText(tag.ReplaceAttribute(attribute, listed.LocalPath));
    return true;
}

bool PageRewriter::Hyperlink(Tag& tag, std::string_view attribute) {
    std::string value = tag.GetAttribute(attribute);
    if (value.empty()) {
        return false;
    }
    bool rewrite;
    Link link = HyperlinkOf(base_, value, rewrite);
    link.AnchorText = AnchorText(page_, tag);
    if (rewrite) {
        tag.SetText(tag.ReplaceAttribute(attribute, link.Url));
    }
    links_.Add(std::move(link));
    return rewrite;
}

// A base tag moves what later references are resolved against; a relative one is resolved
// against the base before it.
void PageRewriter::SetBase(const std::string& href) {
    std::string base = ReplaceAll(href, "\\", "/");
    if (!NormaliseAbsoluteUrl(base)) {
        base = StartsWithSlash(base) ? base_.SiteRoot + base : ResolveUrl(base_, base);
    }
    base_.BaseDirectory = base;
    base_.DocumentUrl = std::move(base);
}

void PageRewriter::ScanScript(const Tag& tag, bool comment) {
    std::string text;
    if (comment) {
        text = tag.GetText();
    } else {
        // The body ends where the tag scanner ends it.
        size_t begin = tag.GetEnd();
        size_t end = std::min(FindScriptEnd(page_, begin), page_.size());
        std::string_view body = page_.substr(begin, end - begin);
        size_t firstTag = body.find('<');
        if (firstTag == npos || body.substr(firstTag, 4) == "<!--") {
            return;
        }
        text = body;
    }
    ScriptParser scanner(std::move(text));
    for (std::string name = scanner.FindNext(); !name.empty(); name = scanner.FindNext()) {
        if (IsUntouchedReference(name)) {
            continue;
        }
        Link link;
        link.Type = "scriptlink";
        link.LocalPath = NormaliseLocalPath(ResolveRelativePath(base_.PageFolder, name));
        link.Url = ResolveUrl(base_, name);
        link.Reference = std::move(name);
        links_.Add(std::move(link));
    }
}

void PageRewriter::HandleTag(Tag& tag) {
    const std::string name = LowerCase(tag.GetName());
    bool changed = false;
    bool dropped = false;
    if (name == "meta" && !tag.GetAttribute("charset").empty()) {
        tag.SetText(tag.RemoveAttribute("charset"));
        changed = true;
    }
    if (name == "base") {
        std::string href = tag.GetAttribute("href");
        if (!href.empty()) {
            SetBase(href);
            dropped = true;
        }
    }
    if (name == "img" && !tag.GetAttribute("src").empty()) {
        changed |= Resource(tag, "src", "img");
        changed |= Resource(tag, "lowsrc", "img");
    }
    if (name == "script") {
        changed |= Resource(tag, "src", "script");
    }
    if (name == "table" || name == "th" || name == "td") {
        changed |= Resource(tag, "background", "img");
    }
    if (name == "frame") {
        changed |= Resource(tag, "src", "frame");
    }
    if (name == "link") {
        const char* type = LinkResourceType(tag.GetAttribute("rel"));
        changed |= type != nullptr ? Resource(tag, "href", type) : Hyperlink(tag, "href");
    }
    if (name == "input" && SameText(tag.GetAttribute("type"), "image")) {
        changed |= Resource(tag, "src", "img");
    }
    if (name == "object") {
        inObject_ = true;
    } else if (name == "/object") {
        inObject_ = false;
    }
    if (name == "param" && inObject_ && SameText(tag.GetAttribute("name"), "movie")) {
        changed |= Resource(tag, "value", "flash");
    }
    bool comment = tag.GetText().starts_with("!--");
    if (name == "script" || comment) {
        ScanScript(tag, comment);
    }
    if (name == "a") {
        changed |= Hyperlink(tag, "href");
    }
    if (name == "form") {
        changed |= Hyperlink(tag, "action");
    }

    size_t open = tag.GetStart() - 1; // 0-based index of "<"
    if (dropped) {
        out_.append(page_.substr(copied_, open - copied_));
        copied_ = tag.GetEnd();
    } else if (changed) {
        out_.append(page_.substr(copied_, open + 1 - copied_));
        out_ += tag.GetText();
        copied_ = tag.GetEnd() - 1;
    }
}

} // namespace

void ParsePage(TPageInfo& node, MultiCapture* capture) {
    EnsureUrlPath(node.FinalUrl);
    PageContent& content = node.Content;
    HtmlParser parser(content.FetchedText);
    PageRewriter rewriter(node.FinalUrl, parser, content.Links);
    content.PageFolder = rewriter.PageFolder();

    TCapturePort* port = capture != nullptr ? capture->Port : nullptr;
    if (port != nullptr && capture->Background && capture->Form != StatusForm::None) {
        port->SavingStatus(capture->Form, 0, ParsingStatus);
    }
    while (std::unique_ptr<Tag> tag = parser.NextTag()) {
        if (port != nullptr) {
            port->ProcessMessages();
            port->UpdateStatusForm();
        }
        rewriter.HandleTag(*tag);
    }
    content.PageHtml = StripLeadingLineBreaks(rewriter.Finish());
    if (port != nullptr) {
        port->SavingStatus(StatusForm::Wait, 1);
    }
}

namespace {

// Adds the hyperlinks of `pageHtml`, resolved against `url`, to `list`.
void CollectHyperlinksInto(const std::string& url, const std::string& pageHtml,
                           std::vector<Link>& list, ICaptureReports* progress) {
    PageBase base = MakePageBase(url);
    if (progress != nullptr) {
        progress->OpenStatusForm(LoadingStatus);
    }
    LinkList links(list);
    HtmlParser parser(pageHtml);
    while (std::unique_ptr<Tag> tag = parser.NextTag()) {
        if (!SameText(tag->GetName(), "a")) {
            continue;
        }
        std::string href = tag->GetAttribute("href");
        if (href.empty()) {
            continue;
        }
        bool rewrite;
        Link link = HyperlinkOf(base, href, rewrite);
        link.AnchorText = AnchorText(parser.GetText(), *tag);
        links.Add(std::move(link));
        if (progress != nullptr) {
            progress->UpdateStatusForm();
        }
    }
    if (progress != nullptr) {
        progress->CloseStatusForm();
    }
}

} // namespace

void CollectHyperlinks(TPageInfo& node, ICaptureReports* progress) {
    EnsureUrlPath(node.RequestedUrl);
    CollectHyperlinksInto(node.RequestedUrl, node.Content.PageHtml, node.Content.Links, progress);
}

std::vector<Link> PageHyperlinks(const TPageInfo& node) {
    std::string url = node.RequestedUrl;
    EnsureUrlPath(url);
    std::vector<Link> links;
    CollectHyperlinksInto(url, node.Content.PageHtml, links, nullptr);
    return links;
}
