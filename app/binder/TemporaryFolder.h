#pragma once

// A fresh folder only its owner may enter (mode 0700), removed with everything in it when the
// object goes.

#include <string>

class TemporaryFolder {
public:
    // `pattern` is a path whose name ends with "XXXXXX", replaced to make the name unique.
    explicit TemporaryFolder(std::string pattern);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Empty when the folder could not be made; Error() then says why.
    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }

private:
    std::string path_;
    std::string error_;
};
