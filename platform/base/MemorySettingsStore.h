#pragma once

#include "platform/base/Registry.h"

#include <map>

// Settings kept in memory only: for tests, and for runs that must leave the user's settings
// alone.
class MemorySettingsStore : public ISettingsStore {
public:
    bool KeyExists(const std::string& key) const override { return keys_.count(key) != 0; }
    void CreateKey(const std::string& key) override { keys_[key]; }
    std::optional<std::string> ReadValue(const std::string& key,
                                         const std::string& name) const override;
    void WriteValue(const std::string& key, const std::string& name,
                    const std::string& value) override {
        keys_[key][name] = value;
    }
    bool DeleteValue(const std::string& key, const std::string& name) override;
    std::vector<std::string> ValueNames(const std::string& key) const override;

private:
    std::map<std::string, std::map<std::string, std::string>> keys_;
};
