// tarnwick-send: hands a page, or a binder to open, to the running Tarnwick of this user, as
// the browser's "insert" component does on the system the program comes from.
//
//   tarnwick-send --insert URL INFO HTMLFILE [--wparam N]
//       puts the page (its URL, an information text and the HTML read from HTMLFILE) into the
//       shared block and announces it with "InsertVelmor" (wParam N, 0 unless given); an
//       empty HTMLFILE ("") sends the page without HTML
//   tarnwick-send --open PATH
//       asks the running instance to open the binder file PATH
//
// Exit code 0 once the running instance has the request, 1 on any failure, 2 on a usage error.
//
// On Windows that component is an automation object: library "Velmor" ("Velmor Library"),
// dispatch interface IInsert ("Dispatch interface for Insert Object") with the one method
// InsertVelmor(InURL, Info, Html), coclass Insert ("Insert Object"). There is no automation
// here; this program is that object's counterpart, and --insert is its InsertVelmor.
#include "platform/base/Files.h"
#include "platform/shell/ChannelClient.h"
#include "platform/shell/ChannelFrame.h"
#include "platform/shell/DdeServer.h"
#include "platform/shell/RegisteredMessages.h"
#include "platform/shell/SharedBlock.h"
#include "platform/shell/SharedMemory.h"

#include <QCoreApplication>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::chrono::seconds Patience(5);

int Usage() {
    std::cerr << "usage: tarnwick-send --insert URL INFO HTMLFILE [--wparam N]\n"
                 "       tarnwick-send --open PATH\n";
    return 2;
}

int Fail(const std::string& message) {
    std::cerr << "tarnwick-send: " << message << '\n';
    return 1;
}

// The page as the browser side would hand it over, through the program's one whole-file reader.
std::optional<std::string> ReadFile(const std::string& path) {
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadFileWhole(path, size);
    if (!bytes) {
        return std::nullopt;
    }
    return std::string(bytes.get(), size);
}

int Insert(const std::vector<std::string>& args) {
    if (args.size() != 4 && !(args.size() == 6 && args[4] == "--wparam")) {
        return Usage();
    }
    RegisteredMessage message{InsertVelmorMessage, 0};
    if (args.size() == 6) {
        const std::string& text = args[5];
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), message.WParam);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
            return Usage();
        }
    }
    const auto html = args[3].empty() ? std::optional<std::string>("") : ReadFile(args[3]);
    if (!html) {
        return Fail("cannot read \"" + args[3] + "\"");
    }
    // Only the running instance creates the block; without it nobody would read the page.
    std::string error;
    const auto block =
        SharedBlock::Open(SharedMemoryBlockName(), SharedBlock::Mode::OpenExisting, error);
    if (!block) {
        return Fail(error + " (is Tarnwick running?)");
    }
    if (!EncodeInsertItem(block->Bytes(), InsertInfo{args[1], args[2], *html, 0})) {
        return Fail("the page does not fit into the shared block, or holds a NUL byte");
    }
    if (!SendToRunningInstance(EncodeMessageFrame(message), Patience, error)) {
        return Fail(error);
    }
    return 0;
}

int Open(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return Usage();
    }
    // The running instance has its own working folder, so a relative path would miss there.
    const auto command = args[1].empty()
                             ? std::nullopt
                             : MakeDdeOpenCommand(std::filesystem::absolute(args[1]).string());
    if (!command) {
        return Fail("a binder path must not be empty or too long");
    }
    std::string error;
    if (!SendToRunningInstance(EncodeExecuteFrame(DdeServiceName, command->Topic, command->Text),
                               Patience, error)) {
        return Fail(error);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    QCoreApplication app(argc, argv);
    try {
        if (!args.empty() && args[0] == "--insert") {
            return Insert(args);
        }
        if (!args.empty() && args[0] == "--open") {
            return Open(args);
        }
        return Usage();
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
