// Items with automatic icons taken from program files: the icon at the item's index, or the
// generic program icon when the file has none there or is damaged.
#include "ShelfBarTestBar.h"
#include "tests/support/ProgramFileFixture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace program_file_fixture;

namespace {

struct TCounts {
    int red = 0;
    int green = 0;
};

TCounts PaintItem(const std::string& url, int index, TPanelStyle style) {
    TestShelfBar bar(180, 200);
    TShelfPanel& panel = bar.Panels().Add();
    panel.SetStyle(style);
    panel.SetColor(clWhite);
    TShelfItem& item = panel.Items().Add();
    item.SetAutoIcon(true);
    item.SetURL(url);
    item.SetAutoIconIndex(index);
    const QImage shot = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    TCounts counts;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            counts.red += shot.pixel(x, y) == qRgb(255, 0, 0);
            counts.green += shot.pixel(x, y) == qRgb(0, 255, 0);
        }
    }
    return counts;
}

} // namespace

TEST(ShelfAutoIcon, TheIconAtAutoIconIndexOfAProgramFile) {
    TempDir dir;
    const std::vector<std::string> icons{PngIcon(qRgb(255, 0, 0)), PngIcon(qRgb(0, 255, 0))};
    WriteFileBytes(dir / "tool.exe", Pe(icons, {{1}, {2}}));
    WriteFileBytes(dir / "set.icl", Ne(icons, {{1}, {2}}));
    WriteFileBytes(dir / "broken.dll", Pe(icons, {{1}, {2}}).substr(0, 0x210));
    const std::string exe = (dir / "tool.exe").string();

    // Large icons are 32 x 32, small ones 16 x 16.
    TCounts second = PaintItem(exe, 1, TPanelStyle::psLargeIcon);
    EXPECT_EQ(second.green, 32 * 32);
    EXPECT_EQ(second.red, 0);
    TCounts first = PaintItem(exe, 0, TPanelStyle::psLargeIcon);
    EXPECT_EQ(first.red, 32 * 32);
    EXPECT_EQ(first.green, 0);
    EXPECT_EQ(PaintItem(exe, 1, TPanelStyle::psSmallIcon).green, 16 * 16);
    EXPECT_EQ(PaintItem((dir / "set.icl").string(), 1, TPanelStyle::psLargeIcon).green, 32 * 32);

    // No icon there, a damaged file, no file: the generic program icon, not the file's.
    for (const auto& [url, index] : {std::pair{exe, 2}, std::pair{(dir / "broken.dll").string(), 0},
                                     std::pair{(dir / "none.exe").string(), 0}}) {
        TCounts counts = PaintItem(url, index, TPanelStyle::psLargeIcon);
        EXPECT_LT(counts.red, 100) << url << index;
        EXPECT_LT(counts.green, 100) << url << index;
    }
}
