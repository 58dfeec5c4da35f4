#pragma once

// A temporary binder store for capture tests, the request log of a loopback server, and the
// helpers that compare what a capture wrote.

#include "app/binder/FolderMark.h"
#include "app/binder/PageInfo.h"
#include "app/binder/StoreAccess.h"
#include "app/capture/CapturePage.h"
#include "platform/base/StringUtils.h"

#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class TestStore {
public:
    static constexpr uint32_t NodeId = 0x1A2B;

    TestStore() {
        context_.Root = dir_.Str();
        context_.Store = "store";
        // Generous bounds: under the sanitizers and a loaded machine the loopback server can
        // take seconds to answer, and a transfer cut short would look like a different fault.
        // Tests of the bounds themselves set their own.
        context_.Http.ConnectTimeout = std::chrono::seconds(10);
        context_.Http.StallTimeout = std::chrono::seconds(10);
    }

    CaptureContext& Context() { return context_; }
    const TempDir& Dir() const { return dir_; }
    std::filesystem::path NodeFolder() const { return dir_ / "store" / "1A2B"; }

    // Makes the node folder, empty, as the program makes it (with its mark).
    void MakeNodeFolder() const {
        std::string name;
        std::string error;
        ASSERT_TRUE(StoreAccess(context_.Root, context_.Store)
                        .OpenNodeFileFolder(NodeId, "f", true, name, error)
                        .Valid())
            << error;
    }

    // Every file below the node folder, relative to it, in name order; the folder's mark, which
    // no listing of the program shows, left out.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(NodeFolder(), error);
             !error && it != std::filesystem::recursive_directory_iterator(); ++it) {
            if (!it->is_directory() && it->path() != NodeFolder() / FolderMarkName) {
                files.push_back(std::filesystem::relative(it->path(), NodeFolder()).string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    std::string FileBytes(const std::string& relative) const {
        return ReadFileBytes(NodeFolder() / relative);
    }

    // A web page record of the test node for the URL.
    static void Prepare(TPageInfo& node, const std::string& url) {
        node.Id = NodeId;
        node.RequestedUrl = url;
    }

private:
    TempDir dir_;
    CaptureContext context_;
};

// The paths a server was asked for, in order.
class RequestLog {
public:
    explicit RequestLog(LoopbackServer& server) {
        // Logged before the answer goes out, so a finished capture has logged all it asked.
        server.Http().set_pre_routing_handler(
            [this](const httplib::Request& request, httplib::Response&) {
                std::lock_guard lock(mutex_);
                paths_.push_back(request.path);
                return httplib::Server::HandlerResponse::Unhandled;
            });
    }

    std::vector<std::string> Paths() const {
        std::lock_guard lock(mutex_);
        return paths_;
    }
    size_t Count(const std::string& path) const {
        std::lock_guard lock(mutex_);
        return static_cast<size_t>(std::count(paths_.begin(), paths_.end(), path));
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> paths_;
};

// Bodies of any size, for the bounds of downloads: "/<n>/<name>" answers n bytes with their
// length announced, "/endless/<name>" answers without a length until the client stops. Every
// body stops at Cap, so a client that reads on cannot keep a test running. The bytes the
// server's sockets took are counted by path.
class SizedBodyServer {
public:
    static constexpr size_t Cap = size_t{64} << 20;

    std::string Url(const std::string& path) const { return server_.Url(path); }
    // The body bytes taken for the path, over all its requests.
    size_t Taken(const std::string& path) const {
        std::lock_guard lock(mutex_);
        auto found = taken_.find(path);
        return found == taken_.end() ? 0 : found->second;
    }

private:
    void Answer(int socket, const std::string& request) {
        const size_t begin = request.find(' ') + 1;
        const std::string path = request.substr(begin, request.find(' ', begin) - begin);
        const std::string first = path.substr(1, path.find('/', 1) - 1);
        const bool endless = first == "endless";
        const size_t size =
            endless ? Cap : std::min<size_t>(std::strtoull(first.c_str(), nullptr, 10), Cap);
        RawServer::Send(
            socket, "HTTP/1.1 200 OK\r\nConnection: close\r\n" +
                        (endless ? std::string() : "Content-Length: " + first + "\r\n") + "\r\n");
        const std::string piece(64 * 1024, 'b');
        for (size_t sent = 0; sent < size;) {
            const ssize_t n =
                ::send(socket, piece.data(), std::min(piece.size(), size - sent), MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            sent += static_cast<size_t>(n);
            std::lock_guard lock(mutex_);
            taken_[path] += static_cast<size_t>(n);
        }
    }

    mutable std::mutex mutex_;
    std::map<std::string, size_t> taken_;
    // Last, so it stops answering before the counts go.
    RawServer server_{[this](int socket, const std::string& request) { Answer(socket, request); }};
};

// The folder name a loopback page's files go under: the host and port without the colon.
inline std::string HostFolder(const LoopbackServer& server) {
    return "127.0.0.1" + std::to_string(server.Port());
}

struct StatsRow {
    int32_t Fetched, Cached, Failed;
    bool operator==(const StatsRow&) const = default;
};

inline std::vector<StatsRow> Rows(const CaptureStats& stats) {
    std::vector<StatsRow> rows;
    for (const CaptureGroupCounts& group : stats.Groups) {
        rows.push_back({group.Fetched, group.Cached, group.Failed});
    }
    return rows;
}

inline std::ostream& operator<<(std::ostream& out, const StatsRow& row) {
    return out << "{" << row.Fetched << "," << row.Cached << "," << row.Failed << "}";
}
