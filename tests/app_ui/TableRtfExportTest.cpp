// A note's table exported as RTF through the notes window's Save & Export: written for a page,
// not for the window that shows it.
#include "platform/base/Files.h"
#include "platform/graphics/ScreenMetrics.h"

#include "tests/app_ui/TablesWindow.h"

#include <QTest>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The text width of an RTF that names no page: a letter sheet less margins of an inch and a
// quarter, in twips.
constexpr int PageTextTwips = 12240 - 2 * 1800;

std::vector<int> CellEdges(const std::string& rtf) {
    std::vector<int> edges;
    const std::string word = "\\cellx";
    for (size_t at = rtf.find(word); at != std::string::npos; at = rtf.find(word, at + 1)) {
        edges.push_back(std::atoi(rtf.c_str() + at + word.size()));
    }
    return edges;
}

struct ExportingWindow : TablesWindow {
    explicit ExportingWindow(int width) {
        Window->resize(width, 600);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        QApplication::processEvents();
    }
    std::string Export() {
        const std::string path = Folder.Str() + "/note.rtf";
        Prompts.File = TNoteFileChoice{path, 1};
        Window->NotesPart().Commands().RExportExecute();
        size_t size = 0;
        std::unique_ptr<char[]> bytes = ReadFileWhole(path, size);
        return bytes ? std::string(bytes.get(), size) : std::string();
    }
};

const double Tpp = 1440.0 / ScreenPixelsPerInch();

TEST(TableRtfExport, ATableAsWideAsAWideWindowIsWrittenAtThePageTextWidth) {
    ExportingWindow w(1800);
    TRNTableItemInfo& t = w.Insert(2, 3);
    w.E().Format();
    // On the screen it runs far past a page.
    ASSERT_GT(t.FormattingInfo.Width * Tpp, 1.5 * PageTextTwips);
    const int screenWidth = t.FormattingInfo.Width;
    const std::vector<int> edges = CellEdges(w.Export());
    ASSERT_EQ(edges.size(), 6u);
    for (size_t row = 0; row < 2; ++row) {
        const int* e = &edges[row * 3];
        EXPECT_LE(e[2], PageTextTwips);
        // A table of the whole width fills it, three columns of about the same width.
        EXPECT_GT(e[2], PageTextTwips * 9 / 10);
        EXPECT_NEAR(e[1] - e[0], e[2] - e[1], Tpp);
    }
    // The window's layout is left as it was.
    EXPECT_EQ(t.FormattingInfo.Width, screenWidth);
}

TEST(TableRtfExport, ANarrowerTableKeepsTheEdgesItHasOnTheScreen) {
    ExportingWindow w(500);
    TRNTableItemInfo& t = w.Insert(2, 3);
    w.E().Format();
    ASSERT_LT(t.FormattingInfo.Width * Tpp, PageTextTwips);
    const TRNTableItemFormattingInfo& info = t.FormattingInfo;
    std::vector<int> expected;
    for (int row = 0; row < 2; ++row) {
        for (int c = 0; c < 3; ++c) {
            expected.push_back(static_cast<int>(std::lround(
                (info.ColStarts[c] + info.ColWidths[c]) * Tpp + t.CellHSpacing * Tpp / 2)));
        }
    }
    EXPECT_EQ(CellEdges(w.Export()), expected);
}

} // namespace
