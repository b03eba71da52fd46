// The registry calls on top of the hive file: handles, pending changes, locking and recovery.
#include "platform/Registry.h"

#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pennoria::platform {

struct RegKeyObject {
    std::string path; // full path below the current user's root
    bool writable = false;
};

namespace {

RegKeyObject g_currentUser{std::string(), true};

// One change made in this process and not yet written to the file.
struct Change {
    enum class Kind { CreateKey, SetValue } kind;
    std::string path;
    std::string name;
    std::uint32_t type = kRegNone;
    std::string data;
};

struct Hive {
    std::mutex mutex;
    std::string filePath; // the file that tree and pending belong to
    RegistryTree tree;
    std::vector<Change> pending;
    std::set<RegKeyObject*> handles;
};

Hive& TheHive() {
    static Hive hive;
    return hive;
}

// Holds the advisory lock on the lock file beside the hive for as long as it lives.
class HiveLock {
public:
    explicit HiveLock(const std::string& hivePath) {
        std::string lockPath = hivePath + ".lock";
        m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~HiveLock() {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/'));
}

// Creates every missing level of an absolute folder path, private to the user as the
// settings (which may hold a password) should be.
bool CreatePrivateFolderTree(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string level = path.substr(0, slash);
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return DirectoryExists(path);
    }
}

enum class ReadOutcome { Read, DamagedInPlace };

// Reads the hive file into tree. A missing file is an empty hive. A damaged or unreadable one
// is read again under the lock (another process may just have replaced it) and, if it is still
// damaged, moved aside so that nothing ever writes over it; the hive then starts empty.
ReadOutcome ReadHiveFile(const std::string& path, RegistryTree& tree, bool lockHeld) {
    tree = RegistryTree();
    if (!PathExists(path))
        return ReadOutcome::Read;
    std::string error;
    auto text = ReadWholeFile(path, &error, kMaxHiveFileSize);
    if (text && ParseRegistryText(*text, tree, &error))
        return ReadOutcome::Read;
    tree = RegistryTree();
    if (!lockHeld) {
        HiveLock lock(path);
        if (!lock.Held()) {
            DebugOutput("registry: cannot lock " + path + ": " + LastErrorText());
            return ReadOutcome::DamagedInPlace;
        }
        return ReadHiveFile(path, tree, true);
    }
    std::string aside = path + ".bad";
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
        DebugOutput("registry: " + path + " is damaged (" + error +
                    ") and cannot be moved aside: " + LastErrorText());
        return ReadOutcome::DamagedInPlace;
    }
    DebugOutput("registry: " + path + " is damaged (" + error + "); kept as " + aside +
                ", starting from defaults");
    return ReadOutcome::Read;
}

void Apply(RegistryTree& tree, const Change& change) {
    switch (change.kind) {
    case Change::Kind::CreateKey:
        tree.Create(change.path);
        break;
    case Change::Kind::SetValue:
        tree.Create(change.path).SetValue(change.name, change.type, change.data);
        break;
    }
}

// Writes the pending changes: lock, read what is on disk now, apply, replace, unlock.
RegStatus Flush(Hive& hive) {
    if (hive.pending.empty())
        return RegStatus::Success;
    const std::string& path = hive.filePath;
    if (path.empty() || !CreatePrivateFolderTree(FolderOf(path))) {
        DebugOutput("registry: cannot create the folder of " + path);
        return RegStatus::IoFailed;
    }
    HiveLock lock(path);
    if (!lock.Held()) {
        DebugOutput("registry: cannot lock " + path + ": " + LastErrorText());
        return RegStatus::IoFailed;
    }
    RegistryTree merged;
    if (ReadHiveFile(path, merged, true) == ReadOutcome::DamagedInPlace)
        return RegStatus::IoFailed;
    for (const Change& change : hive.pending)
        Apply(merged, change);
    std::string text = FormatRegistryText(merged);
    // Never write a file that the next start would refuse to read.
    if (text.size() > kMaxHiveFileSize) {
        DebugOutput("registry: the hive would exceed the size limit; not written");
        return RegStatus::IoFailed;
    }
    bool isNew = !PathExists(path);
    if (FileResult written = WriteFileAtomically(path, text); !written) {
        DebugOutput("registry: " + written.error);
        return RegStatus::IoFailed;
    }
    if (isNew)
        ::chmod(path.c_str(), 0600); // the settings may hold a password; later saves keep this

    hive.tree = std::move(merged);
    hive.pending.clear();
    return RegStatus::Success;
}

// Loading happens on every open: the file as it is now, with this process's pending changes
// on top. A change of the hive's location (tests move XDG_CONFIG_HOME) first writes what is
// pending to the old one.
void Reload(Hive& hive) {
    std::string path = GetRegistryHivePath();
    if (path != hive.filePath) {
        Flush(hive);
        hive.pending.clear();
        hive.filePath = path;
    }
    RegistryTree fresh;
    ReadHiveFile(path, fresh, false);
    for (const Change& change : hive.pending)
        Apply(fresh, change);
    hive.tree = std::move(fresh);
}

bool IsValidHandle(Hive& hive, RegKey key) {
    return key == &g_currentUser || (key && hive.handles.count(key) > 0);
}

// The key behind a handle opened for writing.
RegStatus FindWritableKey(Hive& hive, RegKey key, RegistryKey*& node) {
    if (!IsValidHandle(hive, key))
        return RegStatus::InvalidHandle;
    if (!key->writable)
        return RegStatus::AccessDenied;
    node = hive.tree.Find(key->path);
    return node ? RegStatus::Success : RegStatus::KeyDeleted;
}

RegKey NewHandle(Hive& hive, std::string path, bool writable) {
    auto* handle = new RegKeyObject{std::move(path), writable};
    hive.handles.insert(handle);
    return handle;
}

} // namespace

const RegKey kHKeyCurrentUser = &g_currentUser;

std::string GetRegistryHivePath() {
    std::string config = GetUserConfigFolder();
    if (config.empty())
        return {};
    return config + "/Oskarel/registry.reg";
}

RegStatus RegOpenKey(RegKey parent, std::string_view subKey, RegAccess access, RegKey* result) {
    Hive& hive = TheHive();
    std::lock_guard<std::mutex> guard(hive.mutex);
    if (!IsValidHandle(hive, parent))
        return RegStatus::InvalidHandle;
    if (!result || !IsValidKeyPath(subKey))
        return RegStatus::InvalidParameter;
    Reload(hive);
    const RegistryKey* node = hive.tree.Find(JoinKeyPath(parent->path, subKey));
    if (!node)
        return RegStatus::NotFound;
    *result = NewHandle(hive, node->path, access == RegAccess::ReadWrite);
    return RegStatus::Success;
}

RegStatus RegCreateKey(RegKey parent, std::string_view subKey, RegKey* result, bool* created) {
    Hive& hive = TheHive();
    std::lock_guard<std::mutex> guard(hive.mutex);
    if (!IsValidHandle(hive, parent))
        return RegStatus::InvalidHandle;
    if (!result || !IsValidKeyPath(subKey))
        return RegStatus::InvalidParameter;
    if (!parent->writable)
        return RegStatus::AccessDenied;
    Reload(hive);
    std::string path = JoinKeyPath(parent->path, subKey);
    const RegistryKey* node = hive.tree.Find(path);
    if (created)
        *created = node == nullptr;
    if (!node) {
        if (hive.filePath.empty())
            return RegStatus::IoFailed; // no home folder: nowhere to keep the key
        node = &hive.tree.Create(path);
        hive.pending.push_back({Change::Kind::CreateKey, path, {}, kRegNone, {}});
    }
    *result = NewHandle(hive, node->path, true);
    return RegStatus::Success;
}

RegStatus RegQueryValue(RegKey key, std::string_view name, std::uint32_t* type, void* data,
                        std::uint32_t* size) {
    Hive& hive = TheHive();
    std::lock_guard<std::mutex> guard(hive.mutex);
    if (!IsValidHandle(hive, key))
        return RegStatus::InvalidHandle;
    if (data && !size)
        return RegStatus::InvalidParameter;
    const RegistryKey* node = hive.tree.Find(key->path);
    if (!node)
        return RegStatus::KeyDeleted;
    const RegistryValue* value = node->FindValue(name);
    if (!value)
        return RegStatus::NotFound;
    if (type)
        *type = value->type;
    auto stored = static_cast<std::uint32_t>(value->data.size());
    if (data && *size < stored) {
        *size = stored;
        return RegStatus::MoreData;
    }
    if (data && stored > 0)
        std::memcpy(data, value->data.data(), stored);
    if (size)
        *size = stored;
    return RegStatus::Success;
}

RegStatus RegSetValue(RegKey key, std::string_view name, std::uint32_t type, const void* data,
                      std::uint32_t size) {
    Hive& hive = TheHive();
    std::lock_guard<std::mutex> guard(hive.mutex);
    RegistryKey* node = nullptr;
    if (RegStatus status = FindWritableKey(hive, key, node); status != RegStatus::Success)
        return status;
    if (!IsValidValueName(name) || size > kMaxValueDataSize || (size > 0 && !data))
        return RegStatus::InvalidParameter;
    std::string bytes =
        size > 0 ? std::string(static_cast<const char*>(data), size) : std::string();
    node->SetValue(name, type, bytes);
    hive.pending.push_back(
        {Change::Kind::SetValue, node->path, std::string(name), type, std::move(bytes)});
    return RegStatus::Success;
}

RegStatus RegCloseKey(RegKey key) {
    Hive& hive = TheHive();
    std::lock_guard<std::mutex> guard(hive.mutex);
    if (!IsValidHandle(hive, key))
        return RegStatus::InvalidHandle;
    RegStatus status = Flush(hive);
    if (key != &g_currentUser) {
        hive.handles.erase(key);
        delete key;
    }
    return status;
}

} // namespace pennoria::platform
