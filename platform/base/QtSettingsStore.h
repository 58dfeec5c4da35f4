#pragma once

#include "platform/base/Registry.h"

#include <memory>
#include <set>

class QSettings;

// The user's settings file, an INI file: $XDG_CONFIG_HOME/VelmorSoft/Tarnwick.conf, or
// ~/.config/VelmorSoft/Tarnwick.conf without that variable. Keys are its groups; the values of
// the program's own key go to its [General] group. Text that is not UTF-8 is kept as a byte
// array value, so every byte of a stored path comes back.
class QtSettingsStore : public ISettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const std::string& fileName);
    ~QtSettingsStore() override; // writes what is pending

    // The file the store lives in by default, as the environment says now.
    static std::string DefaultFileName();

    bool KeyExists(const std::string& key) const override;
    void CreateKey(const std::string& key) override;
    std::optional<std::string> ReadValue(const std::string& key,
                                         const std::string& name) const override;
    void WriteValue(const std::string& key, const std::string& name,
                    const std::string& value) override;
    bool DeleteValue(const std::string& key, const std::string& name) override;
    std::vector<std::string> ValueNames(const std::string& key) const override;

    // Writes pending changes to the file now; false when the file cannot be written.
    bool Sync();

private:
    std::unique_ptr<QSettings> settings_;
    // An INI file cannot hold an empty group, so keys created but still empty live here.
    std::set<std::string> created_;
};
