#include "app/binder/PageInfo.h"

#include "platform/base/DateTime.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <cstring>

namespace {

std::string Hex(int32_t value) {
    return IntToHex(value, 1);
}

// Reads a "%x" number field; a missing or non-hexadecimal one leaves `value` as it is.
void ReadHexField(StringMessageI18N& message, int32_t& value) {
    uint32_t number;
    if (ScanHex(message.ReadString(), number)) {
        value = static_cast<int32_t>(number);
    }
}

} // namespace

std::string CaptureStats::GroupToString(const CaptureGroupCounts& group) {
    StringMessageI18N message;
    message.AddString(Hex(group.Fetched));
    message.AddString(Hex(group.Cached));
    message.AddString(Hex(group.Failed));
    return message.Bytes();
}

void CaptureStats::ParseGroup(const std::string& block, CaptureGroupCounts& group) {
    StringMessageI18N message(block.data(), block.size());
    ReadHexField(message, group.Fetched);
    ReadHexField(message, group.Cached);
    ReadHexField(message, group.Failed);
}

std::string CaptureStats::ToString() const {
    StringMessageI18N message;
    message.AddString(Hex(State));
    message.AddString(Hex(Total));
    for (const CaptureGroupCounts& group : Groups) {
        message.AddBytes(GroupToString(group));
    }
    return message.Bytes();
}

void CaptureStats::Parse(const std::string& block) {
    StringMessageI18N message(block.data(), block.size());
    ReadHexField(message, State);
    ReadHexField(message, Total);
    for (CaptureGroupCounts& group : Groups) {
        ParseGroup(message.ReadBytes(), group);
    }
}

PageContent::PageContent(const std::string& block) {
    StringMessageI18N message(block.data(), block.size());
    Stats.Parse(message.ReadBytes());
    if (Stats.State == static_cast<int32_t>(CaptureState::Unfinished)) {
        FetchedText = message.ReadBytes();
    }
    PageHtml = message.ReadBytes();
    PageFolder = message.ReadBytes();
}

std::string PageContent::ToString() const {
    StringMessageI18N message;
    message.AddBytes(Stats.ToString());
    if (Stats.State == static_cast<int32_t>(CaptureState::Unfinished)) {
        message.AddBytes(FetchedText);
    }
    message.AddBytes(PageHtml);
    message.AddBytes(PageFolder);
    return message.Bytes();
}

size_t PageContent::BlockSize() const {
    size_t size = StringMessageI18N::FieldSize(Stats.ToString().size());
    if (Stats.State == static_cast<int32_t>(CaptureState::Unfinished)) {
        size += StringMessageI18N::FieldSize(FetchedText.size());
    }
    return size + StringMessageI18N::FieldSize(PageHtml.size()) +
           StringMessageI18N::FieldSize(PageFolder.size());
}

void PageContent::AssignStrings(PageContent& destination) const {
    destination.FetchedText = FetchedText;
    destination.PageHtml = PageHtml;
    destination.PageFolder = PageFolder;
}

TPageInfo::TPageInfo() : Id(NewNodeId()), CreateDate(DateTimeToStr(Now())) {}

TPageInfo::TPageInfo(StringMessageI18N& message) {
    RequestedUrl = message.ReadString();
    FinalUrl = message.ReadString();
    Content = PageContent(message.ReadBytes());
    int32_t noteLength = 0;
    if (const char* note = message.ReadData(noteLength)) {
        Notes.AppendRaw(note, static_cast<size_t>(noteLength));
    }
    Title = message.ReadString();
    const std::string kind = message.ReadString();
    const int32_t number = StrToInt(kind);
    // Only the kinds of nodes are read: another number is a node nothing knows, and from 10 on
    // it would be written back in hexadecimal, which no reader takes.
    if (number < static_cast<int32_t>(NodeKind::Folder) ||
        number > static_cast<int32_t>(NodeKind::Link)) {
        throw EConvertError("'" + kind + "' is not a valid node kind");
    }
    Kind = static_cast<NodeKind>(number);
    uint32_t id = 0;
    ScanHex(message.ReadString(), id);
    Id = id;
    CreateDate = message.ReadString();
    State = static_cast<CaptureState>(Content.Stats.State);
}

std::unique_ptr<StringMessageI18N> TPageInfo::ToMessage() const {
    auto message = std::make_unique<StringMessageI18N>();
    message->AddString(RequestedUrl);
    message->AddString(FinalUrl);
    message->AddBytes(Content.ToString());
    message->AddData(Notes.GetBuffer(), static_cast<size_t>(Notes.GetLength()));
    message->AddString(Title);
    message->AddString(Hex(static_cast<int32_t>(Kind)));
    message->AddString(IntToHex(Id, 1));
    message->AddString(CreateDate);
    return message;
}

size_t TPageInfo::BlockSize() const {
    // Follows ToMessage field by field; strings added with AddString end at their first NUL.
    auto text = [](const std::string& value) {
        return StringMessageI18N::FieldSize(std::strlen(value.c_str()));
    };
    return text(RequestedUrl) + text(FinalUrl) + StringMessageI18N::FieldSize(Content.BlockSize()) +
           StringMessageI18N::FieldSize(static_cast<size_t>(Notes.GetLength())) + text(Title) +
           text(Hex(static_cast<int32_t>(Kind))) + text(IntToHex(Id, 1)) + text(CreateDate);
}

std::string TPageInfo::ToRecordString() const {
    StringMessageI18N message;
    message.AddString(RequestedUrl);
    message.AddString(FinalUrl);
    message.AddString("contentStr");
    message.AddString("notes");
    message.AddString(Title);
    message.AddString(Hex(static_cast<int32_t>(Kind)));
    message.AddString(IntToHex(Id, 1));
    message.AddString(CreateDate);
    return message.Bytes();
}

void TPageInfo::Assign(TPageInfo& destination) const {
    if (&destination == this) {
        return;
    }
    destination.RequestedUrl = RequestedUrl;
    destination.FinalUrl = FinalUrl;
    Content.AssignStrings(destination.Content);
    destination.Notes.Clear();
    destination.Notes.AppendRaw(Notes.GetBuffer(), static_cast<size_t>(Notes.GetLength()));
    destination.Title = Title;
    destination.Kind = Kind;
    destination.State = State;
    destination.ViewFlags = ViewFlags;
    destination.NavCount = NavCount;
}

bool IsUnfinishedPage(const TPageInfo& record) {
    return record.Kind == NodeKind::WebPage && record.State == CaptureState::Unfinished;
}

TPageInfo* NodeRecord(const TTreeNode* node) {
    return node ? dynamic_cast<TPageInfo*>(node->Data()) : nullptr;
}

NodeKind GetNodeKind(const TTreeNode* node) {
    const TPageInfo* record = NodeRecord(node);
    return record ? record->Kind : NodeKind::None;
}
