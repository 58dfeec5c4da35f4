#include "app/binder/PageInfo.h"

#include "platform/base/Exceptions.h"

#include "tests/support/Matchers.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// Reads the fields of a whole record block in order.
std::vector<std::string> Fields(StringMessageI18N& message) {
    std::vector<std::string> fields;
    while (message.HasMore()) {
        fields.push_back(message.ReadBytes());
    }
    return fields;
}

std::unique_ptr<TPageInfo> RoundTrip(const TPageInfo& record) {
    auto block = record.ToMessage();
    StringMessageI18N stored(block->GetBuffer(), static_cast<size_t>(block->GetLength()));
    return std::make_unique<TPageInfo>(stored);
}

// A record block written by hand: url, final url, content, notes, title, then what follows.
std::unique_ptr<TPageInfo> ReadBlock(std::initializer_list<const char*> tail) {
    StringMessageI18N block;
    for (const char* field : {"u", "f", "", "", "title"}) {
        block.AddString(field);
    }
    for (const char* field : tail) {
        block.AddString(field);
    }
    StringMessageI18N stored(block.GetBuffer(), static_cast<size_t>(block.GetLength()));
    return std::make_unique<TPageInfo>(stored);
}

} // namespace

TEST(PageInfo, RecordBlockBytes) {
    TPageInfo record;
    EXPECT_EQ(record.State, CaptureState::Unfinished);
    EXPECT_TRUE(LooksLikeDateTime(record.CreateDate));
    record.RequestedUrl = "http://a.example/x";
    record.FinalUrl = "http://a.example/x/";
    record.Title = "Title";
    record.Kind = NodeKind::Notes;
    record.Id = 0x1A2B;
    record.CreateDate = "06/25/02 19:55:53";
    const std::string content =
        "46#3d#1#11#09#1#01#01#09#1#01#01#09#1#01#01#09#1#01#01#09#1#01#01#00#0#0#";
    EXPECT_EQ(record.ToMessage()->Bytes(), "12#http://a.example/x13#http://a.example/x/" + content +
                                               "0#5#Title1#34#1A2B11#06/25/02 19:55:53");
}

TEST(PageInfo, FetchedTextKeptOnlyWhileUnfinished) {
    TPageInfo unfinished;
    unfinished.Content.FetchedText = "<html>raw</html>";
    unfinished.Content.PageHtml = "<html>local</html>";
    unfinished.Content.PageFolder = "host/dir/";
    auto back = RoundTrip(unfinished);
    EXPECT_EQ(back->Content.FetchedText, "<html>raw</html>");
    EXPECT_EQ(back->Content.PageHtml, "<html>local</html>");
    EXPECT_EQ(back->Content.PageFolder, "host/dir/");
    EXPECT_EQ(back->State, CaptureState::Unfinished);

    TPageInfo completed;
    completed.Content.FetchedText = "<html>raw</html>";
    completed.Content.PageHtml = "<html>local</html>";
    completed.Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
    completed.Content.Stats.Total = 12;
    completed.Content.Stats.Groups[GroupCss] = {3, 4, 5};
    back = RoundTrip(completed);
    EXPECT_EQ(back->Content.FetchedText, "");
    EXPECT_EQ(back->Content.PageHtml, "<html>local</html>");
    EXPECT_EQ(back->State, CaptureState::Completed);
    EXPECT_EQ(back->Content.Stats.Total, 12);
    EXPECT_EQ(back->Content.Stats.Groups[GroupCss].Fetched, 3);
    EXPECT_EQ(back->Content.Stats.Groups[GroupCss].Cached, 4);
    EXPECT_EQ(back->Content.Stats.Groups[GroupCss].Failed, 5);
    EXPECT_EQ(back->Content.Stats.Groups[GroupImg].Fetched, 0);

    // A stopped capture is kept on the record only: it reads back by its statistics state.
    TPageInfo stopped;
    stopped.State = CaptureState::Stopped;
    EXPECT_EQ(RoundTrip(stopped)->State, CaptureState::Unfinished);
}

TEST(PageInfo, IdsOfEveryWidthRoundTrip) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0u, "0"}, {0x1u, "1"}, {0x80000000u, "80000000"}, {0xFFFFFFFFu, "FFFFFFFF"}};
    for (const auto& [id, text] : cases) {
        TPageInfo record;
        record.Id = id;
        EXPECT_EQ(Fields(*record.ToMessage())[6], text);
        EXPECT_EQ(RoundTrip(record)->Id, id) << text;
    }
}

TEST(PageInfo, BadKindRaisesConversionError) {
    // Only the kinds of nodes are read: any other number would be written back as hexadecimal.
    for (const char* kind : {"", "x", "2a", "A", "0", "5", "10", "-1"}) {
        EXPECT_THROW(ReadBlock({kind}), EConvertError) << kind;
    }
    StringMessageI18N missing("1#u");
    EXPECT_THROW(TPageInfo{missing}, EConvertError);
}

TEST(PageInfo, MissingTrailingFieldsReadEmpty) {
    auto record = ReadBlock({"1"});
    EXPECT_EQ(record->Kind, NodeKind::Folder);
    EXPECT_EQ(record->Id, 0u);
    EXPECT_EQ(record->CreateDate, "");
    EXPECT_EQ(record->Title, "title");
    // An empty content block gives the default statistics.
    EXPECT_EQ(record->Content.Stats.State, 1);
    EXPECT_EQ(record->Content.Stats.Total, 0);
}

TEST(PageInfo, AssignCopiesContentButNeverIdentity) {
    TPageInfo source;
    source.RequestedUrl = "http://x/";
    source.FinalUrl = "http://x/index.html";
    source.Title = "Source";
    source.Kind = NodeKind::Link;
    source.State = CaptureState::Failed;
    source.ViewFlags = 0x111;
    source.NavCount = 3;
    source.Content.FetchedText = "f";
    source.Content.PageHtml = "h";
    source.Content.PageFolder = "p";
    source.Content.Stats.Total = 9;
    source.Content.Links.push_back(Link{"u", "", "", "img", "", ""});
    const std::string note("n\0#x", 4);
    source.Notes.AppendRaw(note.data(), note.size());
    source.CreateDate = "source date";

    TPageInfo destination;
    destination.Notes.AddString("old note that must go");
    destination.CreateDate = "destination date";
    const uint32_t id = destination.Id;
    destination.Reload = 0;
    source.Assign(destination);

    auto copied = [](const TPageInfo& r) {
        return std::tie(r.RequestedUrl, r.FinalUrl, r.Title, r.Kind, r.State, r.ViewFlags,
                        r.NavCount, r.Content.FetchedText, r.Content.PageHtml,
                        r.Content.PageFolder);
    };
    EXPECT_TRUE(copied(destination) == copied(source));
    EXPECT_EQ(destination.Notes.Bytes(), note);
    EXPECT_EQ(destination.Id, id);
    EXPECT_EQ(destination.CreateDate, "destination date");
    EXPECT_EQ(destination.Reload, 0);
    EXPECT_EQ(destination.Content.Stats.Total, 0);
    EXPECT_TRUE(destination.Content.Links.empty());
}

TEST(PageInfo, BlockSizesMatchTheBlocksBuilt) {
    TPageInfo record;
    auto check = [&](const char* what) {
        EXPECT_EQ(record.Content.BlockSize(), record.Content.ToString().size()) << what;
        EXPECT_EQ(record.BlockSize(), static_cast<size_t>(record.ToMessage()->GetLength())) << what;
    };
    check("fresh");
    record.Content.FetchedText = std::string(300, 'f');
    record.Content.PageHtml = std::string(70000, 'h'); // a five-digit length
    record.Notes.AppendRaw("\0#\0", 3);
    check("unfinished with a fetched text");
    record.Content.Stats.State = 2;
    record.Content.Stats.Total = 0x7FFFFFFF;
    record.Content.Stats.Groups[4].Failed = -1;
    check("completed, large counts");
    record.Title = std::string("cut\0here", 8); // written up to its NUL
    record.RequestedUrl = std::string("\0", 1);
    record.Id = 0xFFFFFFFF;
    record.Kind = NodeKind::Link;
    record.CreateDate.clear();
    check("strings with NUL bytes");
}
