#pragma once

// The browser's store of pages it has already downloaded. No browser here keeps one that can
// be read, so every look-up misses and "use cache" falls back to the net.

#include <optional>
#include <string>

class IUrlCache {
public:
    virtual ~IUrlCache() = default;
    // The cached bytes of the URL, or nothing.
    virtual std::optional<std::string> Lookup(const std::string& url) = 0;
};

class NoUrlCache : public IUrlCache {
public:
    std::optional<std::string> Lookup(const std::string&) override { return std::nullopt; }
};
