#include "app/binder/Search.h"

#include "app/binder/PageInfo.h"
#include "app/binder/SubtreeWalk.h"
#include "platform/base/CharacterReferences.h"
#include "platform/base/StringUtils.h"

#include <algorithm>

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Holds(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Every web page of the tree in tree order.
void WalkPages(const TTreeNodes& tree, const std::function<void(const TTreeNode&)>& visit) {
    WalkTree(tree, [&](const TTreeNode& node) {
        if (const TPageInfo* record = NodeRecord(&node);
            record != nullptr && record->Kind == NodeKind::WebPage) {
            visit(node);
        }
        return true;
    });
}

void AddMatch(const TPageInfo& record, int listMode, TSearchResult& result) {
    result.Urls.Add(record.RequestedUrl);
    const std::string title = DecodeCharacterReferences(record.Title);
    result.Titles.Add(title);
    // emplace keeps the first page's id for a text.
    result.Ids.emplace(listMode == 1 ? record.RequestedUrl : title, record.Id);
}

} // namespace

std::vector<std::string> TSortedTexts::Texts() const {
    const auto less = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
    };
    // A stable sort keeps texts that differ only in letter case in the order they were added,
    // so the first one added is the one kept.
    std::vector<std::string> sorted = texts_;
    std::stable_sort(sorted.begin(), sorted.end(), less);
    sorted.erase(std::unique(sorted.begin(), sorted.end(),
                             [&](const std::string& a, const std::string& b) {
                                 return !less(a, b) && !less(b, a);
                             }),
                 sorted.end());
    return sorted;
}

bool IsWordSeparator(char c) {
    return c == ',' || c == ' ' || c == ';';
}

std::vector<std::string> SplitWords(std::string_view query) {
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t i = 0; i <= query.size(); ++i) {
        if (i == query.size() || IsWordSeparator(query[i])) {
            if (i > start) {
                words.emplace_back(query.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return words;
}

bool MatchPageText(std::string_view text, std::string query, bool wholePhrase, bool anyWord) {
    std::erase_if(query, [](char c) { return c == '\r' || c == '\n'; });
    if (query.empty()) {
        return true;
    }
    if (wholePhrase) {
        return Holds(text, query);
    }
    const std::vector<std::string> words = SplitWords(query);
    const auto found = [text](const std::string& word) { return Holds(text, word); };
    return anyWord ? std::any_of(words.begin(), words.end(), found)
                   : std::all_of(words.begin(), words.end(), found);
}

bool MatchMetaTags(std::string_view pageText, std::string_view query) {
    // One lower-cased copy for finding the tags; the query is looked for in the text as written.
    const std::string lower = LowerCase(pageText);
    size_t from = 0;
    while (true) {
        const size_t start = lower.find("<meta", from);
        if (start == std::string::npos) {
            return false;
        }
        size_t end = start;
        for (int depth = 0; end < pageText.size(); ++end) {
            if (pageText[end] == '<') {
                ++depth;
            } else if (pageText[end] == '>' && --depth == 0) {
                break;
            }
        }
        if (end >= pageText.size()) {
            return false; // never closed: not a tag
        }
        if (Holds(pageText.substr(start, end + 1 - start), query)) {
            return true;
        }
        from = end + 1;
    }
}

bool MatchHyperlinks(const TPageInfo& record, std::string_view query,
                     const THyperlinkSource& source) {
    std::vector<Link> collected;
    if (record.Content.Links.empty() && source) {
        collected = source(record);
    }
    const std::vector<Link>& links =
        record.Content.Links.empty() ? collected : record.Content.Links;
    return std::any_of(links.begin(), links.end(), [query](const Link& link) {
        return SameText(link.Type, "hyperlink") && Holds(link.Url, query);
    });
}

const std::string& SearchedPageText(const TPageInfo& record) {
    return record.Content.FetchedText.empty() ? record.Content.PageHtml
                                              : record.Content.FetchedText;
}

void KeywordSearch(const TTreeNodes& tree, int listMode, TSearchResult& result,
                   const std::string& textTerm, const std::string& titleTerm,
                   const std::string& urlTerm) {
    WalkPages(tree, [&](const TTreeNode& node) {
        const TPageInfo& record = *NodeRecord(&node);
        if ((urlTerm.empty() || Holds(record.RequestedUrl, urlTerm)) &&
            (titleTerm.empty() || Holds(record.Title, titleTerm)) &&
            (textTerm.empty() || Holds(SearchedPageText(record), textTerm))) {
            AddMatch(record, listMode, result);
        }
    });
}

void AdvancedSearch(const TTreeNodes& tree, int listMode, const TSearchCriteria& criteria,
                    const THyperlinkSource& hyperlinks, TSearchResult& result) {
    const bool whole = criteria.WholeWords;
    const bool any = criteria.SimilarWords;
    WalkPages(tree, [&](const TTreeNode& node) {
        const TPageInfo& record = *NodeRecord(&node);
        // The cheap tests first; the first failure rejects the page.
        const bool match =
            (criteria.Url.empty() ||
             MatchPageText(record.RequestedUrl, criteria.Url, whole, any)) &&
            (criteria.Title.empty() || MatchPageText(record.Title, criteria.Title, whole, any)) &&
            (criteria.FullText.empty() ||
             MatchPageText(SearchedPageText(record), criteria.FullText, whole, any)) &&
            (criteria.Meta.empty() || MatchMetaTags(SearchedPageText(record), criteria.Meta)) &&
            (criteria.Links.empty() || MatchHyperlinks(record, criteria.Links, hyperlinks));
        if (match) {
            AddMatch(record, listMode, result);
        }
    });
}
