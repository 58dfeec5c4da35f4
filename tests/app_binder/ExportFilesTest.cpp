// The exports' and imports' files on the document side: every writer and reader answers with
// what happened, the message to show included, and asks the window nothing.
#include "app/binder/ChmExport.h"
#include "app/binder/ExchangeFile.h"
#include "app/binder/ExchangeImport.h"
#include "app/binder/HtmlFiles.h"
#include "app/binder/UrlList.h"

#include "tests/app_binder/ExportFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

TEST(ExportFiles, WritersAnswerWithTheMessageInsteadOfShowingIt) {
    ExportFixture binder;
    TTreeNode* page = binder.Page(nullptr, 0x2A, "P", "http://a.test/", "<p>P</p>");
    binder.StoreFile(0x2A, "img/a.gif", "GIF");
    TempDir out;
    WriteFileBytes(out / "file", "a file, not a folder");
    const std::string blocked = (out / "file" / "sub").string();

    const WriteResult list = WriteUrlList(DoFileExportListAll(binder.Tree()), blocked + "/l.txt");
    EXPECT_FALSE(list);
    EXPECT_EQ(list.Error, "can not create directory" + blocked);
    const WriteResult listed = WriteUrlList({"http://a.test/", "b"}, (out / "l.txt").string());
    EXPECT_TRUE(listed);
    EXPECT_EQ(ReadFileBytes(out / "l.txt"), "http://a.test/\r\nb\r\n");

    const ExchangeWritten exchange =
        WriteExchangeFile(binder.Tree(), nullptr, binder.paths, blocked + "/x.tqz");
    EXPECT_FALSE(exchange.Write);
    EXPECT_EQ(exchange.Write.Error, "can not create directory" + blocked);

    const FilesWritten resources = CopyPageResources(*NodeRecord(page), binder.paths, blocked);
    EXPECT_FALSE(resources);
    EXPECT_EQ(resources.Errors,
              std::vector<std::string>{"can not create directory" + blocked + "/img"});
    EXPECT_FALSE(SaveBufferToFile("", "x", 1)) << "an empty path is no file";
    EXPECT_TRUE(SaveBufferToFile("", "x", 1).Error.empty());

    // A project whose work folder cannot be made lists the page all the same and says why
    // each write failed, the contents file last; it is not written.
    const ChmProject project =
        WriteChmProject(binder.context, binder.Tree().GetFirstNode(), blocked, "0x409", false);
    EXPECT_FALSE(project.Written);
    EXPECT_EQ(project.Pages, 1u);
    ASSERT_EQ(project.Errors.size(), 2u);
    EXPECT_EQ(project.Errors[0], "can not create directory" + blocked + "/2A");
    EXPECT_EQ(project.Errors[1], "can not create directory" + blocked);
    // No compiled file: no copy and nothing to say, the destination untouched.
    WriteFileBytes(out / "help.chm", "old");
    EXPECT_FALSE(CopyChmResult(out.Str(), (out / "help.chm").string()).Written);
    EXPECT_TRUE(CopyChmResult(out.Str(), (out / "help.chm").string()).Error.empty());
    EXPECT_EQ(ReadFileBytes(out / "help.chm"), "old");
    EXPECT_TRUE(binder.exportUi.Calls.empty());
}

TEST(ExportFiles, AnImportAnswersWhyItStoppedAndWhatItRefused) {
    ExportFixture binder;
    TempDir out;
    int writing = 0;
    int steps = 0;
    const ImportProgress progress{[&writing] { ++writing; }, [&steps] { ++steps; }};

    const std::string missing = (out / "missing.tqz").string();
    EXPECT_EQ(ImportExchangeFile(binder.context, missing, nullptr, progress).Error,
              "can not read file " + missing);
    WriteFileBytes(out / "bad.tqz", Field("VelmorExport") + Field("1.0") + "zz");
    EXPECT_EQ(
        ImportExchangeFile(binder.context, (out / "bad.tqz").string(), nullptr, progress).Error,
        ExchangeFormatError);
    EXPECT_EQ(writing, 0) << "nothing was written for a file refused";

    // A sound file of two subtrees: written once, a step per subtree.
    ExportFixture source;
    source.Page(nullptr, 0x11, "One", "http://a.test/1", "<p>1</p>");
    source.Page(nullptr, 0x12, "Two", "http://a.test/2", "<p>2</p>");
    ASSERT_TRUE(
        WriteExchangeFile(source.Tree(), nullptr, source.paths, (out / "ok.tqz").string()).Write);
    const ExchangeImported imported =
        ImportExchangeFile(binder.context, (out / "ok.tqz").string(), nullptr, progress);
    EXPECT_TRUE(imported.Error.empty());
    EXPECT_FALSE(imported.NonFolderRefused);
    EXPECT_EQ(writing, 1);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(binder.Tree().TopLevelCount(), 2);
    EXPECT_TRUE(binder.binder.BinderDirty);
    EXPECT_TRUE(binder.exportUi.Calls.empty());
}

// The file work of an import (reading, checks, writing the files) runs where the caller sends
// it, and the tree changes only once it has come back; a file that holds nothing, or is not
// there, is answered before any of it.
TEST(ExportFiles, AnImportsFileWorkRunsWhereItIsSentAndTheTreeChangesAfter) {
    ExportFixture source;
    source.Page(nullptr, 0x11, "One", "http://a.test/1", "<p>1</p>");
    source.StoreFile(0x11, "a.gif", "GIF");
    source.Page(nullptr, 0x12, "Two", "http://a.test/2", "<p>2</p>");
    TempDir out;
    ASSERT_TRUE(
        WriteExchangeFile(source.Tree(), nullptr, source.paths, (out / "ok.tqz").string()).Write);
    WriteFileBytes(out / "empty.tqz", "");
    WriteFileBytes(out / "bad.tqz", Field("VelmorExport") + Field("1.0") + "zz");

    ExportFixture binder;
    std::vector<std::string> told;
    const std::thread::id caller = std::this_thread::get_id();
    const auto where = [caller] {
        return std::this_thread::get_id() == caller ? std::string(" here") : " aside";
    };
    ImportProgress progress;
    progress.Reading = [&] { told.push_back("reading" + where()); };
    progress.Writing = [&] { told.push_back("writing" + where()); };
    progress.Step = [&] { told.push_back("step" + where()); };
    progress.Aside = [&](const std::function<void()>& work) {
        std::thread(work).join();
        told.push_back("back, " + std::to_string(binder.Tree().Count()) + " nodes");
    };
    const auto import = [&](const char* name) {
        told.clear();
        return ImportExchangeFile(binder.context, (out / name).string(), nullptr, progress).Error;
    };

    EXPECT_EQ(import("ok.tqz"), "");
    EXPECT_EQ(told, (std::vector<std::string>{"reading here", "writing aside", "back, 0 nodes",
                                              "step here", "step here"}));
    EXPECT_EQ(binder.Tree().Count(), 2);
    EXPECT_EQ(ReadFileBytes(std::filesystem::path(binder.StoreFolder(0x11)) / "a.gif"), "GIF");

    EXPECT_EQ(import("empty.tqz"), "");
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(import("missing.tqz"), "can not read file " + (out / "missing.tqz").string());
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(import("bad.tqz"), ExchangeFormatError);
    EXPECT_EQ(told, (std::vector<std::string>{"reading here", "back, 2 nodes"}));
    EXPECT_EQ(binder.Tree().Count(), 2);
}
