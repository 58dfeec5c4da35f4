#include "platform/base/UserSecret.h"

#include "platform/base/FileDescriptor.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/random.h>
#include <sys/stat.h>

namespace {

constexpr size_t SecretBytes = 32;
constexpr const char* SecretFolder = "VelmorSoft";
constexpr const char* SecretName = "Tarnwick.key";

bool RandomBytes(std::string& bytes) {
    bytes.assign(SecretBytes, '\0');
    size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        filled += static_cast<size_t>(got);
    }
    return true;
}

// The secret kept in `folder`, when it holds one. The key file may be a link into the user's
// dotfiles, as the settings folder may: it is followed.
bool ReadSecret(int folder, std::string& secret) {
    const FileDescriptor file(::openat(folder, SecretName, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!file.Valid() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size != static_cast<off_t>(SecretBytes)) {
        return false;
    }
    secret.assign(SecretBytes, '\0');
    return ::pread(file.Get(), secret.data(), secret.size(), 0) ==
           static_cast<ssize_t>(secret.size());
}

// Writes `secret` into a new file of the folder, readable by the user alone whatever the umask
// (the folder marks are only as good as it), and puts it on the disk; its name, or "".
std::string WriteNewSecretFile(int folder, const std::string& secret) {
    std::string tail;
    if (!RandomBytes(tail)) {
        return {};
    }
    const std::string name =
        std::string(".") + SecretName + "-" + QByteArray(tail.data(), 8).toHex().toStdString();
    FileDescriptor file(::openat(folder, name.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                 S_IRUSR | S_IWUSR));
    if (file.Valid() && WriteAllBytes(file.Get(), secret.data(), secret.size()) &&
        ::fsync(file.Get()) == 0 && file.Close()) {
        return name;
    }
    ::unlinkat(folder, name.c_str(), 0);
    return {};
}

// Keeps a new secret in `folder` when nothing has its name, never over anything there: a secret
// another process kept first is taken, and a file that is no secret (a link to a key on a disk
// not mounted, a file the user keeps there) leaves the user without one. Replacing it would
// disown every folder signed before.
bool MakeSecret(int folder, std::string& secret) {
    struct stat info;
    if (::fstatat(folder, SecretName, &info, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) {
        return false;
    }
    std::string fresh;
    if (!RandomBytes(fresh)) {
        return false;
    }
    const std::string written = WriteNewSecretFile(folder, fresh);
    if (written.empty()) {
        return false;
    }
    if (RenameWithoutReplacing(folder, written, folder, SecretName)) {
        secret = fresh;
        return true;
    }
    ::unlinkat(folder, written.c_str(), 0);
    return ReadSecret(folder, secret);
}

std::string KeptSecret(const std::string& configFolder) {
    std::string secret;
    if (configFolder.empty()) {
        return secret;
    }
    // The settings folder is the user's own to arrange: a link there (a dotfiles manager's) is
    // followed, as the settings file beside the secret is reached through it.
    FileDescriptor folder = OpenFolderPath(JoinPath(configFolder, SecretFolder));
    if (!folder.Valid() && errno == ENOENT) {
        const FileDescriptor config = OpenFolderPath(configFolder);
        folder = config.Valid() ? MakeFolderAt(config.Get(), SecretFolder) : FileDescriptor();
    }
    if (folder.Valid() && (ReadSecret(folder.Get(), secret) || MakeSecret(folder.Get(), secret))) {
        return secret;
    }
    return {};
}

} // namespace

std::string UserSecretDigest(std::string_view text) {
    // By the settings folder in use: tests and a program started with another one each get the
    // secret kept there.
    // A settings folder without a secret is asked again at the next call: the user may mend it
    // while the program runs.
    static std::mutex lock;
    static std::map<std::string, std::string> secrets;
    const std::string configFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
    std::string secret;
    {
        std::lock_guard<std::mutex> guard(lock);
        std::string& known = secrets[configFolder];
        if (known.empty()) {
            ForceDirectories(configFolder);
            known = KeptSecret(configFolder);
        }
        secret = known;
    }
    if (secret.empty()) {
        return {};
    }
    return QMessageAuthenticationCode::hash(
               QByteArray(text.data(), static_cast<qsizetype>(text.size())),
               QByteArray(secret.data(), static_cast<qsizetype>(secret.size())),
               QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}
