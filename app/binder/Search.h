#pragma once

// Searching the open binder's web pages: the quick search by up to three plain terms (with no
// term it lists every page) and the advanced search of the search dialog. Both walk the tree
// in tree order and collect the matching pages into two sorted lists, of their requested URLs
// and of their titles, and a map from the listed text to the node id. Main thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class TPageInfo;
class TTreeNodes;
struct Link;

// Texts sorted with letter case ignored; a text already present (letter case ignored) is not
// added again, so the first one added keeps its place.
class TSortedTexts {
public:
    void Add(const std::string& text) { texts_.push_back(text); }
    // Sorted and without repeats.
    std::vector<std::string> Texts() const;

private:
    std::vector<std::string> texts_; // in the order added
};

struct TSearchResult {
    TSortedTexts Urls;
    TSortedTexts Titles;
    // The listed text to the node id; the first page in tree order keeps a text. The text is
    // the requested URL when the pages are listed by URL (ListMode 1), else the title.
    std::map<std::string, uint32_t> Ids;
    // The list the side bar shows for `listMode`.
    std::vector<std::string> Listed(int listMode) const {
        return (listMode == 1 ? Urls : Titles).Texts();
    }
};

// The search dialog's criteria; an empty text is no criterion.
struct TSearchCriteria {
    std::string Title;
    std::string Url;
    std::string FullText;
    std::string Meta;
    std::string Links;
    bool WholeWords = false;  // "Match Whole Words Only": the query is one phrase
    bool SimilarWords = true; // "Match Similar Words": any one word is enough
};

// The hyperlinks of a stored page, collected from its page HTML into a list of their own.
using THyperlinkSource = std::function<std::vector<Link>(const TPageInfo& record)>;

bool IsWordSeparator(char c);
// The non-empty runs of characters between separators, in order.
std::vector<std::string> SplitWords(std::string_view query);
// One text criterion; CR and LF of the query are left out first, and an empty query matches.
bool MatchPageText(std::string_view text, std::string query, bool wholePhrase, bool anyWord);
// True when the query stands inside a meta tag of the page, from "<meta" (any letter case)
// through the ">" that closes it, "<" and ">" inside nesting. An unclosed tag ends the scan.
bool MatchMetaTags(std::string_view pageText, std::string_view query);
// True when a hyperlink of the page (type "hyperlink", any letter case) has an absolute URL
// holding the query. The record's own link list is used when it has one; otherwise the links
// are collected by `source` into a list of their own, and the record is left as it was.
bool MatchHyperlinks(const TPageInfo& record, std::string_view query,
                     const THyperlinkSource& source);

// The page text the text criteria read: the page as fetched, or, once that is no longer kept
// (a completed capture), the page as stored for offline viewing.
const std::string& SearchedPageText(const TPageInfo& record);

void KeywordSearch(const TTreeNodes& tree, int listMode, TSearchResult& result,
                   const std::string& textTerm, const std::string& titleTerm,
                   const std::string& urlTerm);
void AdvancedSearch(const TTreeNodes& tree, int listMode, const TSearchCriteria& criteria,
                    const THyperlinkSource& hyperlinks, TSearchResult& result);
