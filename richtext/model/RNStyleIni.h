#pragma once

// Key-value sections for the style sheet's persistence: an INI file, or a key of the
// settings store with one subkey per section.

#include <map>
#include <string>

class ISettingsStore;

class TRNCustomIniFile {
public:
    virtual ~TRNCustomIniFile() = default;

    // `def` when the key is missing.
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& def) const = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    virtual void EraseSection(const std::string& section) = 0;

    // `def` when missing or not a number.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    void WriteInteger(const std::string& section, const std::string& key, int value);
    // "Yes" or "No"; read as true when the value, upper-cased, is "YES".
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);
};

// An INI file read whole when opened; UpdateFile writes it back (beside, then renamed).
class TRNIniFile : public TRNCustomIniFile {
public:
    explicit TRNIniFile(std::string fileName);

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void EraseSection(const std::string& section) override { sections_.erase(section); }
    // Raises EStreamError when the file cannot be written.
    void UpdateFile() const;

private:
    std::string fileName_;
    // Sections and keys match without regard to case, as INI files do.
    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, std::map<std::string, std::string, NoCase>, NoCase> sections_;
};

// Sections as subkeys of `path` in the settings store.
class TRNRegIniFile : public TRNCustomIniFile {
public:
    TRNRegIniFile(ISettingsStore& store, std::string path)
        : store_(store), path_(std::move(path)) {}

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void EraseSection(const std::string& section) override;

private:
    std::string Key(const std::string& section) const;

    ISettingsStore& store_;
    std::string path_;
};
