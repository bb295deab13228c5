#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace common {

enum class RegRoot : quint32 { ClassesRoot = 0x80000000u, CurrentUser = 0x80000001u, LocalMachine = 0x80000002u };

enum class RegType : int { None = 0, Sz = 1, ExpandSz = 2, Binary = 3, Dword = 4, MultiSz = 7, Qword = 11 };

struct RegValue {
    QString name; // as first written; compared without regard to case; empty is the key's default value
    RegType type = RegType::Sz;
    QByteArray data; // Sz/ExpandSz/MultiSz: UTF-8 text; Dword: 4 bytes little-endian; Qword: 8; Binary: raw

    static RegValue fromString(const QString &name, const QString &text);
    static RegValue fromDword(const QString &name, quint32 number);
    QString text() const; // the text of a string value, else empty
    quint32 dword() const; // the number of a Dword value, else 0
    bool operator==(const RegValue &) const = default;
};

// The deepest key and the longest key name (one level) a hive takes.
constexpr int kMaxKeyDepth = 512;
constexpr int kMaxKeyNameLength = 255;

// False with the reason when the key path (below its root) is deeper than kMaxKeyDepth levels
// or has a level longer than kMaxKeyNameLength characters. Linear in the length of the path.
bool checkKeyPath(const QString &keyPath, QString *error = nullptr);

// One registry hive: three roots, keys addressed by paths with "\" between their parts
// (leading, trailing and doubled separators are ignored), key paths and value names compared
// without regard to letter case. Backed by SQLite (WAL journal), so several processes may use
// one hive file at once: reads never wait for a writer, and a write waits at most
// kLockTimeoutMs for another process's write to end, then fails and says so in lastError().
class RegistryHive {
public:
    static constexpr int kLockTimeoutMs = 2000;

    virtual ~RegistryHive() = default;

    // Opens or creates the hive file (created with mode 0600); nullptr and an error text when the
    // file cannot be used (not a database, unreadable, not a regular file). A damaged file is
    // never overwritten, and opening a hive that has its tables writes nothing. A hive that
    // cannot be written (a read-only mount) opens for reading.
    static std::unique_ptr<RegistryHive> open(const QString &path, QString *error = nullptr);
    static std::unique_ptr<RegistryHive> openInMemory();

    virtual bool isInMemory() const = 0;
    virtual bool isReadOnly() const = 0;
    // Why the last write of this hive failed ("the registry hive is read-only", "... is locked
    // by another program", "the disk is full", a key too deep); empty after a write that worked
    // or failed only because what it names does not exist.
    virtual QString lastError() const = 0;
    // Runs body as one transaction: every change it makes through this hive is kept, or none
    // is (when body returns false, a write fails, or the process dies half way). Other threads
    // of this process wait while it runs.
    virtual bool runInTransaction(const std::function<bool()> &body) = 0;
    // Creates the key with every missing parent. False on an empty path or a failed write.
    virtual bool createKey(RegRoot root, const QString &keyPath) = 0;
    virtual bool keyExists(RegRoot root, const QString &keyPath) const = 0;
    // Deletes the key and its values; a key with subkeys is deleted only when recursive.
    virtual bool deleteKey(RegRoot root, const QString &keyPath, bool recursive) = 0;
    // Writes the value, creating the key with every missing parent.
    virtual bool setValue(RegRoot root, const QString &keyPath, const RegValue &value) = 0;
    virtual std::optional<RegValue> value(RegRoot root, const QString &keyPath, const QString &name) const = 0;
    virtual bool deleteValue(RegRoot root, const QString &keyPath, const QString &name) = 0;
    // Direct subkeys and values, in the order they were created.
    virtual QStringList subKeys(RegRoot root, const QString &keyPath) const = 0;
    virtual QList<RegValue> values(RegRoot root, const QString &keyPath) const = 0;
};

// "HKEY_CURRENT_USER\Software\X" or "HKCU\Software\X" into its root and path; nullopt for an
// unknown root.
std::optional<std::pair<RegRoot, QString>> parseKeyName(const QString &fullKey);
QString rootName(RegRoot root);

// The hive of this process: configFolder() + "registry.db". When that cannot be opened the
// program runs on an in-memory hive and says so once on standard error.
RegistryHive &processHive();
// Replaces the process hive (tests, and the tool's --hive option).
void setProcessHive(std::unique_ptr<RegistryHive> hive);

}
