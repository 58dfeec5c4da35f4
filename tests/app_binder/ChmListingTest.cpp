// The directory of a compiled help file as chmcmd writes it, read by our own reader: every name
// chmlib finds, over several listing chunks; and a damaged file read within its bytes.
#include "app/binder/ChmListing.h"

#include "tests/support/TempDir.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>

namespace {

std::string RunTool(const QString& program, const QStringList& arguments, const QString& in = {}) {
    QProcess process;
    if (!in.isEmpty()) {
        process.setWorkingDirectory(in);
    }
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput().toStdString();
}

// A help file compiled from `pages` files in folders of ten, named with blanks, "&" and
// non-ASCII letters.
std::string CompiledHelp(const TempDir& dir, int pages) {
    std::string files;
    for (int i = 0; i < pages; ++i) {
        const std::string name = std::to_string(i / 10) + "/Page " + std::to_string(i) +
                                 " & \xD0\x9F\xD1\x80\xD0\xB8.htm";
        WriteFileBytes(dir / name, "<p>" + std::to_string(i) + "</p>");
        files += name + "\r\n";
    }
    WriteFileBytes(dir / "tqz.hhc", "<HTML><BODY><UL></UL></BODY></HTML>");
    WriteFileBytes(dir / "tqz.hhp", "[OPTIONS]\r\nCompiled file=tqz.chm\r\nContents file=tqz.hhc"
                                    "\r\n[FILES]\r\n" +
                                        files);
    RunTool("chmcmd", {"tqz.hhp"}, QString::fromStdString(dir.Str()));
    return (dir / "tqz.chm").string();
}

// The names chmlib's own lister gives: what follows the two tabs of each line of the listing.
std::set<std::string> ListedByChmlib(const std::string& chm) {
    std::set<std::string> names;
    std::istringstream lines(RunTool("enum_chmLib", {QString::fromStdString(chm)}));
    for (std::string line; std::getline(lines, line);) {
        const size_t tabs = line.find("\t\t");
        if (tabs != std::string::npos && line.find_first_of("/:", tabs) == tabs + 2) {
            names.insert(line.substr(tabs + 2));
        }
    }
    return names;
}

uint64_t Little(const std::string& bytes, size_t at, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

} // namespace

// chmlib's lister starts at the listing chunk the directory's header names first, which
// chmcmd gives one too far on: the names of the chunk before are found through the index, as
// a viewer finds them, and by our reader, which reads every listing chunk.
TEST(ChmListing, ReadsEveryNameOverSeveralChunks) {
    TempDir dir;
    const std::string chm = CompiledHelp(dir, 400);
    const std::string bytes = ReadFileBytes(chm);
    const std::string directory = bytes.substr(Little(bytes, 0x48, 8));
    ASSERT_GT(Little(directory, 44, 4), 3u) << "one chunk holds them all";

    const std::optional<std::set<std::string>> names = ChmFileNames(chm);
    ASSERT_TRUE(names);
    for (int i = 0; i < 400; ++i) {
        const std::string page = "/" + std::to_string(i / 10) + "/Page " + std::to_string(i) +
                                 " & \xD0\x9F\xD1\x80\xD0\xB8.htm";
        EXPECT_TRUE(names->count(page)) << page;
    }
    const std::set<std::string> listed = ListedByChmlib(chm);
    ASSERT_GT(listed.size(), 100u);
    for (const std::string& name : listed) {
        EXPECT_TRUE(names->count(name)) << name;
    }
    for (const std::string& name : *names) {
        if (listed.count(name) == 0) {
            const std::string found =
                RunTool("test_chmLib", {QString::fromStdString(chm), QString::fromStdString(name),
                                        QString::fromStdString((dir / "found").string())});
            EXPECT_NE(found.find("object:"), std::string::npos) << name << "\n" << found;
        }
    }
}

TEST(ChmListing, ADamagedFileIsReadWithinItsBytesOrRefused) {
    TempDir dir;
    const std::string good = ReadFileBytes(CompiledHelp(dir, 30));
    const size_t directoryAt = Little(good, 0x48, 8);
    const size_t chunksAt = directoryAt + Little(good, directoryAt + 8, 4);
    const std::string damagedPath = (dir / "damaged.chm").string();
    const auto read = [&](const std::string& bytes) {
        WriteFileBytes(damagedPath, bytes);
        return ChmFileNames(damagedPath);
    };
    ASSERT_TRUE(read(good));

    const auto with = [&](size_t at, const std::string& bytes) {
        std::string damaged = good;
        damaged.replace(at, bytes.size(), bytes);
        return damaged;
    };
    const std::string huge(4, '\xFF');
    const struct {
        const char* what;
        std::string bytes;
    } refused[] = {
        {"empty", ""},
        {"cut in the header", good.substr(0, 0x50)},
        {"cut in the directory", good.substr(0, directoryAt + 0x60)},
        {"not a help file", with(0, "ITSX")},
        {"directory past the end", with(0x48, std::string(8, '\x7F'))},
        {"directory longer than the file", with(0x50, std::string(8, '\x7F'))},
        {"no directory header", with(directoryAt, "ITSX")},
        {"chunks past the directory", with(directoryAt + 8, huge)},
        {"chunk size 0", with(directoryAt + 16, std::string(4, '\0'))},
        {"more chunks than it holds", with(directoryAt + 44, huge)},
        {"free space past the chunk", with(chunksAt + 4, huge)},
        {"a name past the chunk", with(chunksAt + 20, "\xFF\x7F")},
        {"a number that never ends", with(chunksAt + 20, std::string(4096, '\xFF'))},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(read(c.bytes)) << c.what;
    }
    // Any byte of the headers or of the first chunk's start set to its extremes: refused or
    // read, never read past the file.
    int refusedCount = 0;
    for (const size_t start : {size_t{0}, directoryAt, chunksAt}) {
        for (size_t at = start; at < start + 0x60; ++at) {
            for (const char value : {'\0', '\x80', '\xFF'}) {
                refusedCount += read(with(at, std::string(1, value))) ? 0 : 1;
            }
        }
    }
    EXPECT_GT(refusedCount, 0);
}
