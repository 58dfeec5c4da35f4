#include "app/ui/NoteIcons.h"

#include "app/ui/NotesCommands.h"

#include "tests/support/ShellTestEnv.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr TNoteAction ToolButtonActions[] = {
    TNoteAction::RUndo,         TNoteAction::RRedo,         TNoteAction::RCut,
    TNoteAction::RCopy,         TNoteAction::RPaste,        TNoteAction::RFind,
    TNoteAction::RBold,         TNoteAction::RItalic,       TNoteAction::RUnderscore,
    TNoteAction::Rmiddlescore,  TNoteAction::RFontIncrease, TNoteAction::RFontDecrease,
    TNoteAction::RTextColor,    TNoteAction::RTxBgColor,    TNoteAction::RAlgnLeft,
    TNoteAction::RAlignCnt,     TNoteAction::RAlignRight,   TNoteAction::RAlignAdj,
    TNoteAction::RLeftAdj,      TNoteAction::RRightAdj,     TNoteAction::RParagraphBgColor,
    TNoteAction::RInsertFile,   TNoteAction::RInsertPic,    TNoteAction::RInsertPageBreak,
    TNoteAction::RSave,         TNoteAction::RExport,       TNoteAction::RPrint,
    TNoteAction::RPirntPreview, TNoteAction::ToolButton56};

int OpaquePixels(const QImage& image) {
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            opaque += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        }
    }
    return opaque;
}

// An icon theme of one picture, solid red, named `name`, made the current theme.
struct OnePictureTheme {
    explicit OnePictureTheme(const char* name) {
        const QString root = QString::fromStdString(folder.Str()) + "/one";
        QDir().mkpath(root + "/16x16/actions");
        QFile index(root + "/index.theme");
        EXPECT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=one\nDirectories=16x16/actions\n\n"
                    "[16x16/actions]\nSize=16\nType=Fixed\n");
        index.close();
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        EXPECT_TRUE(red.save(root + "/16x16/actions/" + name + ".png"));
        oldPaths = QIcon::themeSearchPaths();
        oldName = QIcon::themeName();
        QIcon::setThemeSearchPaths({QString::fromStdString(folder.Str())});
        QIcon::setThemeName("one");
    }
    ~OnePictureTheme() {
        QIcon::setThemeName(oldName);
        QIcon::setThemeSearchPaths(oldPaths);
    }
    TempDir folder;
    QStringList oldPaths;
    QString oldName;
};

} // namespace

TEST(NoteIcons, EveryToolButtonHasItsOwnPictureWhenTheThemeHasNone) {
    OnePictureTheme theme("nothing-of-ours");
    std::vector<QImage> seen;
    for (TNoteAction action : ToolButtonActions) {
        const QIcon icon = NoteActionIcon(action);
        ASSERT_FALSE(icon.isNull()) << NoteActionIconName(action);
        const QImage picture = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(picture.size(), QSize(16, 16));
        // A picture, not a blank: a fair part of it is drawn, and no two are alike.
        EXPECT_GT(OpaquePixels(picture), 16) << NoteActionIconName(action);
        for (const QImage& other : seen) {
            EXPECT_NE(picture, other) << NoteActionIconName(action);
        }
        seen.push_back(picture);
    }
}

TEST(NoteIcons, TheDesktopThemesPictureComesFirst) {
    EXPECT_STREQ(NoteActionIconName(TNoteAction::RBold), "format-text-bold");
    EXPECT_STREQ(NoteActionIconName(TNoteAction::RUndo), "edit-undo");
    EXPECT_STREQ(NoteActionIconName(TNoteAction::RAlignCnt), "format-justify-center");
    OnePictureTheme theme("format-text-bold");
    const QImage bold = NoteActionIcon(TNoteAction::RBold).pixmap(16, 16).toImage();
    EXPECT_EQ(bold.pixelColor(8, 8), QColor(Qt::red));
    // A name the theme lacks keeps the program's picture.
    const QImage italic = NoteActionIcon(TNoteAction::RItalic).pixmap(16, 16).toImage();
    EXPECT_NE(italic.pixelColor(8, 8), QColor(Qt::red));
}
