#include "app/binder/commands/ChmCommands.h"

#include "platform/shell/ChmCompiler.h"

#include "tests/app_binder/ExportFixture.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput().toStdString();
}

// Exports the binder through the command with the chmcmd found on the path into `out`, over a
// file there when `overwrite`, its work folder in a temporary folder of its own; the help file's
// path.
QString ExportWithChmcmd(ExportFixture& binder, const TempDir& out, const std::string& name,
                         bool overwrite = false) {
    binder.exportUi.Compiler = StartChmCompiler;
    TempDir temp;
    ScopedEnv tmp("TMPDIR", temp.Str());
    binder.exportUi.Chm = TChmChoice{(out / name).string(), "0x409", false, true, overwrite};
    FileExportCHMExecute(binder.context, binder.exportUi);
    return QString::fromStdString((out / name).string());
}

// Binder of one folder holding two pages, each with a picture.
struct ChmBinder : ExportFixture {
    ChmBinder() {
        TTreeNode* folder = AddRecord(Tree(), nullptr, NodeKind::Folder, 1, "Folder & <Co>");
        NodeRecord(Page(folder, 0x2A, "Page One"))->Content.PageHtml =
            "<html><body><img src=\"img/a.gif\">one</body></html>";
        NodeRecord(Page(folder, 0x2B, "Two"))->Content.PageHtml = "<html><body>two</body></html>";
        AddRecord(Tree(), folder, NodeKind::Notes, 3, "Note");
        AddRecord(Tree(), nullptr, NodeKind::Folder, 4, "Empty");
        StoreFile(0x2A, "img/a.gif", "GIF89a");
        StoreFile(0x2A, "2A.htm", "own copy");
    }
};

} // namespace

TEST(ChmExport, ProjectAndContentsFilesByteForByte) {
    ChmBinder binder;
    TempDir work;
    EXPECT_FALSE(BuildChmProject(binder.context, binder.exportUi, binder.Tree().GetFirstNode(),
                                 work.Str(), "0x409", true));
    EXPECT_EQ(ReadFileBytes(work / "tqz.hhp"), "[OPTIONS]\r\n"
                                               "Compatibility=1.1 or later\r\n"
                                               "Compiled file=tqz.chm\r\n"
                                               "Contents file=tqz.hhc\r\n"
                                               "Display compile progress=No\r\n"
                                               "Full-text search=Yes\r\n"
                                               "Language=0x409 \r\n"
                                               "[FILES]\r\n"
                                               "2A/PageOne.htm\r\n"
                                               "2B/Two.htm\r\n");
    EXPECT_EQ(ReadFileBytes(work / "tqz.hhc"),
              "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n"
              "<HTML>\r\n"
              "<HEAD>\r\n"
              "<meta name=\"GENERATOR\" content=\"Microsoft&reg; HTML Help Workshop 4.1\">\r\n"
              "<!-- Sitemap 1.0 -->\r\n"
              "</HEAD><BODY>\r\n"
              "<UL>\r\n"
              "\t<LI> <OBJECT type=\"text/sitemap\">\r\n"
              "\t<param name=\"Name\" value=\"Folder &amp; &lt;Co&gt;\">\r\n"
              "\t</OBJECT>\r\n"
              "\t<UL>\r\n"
              "\t\t<LI> <OBJECT type=\"text/sitemap\">\r\n"
              "\t\t<param name=\"Name\" value=\"Page One\">\r\n"
              "\t\t<param name=\"Local\" value=\"2A/PageOne.htm\">\r\n"
              "\t\t</OBJECT>\r\n"
              "\t\t<LI> <OBJECT type=\"text/sitemap\">\r\n"
              "\t\t<param name=\"Name\" value=\"Two\">\r\n"
              "\t\t<param name=\"Local\" value=\"2B/Two.htm\">\r\n"
              "\t\t</OBJECT>\r\n"
              "\t</UL>\r\n"
              "</UL>\r\n"
              "</BODY></HTML>");
    EXPECT_EQ(ReadFileBytes(work / "2A" / "img" / "a.gif"), "GIF89a");
    EXPECT_FALSE(fs::exists(work / "2A" / "2A.htm"));
    EXPECT_EQ(binder.exportUi.CallsOf("ShowMessage").size(), 0u);
}

TEST(ChmExport, DestinationAndPageNames) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> destinations = {
        {"/d/report.txt", "/d/report.chm"},
        {"/d/book", "/d/book.chm"},
        {"/d/my.chm.old", "/d/my.chm.old"},
        {"", std::nullopt},
        {"/d/", std::nullopt},
        {"C:", std::nullopt},
    };
    for (const auto& [path, expected] : destinations) {
        EXPECT_EQ(ChmDestination(path), expected) << path;
    }

    ExportFixture binder;
    binder.Page(nullptr, 0xC1, "A very long page title for the binder");
    binder.Page(nullptr, 0xC2, "a/b:c");
    binder.Page(nullptr, 0xC3, "Same");
    binder.Page(nullptr, 0xC4, "same");
    binder.Page(nullptr, 0xC5, "Same");
    TempDir work;
    BuildChmProject(binder.context, binder.exportUi, binder.Tree().GetFirstNode(), work.Str(),
                    "0x804", false);
    const std::vector<std::string> listed = {"C1/AverylonC1.htm", "C2/abc.htm", "C3/Same.htm",
                                             "C4/sameC4.htm", "C5/SameC5.htm"};
    const std::string project = ReadFileBytes(work / "tqz.hhp");
    std::string files;
    for (const std::string& name : listed) {
        files += name + "\r\n";
        EXPECT_TRUE(fs::exists(work / name)) << name;
        EXPECT_NE(ReadFileBytes(work / "tqz.hhc").find("value=\"" + name + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(project.substr(project.find("[FILES]\r\n") + 9), files);
    EXPECT_NE(project.find("Full-text search=No\r\nLanguage=0x804 \r\n"), std::string::npos);
}

TEST(ChmExport, CompilesWithChmcmdAndReplacesTheDestination) {
    ChmBinder binder;
    binder.exportUi.Compiler = StartChmCompiler;
    TempDir out;
    TempDir temp;
    ScopedEnv tmp("TMPDIR", temp.Str());
    WriteFileBytes(out / "help.chm", "old");
    binder.exportUi.Chm = TChmChoice{(out / "help.txt").string(), "0x409", true, true, false};
    FileExportCHMExecute(binder.context, binder.exportUi);
    EXPECT_EQ(binder.exportUi.CallsOf("ShowMessage"),
              std::vector<std::string>{"ShowMessage(Destination File" +
                                       (out / "help.chm").string() + " Already Exists)"});

    binder.exportUi.Chm->OverwriteExisting = true;
    binder.exportUi.Calls.clear();
    FileExportCHMExecute(binder.context, binder.exportUi);
    EXPECT_TRUE(binder.exportUi.CallsOf("ShowMessage").empty());
    EXPECT_EQ(binder.exportUi.CallsOf("ShellOpen"),
              std::vector<std::string>{"ShellOpen(" + (out / "help.chm").string() + ")"});
    EXPECT_TRUE(fs::is_empty(temp.Path())) << "the work folder is removed";

    const std::string listing =
        RunTool("enum_chmLib", {QString::fromStdString((out / "help.chm").string())});
    for (const char* name : {"/2A/PageOne.htm", "/2B/Two.htm", "/2A/img/a.gif", "/tqz.hhc"}) {
        EXPECT_NE(listing.find(name), std::string::npos) << name << "\n" << listing;
    }
    RunTool("extract_chmLib", {QString::fromStdString((out / "help.chm").string()),
                               QString::fromStdString((out / "x").string())});
    EXPECT_EQ(ReadFileBytes(out / "x" / "2A" / "PageOne.htm"),
              "<html><body><img src=\"img/a.gif\">one</body></html>");
}

TEST(ChmExport, FailingOrHangingCompilerKeepsTheOldDestination) {
    struct Case {
        const char* name;
        const char* script;
    };
    const std::vector<Case> cases = {
        {"exits 1", "exit 1"},
        {"exits 0 without output", "exit 0"},
        {"hangs past the cap", "echo $$ > \"$CHM_PID_FILE\"; exec sleep 60"},
        {"missing", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir bin;
        if (c.script != nullptr) {
            WriteFileBytes(bin / "chmcmd", std::string("#!/bin/sh\n") + c.script + "\n");
            fs::permissions(bin / "chmcmd", fs::perms::owner_all);
        }
        ScopedEnv path("PATH", bin.Str() + (c.script != nullptr ? ":/usr/bin:/bin" : ""));
        ScopedEnv pidFile("CHM_PID_FILE", (bin / "pid").string());
        ChmBinder binder;
        binder.exportUi.Compiler = [](const std::string& project) {
            return StartChmCompiler(project);
        };
        TempDir out;
        WriteFileBytes(out / "help.chm", "old");
        binder.exportUi.Chm = TChmChoice{(out / "help.chm").string(), "0x409", false, true, true};
        FileExportCHMExecute(binder.context, binder.exportUi, {std::chrono::milliseconds(300), {}});
        EXPECT_EQ(ReadFileBytes(out / "help.chm"), "old");
        EXPECT_EQ(binder.exportUi.CallsOf("ShowMessage"),
                  std::vector<std::string>{"ShowMessage(Sorry, operation failed)"});
        EXPECT_TRUE(binder.exportUi.CallsOf("ShellOpen").empty());
        const std::string pid = ReadFileBytes(bin / "pid");
        if (!pid.empty()) {
            EXPECT_NE(::kill(std::stoi(pid), 0), 0) << "the compiler was killed";
        }
    }
}

// Two pages with the same title and the same resource path keep their own files: each page
// is written into a folder named by its id, and the compiled file holds both pictures.
TEST(ChmExport, PagesWithTheSameResourcePathKeepTheirOwnFiles) {
    ExportFixture binder;
    for (const uint32_t id : {0x31u, 0x32u}) {
        NodeRecord(binder.Page(nullptr, id, "Same"))->Content.PageHtml =
            "<img src=\"img/a.gif\">" + IntToHex(id, 1);
        binder.StoreFile(id, "img/a.gif", "GIF89a-" + IntToHex(id, 1));
    }
    TempDir out;
    const QString chm = ExportWithChmcmd(binder, out, "two.chm");
    ASSERT_TRUE(binder.exportUi.CallsOf("ShowMessage").empty());

    const std::string listing = RunTool("enum_chmLib", {chm});
    for (const char* name : {"/31/Same.htm", "/32/Same32.htm", "/31/img/a.gif", "/32/img/a.gif"}) {
        EXPECT_NE(listing.find(name), std::string::npos) << name << "\n" << listing;
    }
    RunTool("extract_chmLib", {chm, QString::fromStdString((out / "x").string())});
    EXPECT_EQ(ReadFileBytes(out / "x" / "31" / "img" / "a.gif"), "GIF89a-31");
    EXPECT_EQ(ReadFileBytes(out / "x" / "32" / "img" / "a.gif"), "GIF89a-32");
    EXPECT_EQ(ReadFileBytes(out / "x" / "31" / "Same.htm"), "<img src=\"img/a.gif\">31");
    EXPECT_EQ(ReadFileBytes(out / "x" / "32" / "Same32.htm"), "<img src=\"img/a.gif\">32");
}

// Names and contents use the titles' characters: references are decoded, and a long title is
// cut after whole UTF-8 characters.
TEST(ChmExport, NamesUseDecodedTitlesAndWholeCharacters) {
    ChmBuild build;
    const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"; // 6 letters
    EXPECT_EQ(ChmPageFileName(build, cyrillic + " " + cyrillic + " " + cyrillic, 0xAB),
              cyrillic + "\xD0\x9F\xD1\x80\xD0\xB8" + "AB.htm");
    EXPECT_EQ(ChmPageFileName(build, "\xE4\xBD\xA0\xE5\xA5\xBD", 1),
              "\xE4\xBD\xA0\xE5\xA5\xBD.htm");
    // Nine one-byte characters and a four-byte one are the ten characters kept: a cut after
    // ten bytes would split the last one.
    EXPECT_EQ(ChmPageFileName(build, "abcdefghi\xF0\x9F\x98\x80 and then more text", 7),
              "abcdefghi\xF0\x9F\x98\x80" + std::string("7.htm"));

    ExportFixture binder;
    binder.Page(nullptr, 0x41, "A &#8212; B &amp;amp; C");
    TempDir work;
    BuildChmProject(binder.context, binder.exportUi, binder.Tree().GetFirstNode(), work.Str(),
                    "0x409", false);
    const std::string file = "41/A\xE2\x80\x94"
                             "B&amp;C.htm";
    EXPECT_TRUE(fs::exists(work / file));
    const std::string contents = ReadFileBytes(work / "tqz.hhc");
    EXPECT_NE(contents.find("<param name=\"Name\" value=\"A \xE2\x80\x94 B &amp;amp; C\">"),
              std::string::npos)
        << contents;
    EXPECT_NE(contents.find("<param name=\"Local\" value=\"41/A\xE2\x80\x94"
                            "B&amp;amp;C.htm\">"),
              std::string::npos)
        << contents;
    EXPECT_EQ(contents.find("#8212"), std::string::npos);
}

// The contents list web pages and the folders that hold something; notes, links, empty
// folders and the children of a page give no entry, and no file.
TEST(ChmExport, ContentsLeaveOutWhatIsNoPageOrFolderOfPages) {
    ExportFixture binder;
    TTreeNode* folder = AddRecord(binder.Tree(), nullptr, NodeKind::Folder, 1, "Folder");
    TTreeNode* parentPage = binder.Page(folder, 0x10, "Parent");
    binder.Page(parentPage, 0x11, "Child of a page");
    AddRecord(binder.Tree(), folder, NodeKind::Notes, 2, "Note");
    AddRecord(binder.Tree(), folder, NodeKind::Link, 3, "Link");
    AddRecord(binder.Tree(), folder, NodeKind::Folder, 4, "Empty");
    TTreeNode* notesOnly = AddRecord(binder.Tree(), nullptr, NodeKind::Folder, 5, "Notes only");
    AddRecord(binder.Tree(), notesOnly, NodeKind::Notes, 6, "Inner note");
    ASSERT_EQ(binder.Tree().Count(), 8);
    TempDir work;
    BuildChmProject(binder.context, binder.exportUi, binder.Tree().GetFirstNode(), work.Str(),
                    "0x409", false);
    const std::string contents = ReadFileBytes(work / "tqz.hhc");
    const std::string key = "name=\"Name\" value=\"";
    std::vector<std::string> names;
    for (size_t at = contents.find(key); at != std::string::npos; at = contents.find(key, at + 1)) {
        const size_t start = at + key.size();
        names.push_back(contents.substr(start, contents.find('"', start) - start));
    }
    // A folder with children is listed even when none of them gives an entry.
    EXPECT_EQ(names, (std::vector<std::string>{"Folder", "Parent", "Notes only"}));
    const std::string project = ReadFileBytes(work / "tqz.hhp");
    EXPECT_EQ(project.substr(project.find("[FILES]\r\n") + 9), "10/Parent.htm\r\n");
    EXPECT_FALSE(fs::exists(work / "11"));
}

// A "#" in a title would begin an anchor in the contents entry, which then named no file: the
// page's file goes without it, and the entry, as the help file holds it, names a file the help
// file holds. The compiler calls the page's own in-page anchors errors and ends with 0: the
// export succeeds all the same.
TEST(ChmExport, APageTitledWithAHashOpensFromItsEntryAndInPageAnchorsAreNoFailure) {
    ExportFixture binder;
    binder.Page(nullptr, 0x8F, "C# tips", "",
                "<html><body><a href=\"#use\">Use</a> <a name=\"use\">C#</a> "
                "<a href=\"#top\">top</a></body></html>");
    // "%" would start an escape in the entry's address: "%20" is read as a blank.
    binder.Page(nullptr, 0x90, "Save%20now", "", "<html><body>50%</body></html>");
    binder.Page(nullptr, 0x91, "#%", "", "<html><body>signs</body></html>");
    TempDir out;
    const QString chm = ExportWithChmcmd(binder, out, "c.chm");
    EXPECT_TRUE(binder.exportUi.CallsOf("ShowMessage").empty());

    RunTool("extract_chmLib", {chm, QString::fromStdString((out / "x").string())});
    const std::string contents = ReadFileBytes(out / "x" / "tqz.hhc");
    const std::string listing = RunTool("enum_chmLib", {chm});
    const std::string key = "<param name=\"Local\" value=\"";
    int entries = 0;
    for (size_t at = contents.find(key); at != std::string::npos; at = contents.find(key, at + 1)) {
        ++entries;
        const std::string local =
            contents.substr(at + key.size(), contents.find('"', at + key.size()) - at - key.size());
        EXPECT_EQ(local.find_first_of("#%"), std::string::npos) << local;
        EXPECT_EQ(local.find("/."), std::string::npos) << local; // no hidden file
        EXPECT_NE(listing.find("\t\t/" + local + "\n"), std::string::npos) << local << "\n"
                                                                           << listing;
    }
    EXPECT_EQ(entries, 3) << contents;
}

// A compiler that leaves out a page the contents name still ends with 0: the export is a
// failure, and the destination keeps what it held.
TEST(ChmExport, AHelpFileWithoutAFileItsContentsNameIsAFailure) {
    const QString compiler = QStandardPaths::findExecutable("chmcmd");
    ASSERT_FALSE(compiler.isEmpty());
    TempDir bin;
    // The page neither in the project's files nor on the disk: the compiler finds no fault.
    WriteFileBytes(bin / "chmcmd", "#!/bin/sh\nsed -i '/2B\\/Two.htm/d' \"$1\"\n"
                                   "rm \"$(dirname \"$1\")/2B/Two.htm\"\nexec '" +
                                       compiler.toStdString() + "' \"$@\"\n");
    fs::permissions(bin / "chmcmd", fs::perms::owner_all);
    ScopedEnv path("PATH", bin.Str() + ":/usr/bin:/bin");
    ChmBinder binder;
    TempDir out;
    WriteFileBytes(out / "help.chm", "old");
    ExportWithChmcmd(binder, out, "help.chm", true);
    EXPECT_EQ(binder.exportUi.CallsOf("ShowMessage"),
              std::vector<std::string>{"ShowMessage(Sorry, operation failed)"});
    EXPECT_EQ(ReadFileBytes(out / "help.chm"), "old");
    EXPECT_TRUE(binder.exportUi.CallsOf("ShellOpen").empty());
}
