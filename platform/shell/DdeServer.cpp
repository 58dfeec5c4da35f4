#include "platform/shell/DdeServer.h"

#include "platform/shell/InstanceChannel.h"

#include <array>

namespace {

struct DdeServerState {
    InstanceChannel* channel = nullptr;
    std::function<void(const std::string&)> openBinder;
};

DdeServerState& Server() {
    static DdeServerState state;
    return state;
}

constexpr std::array<std::string_view, 1> CommandTable = {DdeOpenCommand};

// A path the "OpenPath" topic carries: as long as the command's buffer allows, and no NUL,
// which would end the command's text.
bool UsablePath(std::string_view path) {
    return !path.empty() && path.size() < DdePathBufferSize &&
           path.find('\0') == std::string_view::npos;
}

} // namespace

int DdeServerInit(InstanceChannel& channel, std::function<void(const std::string&)> openBinder) {
    DdeServerDone();
    auto& server = Server();
    server.channel = &channel;
    server.openBinder = std::move(openBinder);
    channel.SetExecuteHandler(&DdeServerCallback);
    return 1;
}

int DdeServerDone() {
    auto& server = Server();
    if (server.channel != nullptr) {
        server.channel->SetExecuteHandler(nullptr);
    }
    server = DdeServerState{};
    return 1;
}

void DdeServerCallback(const std::string& service, const std::string& topic,
                       const std::string& text) {
    // The conversation is accepted only on our service and topics, as a DDE connect would be.
    if (service != DdeServiceName) {
        return;
    }
    if (topic == DdeOpenPathTopic) {
        if (UsablePath(text) && Server().openBinder) {
            Server().openBinder(text);
        }
        return;
    }
    if (topic != DdeTopicName) {
        return;
    }
    int index = -1;
    std::string path;
    if (ParseDdeCommand(text, index, path, DdePathBufferSize) == 1 && index == 0 &&
        Server().openBinder) {
        Server().openBinder(path);
    }
}

int ParseDdeCommand(std::string_view text, int& index, std::string& path, std::size_t size) {
    index = -1;
    text = text.substr(0, text.find('\0'));
    if (text.empty() || text.front() != '[') {
        return 0;
    }
    text.remove_prefix(1);
    for (std::size_t i = 0; i < CommandTable.size(); ++i) {
        if (text.starts_with(CommandTable[i])) {
            index = static_cast<int>(i);
            text.remove_prefix(CommandTable[i].size());
            break;
        }
    }
    if (index == -1) {
        return 0;
    }
    std::size_t n = text.find(')');
    if (n == std::string_view::npos || n == 0 || size == 0) {
        return 0;
    }
    n = std::min(n, size - 1);
    const std::string_view argument = text.substr(0, n);
    // Past the argument and its ")"; a cut argument leaves a path character there instead.
    if (n + 1 >= text.size() || text[n] != ')' || text[n + 1] != ']') {
        return 0;
    }
    path = argument;
    return 1;
}

std::optional<DdeExecute> MakeDdeOpenCommand(const std::string& path) {
    if (!UsablePath(path)) {
        return std::nullopt;
    }
    // The command keeps serving an instance that knows no other way in.
    if (path.find(')') == std::string::npos) {
        return DdeExecute{DdeTopicName, "[" + std::string(DdeOpenCommand) + path + ")]"};
    }
    return DdeExecute{DdeOpenPathTopic, path};
}
