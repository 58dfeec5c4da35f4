#pragma once

// A temporary binder store for capture tests, the request log of a loopback server, and the
// helpers that compare what a capture wrote.

#include "app/binder/PageInfo.h"
#include "app/capture/CapturePage.h"
#include "platform/base/StringUtils.h"

#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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

    // Every file below the node folder, relative to it, in name order.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(NodeFolder(), error);
             !error && it != std::filesystem::recursive_directory_iterator(); ++it) {
            if (!it->is_directory()) {
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
