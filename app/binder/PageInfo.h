#pragma once

// The record every binder node carries, its page content and capture statistics, and their
// serial form in the field stream.

#include "app/binder/StringMessage.h"
#include "platform/base/TreeNode.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct MultiCapture;

enum class NodeKind : int32_t { Folder = 1, WebPage = 2, Notes = 3, Link = 4, None = 5 };

enum class CaptureState : int32_t { Unfinished = 1, Completed = 2, Failed = 3, Stopped = 4 };

// One link of a captured page: a resource or a hyperlink.
struct Link {
    std::string Url;        // absolute URL
    std::string Reference;  // as written in the page (relative references only)
    std::string LocalPath;  // relative path below the node folder
    std::string Type;       // "img", "css", "script", "frame", "flash", "scriptlink", "hyperlink"
    std::string AnchorText; // hyperlinks only
    std::string Extension;  // hyperlinks only
};

// Resource groups of the capture statistics.
enum ResourceGroup { GroupImg = 0, GroupCss = 1, GroupScript = 2, GroupFlash = 3, GroupFrame = 4 };

struct CaptureGroupCounts {
    int32_t Fetched = 0; // from the net or a local file
    int32_t Cached = 0;  // from the browser cache
    int32_t Failed = 0;
};

struct CaptureStats {
    int32_t State = static_cast<int32_t>(CaptureState::Unfinished);
    int32_t Total = 0; // resources tried
    std::array<CaptureGroupCounts, 5> Groups{};

    std::string ToString() const;
    // Reads a statistics block; numbers that are missing or not hexadecimal keep their
    // defaults.
    void Parse(const std::string& block);
    static std::string GroupToString(const CaptureGroupCounts& group);
    static void ParseGroup(const std::string& block, CaptureGroupCounts& group);
};

struct PageContent {
    std::string FetchedText; // the page as downloaded; stored only while unfinished
    std::string PageHtml;    // the page rewritten for offline viewing
    std::string PageFolder;  // the page's folder below the node folder
    std::vector<Link> Links; // every link of the page, in the order met; never stored
    std::vector<Link> OtherLinks;
    CaptureStats Stats;

    PageContent() = default;
    // Parses a page content block.
    explicit PageContent(const std::string& block);

    std::string ToString() const;
    // The length of ToString(), without building it.
    size_t BlockSize() const;
    void AssignStrings(PageContent& destination) const;
};

// Shown while a node is being captured.
struct ProgStruc {
    int32_t Position = 0;
    int32_t Result = 0;
    std::string StatusText;
};

class TInfo : public TTreeNodeData {
public:
    std::string Text; // never stored
};

class TPageInfo : public TInfo {
public:
    static constexpr uint32_t ViewFlagsDefault = 0x100;

    // A new web page record with a fresh id, created now.
    TPageInfo();
    // Rebuilds a record from the next fields of a record block; raises EConvertError when the
    // kind is not a decimal number from 1 to 4.
    explicit TPageInfo(StringMessageI18N& message);

    // The record block; the caller owns it.
    std::unique_ptr<StringMessageI18N> ToMessage() const;
    // The length of the record block, without building it.
    size_t BlockSize() const;
    // The short record of the folder dump.
    std::string ToRecordString() const;
    // Copies addresses, page texts, notes, title, kind, state and view state into
    // `destination`; never the id, the date, the links or the statistics.
    void Assign(TPageInfo& destination) const;

    std::string RequestedUrl;
    std::string FinalUrl;
    PageContent Content;
    StringMessageI18N Notes; // the note as RNF bytes; empty = no note
    std::string Title;
    ProgStruc Progress;
    NodeKind Kind = NodeKind::WebPage;
    uint32_t Id = 0;
    uint8_t Reload = 1;
    CaptureState State = CaptureState::Unfinished;
    uint32_t ViewFlags = ViewFlagsDefault;
    int32_t NavCount = 0;
    std::string CreateDate;
    MultiCapture* CurrentCapture = nullptr; // not owned
};

// A web page whose capture has not finished: the only record a page task captures.
bool IsUnfinishedPage(const TPageInfo& record);

// The kind of a tree node's record, NodeKind::None when it has none.
NodeKind GetNodeKind(const TTreeNode* node);
// The record a tree node carries, or null.
TPageInfo* NodeRecord(const TTreeNode* node);
