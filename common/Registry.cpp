#include "common/Registry.h"

#include "common/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace common {

RegValue RegValue::fromString(const QString &name, const QString &text)
{
    return RegValue { name, RegType::Sz, text.toUtf8() };
}

RegValue RegValue::fromDword(const QString &name, quint32 number)
{
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = char((number >> (8 * i)) & 0xFFu);
    return RegValue { name, RegType::Dword, data };
}

QString RegValue::text() const
{
    if (type == RegType::Sz || type == RegType::ExpandSz || type == RegType::MultiSz)
        return QString::fromUtf8(data);
    return {};
}

quint32 RegValue::dword() const
{
    if (type != RegType::Dword || data.size() != 4)
        return 0;
    quint32 number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | quint8(data[i]);
    return number;
}

namespace {

    struct RootInfo {
        RegRoot root;
        const char *longName;
        const char *shortName;
        int rowId; // the row that stands for the root in the key table
    };

    constexpr RootInfo kRoots[] = {
        { RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR", 1 },
        { RegRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU", 2 },
        { RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM", 3 },
    };

    const RootInfo &rootInfo(RegRoot root)
    {
        for (const auto &info : kRoots) {
            if (info.root == root)
                return info;
        }
        return kRoots[1];
    }

    QStringList pathParts(const QString &keyPath)
    {
        return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    }

    // Marks our hives, so that another program's database is never taken for one and altered.
    constexpr int kApplicationId = 1448232263; // "VREG"

    const char *const kSchema[] = {
        "CREATE TABLE IF NOT EXISTS reg_keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER,"
        " name TEXT NOT NULL, path TEXT NOT NULL UNIQUE)",
        "CREATE INDEX IF NOT EXISTS reg_keys_parent ON reg_keys(parent)",
        "CREATE TABLE IF NOT EXISTS reg_values(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
        " name TEXT NOT NULL, folded TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, folded))",
        "INSERT OR IGNORE INTO reg_keys(id, parent, name, path) VALUES (1, NULL, 'HKEY_CLASSES_ROOT', '1'),"
        " (2, NULL, 'HKEY_CURRENT_USER', '2'), (3, NULL, 'HKEY_LOCAL_MACHINE', '3')",
    };

    // The reason of a failed write, in the words a user understands.
    QString failureText(sqlite3 *db, int code)
    {
        switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral("the registry hive is locked by another program (gave up after %1 s)")
                .arg(RegistryHive::kLockTimeoutMs / 1000.0);
        case SQLITE_READONLY:
            return QStringLiteral("the registry hive is read-only");
        case SQLITE_FULL:
            return QStringLiteral("the disk is full");
        default:
            return QString::fromUtf8(sqlite3_errmsg(db));
        }
    }

    // The first error of the current write; cleared when a write starts.
    struct Failure {
        int code = SQLITE_OK;
        QString text;
        void note(sqlite3 *db, int result)
        {
            if (code == SQLITE_OK) {
                code = result;
                text = failureText(db, result);
            }
        }
    };

    // A prepared statement from the hive's cache; reset and unbound when it goes out of scope.
    class Query {
    public:
        Query(sqlite3_stmt *statement, Failure *failure)
            : m_statement(statement)
            , m_failure(failure)
        {
        }
        ~Query()
        {
            if (m_statement) {
                sqlite3_reset(m_statement);
                sqlite3_clear_bindings(m_statement);
            }
        }
        Query(const Query &) = delete;
        Query &operator=(const Query &) = delete;

        Query &bind(int index, qint64 number)
        {
            sqlite3_bind_int64(m_statement, index, number);
            return *this;
        }
        Query &bind(int index, const QString &text)
        {
            const QByteArray utf8 = text.toUtf8();
            sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            return *this;
        }
        Query &bindBlob(int index, const QByteArray &data)
        {
            sqlite3_bind_blob(m_statement, index, data.constData(), int(data.size()), SQLITE_TRANSIENT);
            return *this;
        }
        // SQLITE_ROW, SQLITE_DONE or an error code, which is noted as the failure.
        int step()
        {
            if (!m_statement)
                return SQLITE_ERROR;
            const int code = sqlite3_step(m_statement);
            if (code != SQLITE_ROW && code != SQLITE_DONE)
                m_failure->note(sqlite3_db_handle(m_statement), code);
            return code;
        }
        bool run()
        {
            const int code = step();
            return code == SQLITE_DONE || code == SQLITE_ROW;
        }
        qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
        QString text(int column) const
        {
            const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
            return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
        }
        QByteArray blob(int column) const
        {
            const auto *bytes = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
            return QByteArray(bytes, sqlite3_column_bytes(m_statement, column));
        }

    private:
        sqlite3_stmt *m_statement = nullptr;
        Failure *m_failure = nullptr;
    };

    class SqliteHive final : public RegistryHive {
    public:
        SqliteHive(sqlite3 *db, bool inMemory)
            : m_db(db)
            , m_inMemory(inMemory)
        {
        }
        ~SqliteHive() override
        {
            for (sqlite3_stmt *statement : std::as_const(m_statements))
                sqlite3_finalize(statement);
            sqlite3_close(m_db);
        }

        // Creates the tables when they are missing and reads them once, so a damaged file is
        // found here. A hive that has its tables is only read.
        bool initialise(QString *error)
        {
            std::lock_guard lock(m_mutex);
            m_readOnly = sqlite3_db_readonly(m_db, "main") == 1;
            int applicationId = 0;
            int tableCount = 0;
            int ourTables = 0;
            {
                Query idQuery(prepared("PRAGMA application_id"));
                if (idQuery.step() != SQLITE_ROW)
                    return fail(error);
                applicationId = int(idQuery.integer(0));
                Query countQuery(prepared("SELECT count(*), count(CASE WHEN name IN ('reg_keys', 'reg_values',"
                                          " 'reg_keys_parent') THEN 1 END) FROM sqlite_master"));
                if (countQuery.step() != SQLITE_ROW)
                    return fail(error);
                tableCount = int(countQuery.integer(0));
                ourTables = int(countQuery.integer(1));
            }
            if (tableCount > 0 && applicationId != kApplicationId) {
                if (error)
                    *error = QStringLiteral("the file is a database of another program, not a registry hive");
                return false;
            }
            exec("PRAGMA synchronous=NORMAL");
            const bool complete = ourTables == 3;
            if (!m_inMemory && !complete) {
                QString mode;
                {
                    Query journal(prepared("PRAGMA journal_mode"));
                    if (journal.step() == SQLITE_ROW)
                        mode = journal.text(0);
                }
                // Two processes opening a new hive at once both ask for the switch; SQLite answers
                // one of them "busy" at once rather than let them wait on each other. The mode is
                // kept in the file, so the other's switch serves both.
                if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0 && !exec("PRAGMA journal_mode=WAL")) {
                    const int code = m_failure.code & 0xff;
                    if (code != SQLITE_BUSY && code != SQLITE_LOCKED)
                        return fail(error);
                    m_failure = {};
                }
            }
            if (!complete) {
                const bool created = transaction([this] {
                    for (const char *sql : kSchema) {
                        if (!exec(sql))
                            return false;
                    }
                    return exec("PRAGMA application_id=1448232263");
                });
                if (!created) {
                    if (error)
                        *error = m_failure.text.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(m_db)) : m_failure.text;
                    return false;
                }
            }
            Query check(prepared("SELECT count(*) FROM reg_keys WHERE parent IS NULL"));
            if (check.step() != SQLITE_ROW || check.integer(0) != 3) {
                if (error)
                    *error = QStringLiteral("the file's registry tables are damaged");
                return false;
            }
            return true;
        }

        bool isInMemory() const override { return m_inMemory; }
        bool isReadOnly() const override { return m_readOnly; }

        QString lastError() const override
        {
            std::lock_guard lock(m_mutex);
            return m_failure.text;
        }

        bool runInTransaction(const std::function<bool()> &body) override
        {
            std::lock_guard lock(m_mutex);
            return transaction(body);
        }

        bool createKey(RegRoot root, const QString &keyPath) override
        {
            if (pathParts(keyPath).isEmpty())
                return false;
            std::lock_guard lock(m_mutex);
            return transaction([&] { return ensureKey(root, keyPath) > 0; });
        }

        bool keyExists(RegRoot root, const QString &keyPath) const override
        {
            std::lock_guard lock(m_mutex);
            return findKey(root, keyPath) > 0;
        }

        bool deleteKey(RegRoot root, const QString &keyPath, bool recursive) override
        {
            if (pathParts(keyPath).isEmpty())
                return false;
            std::lock_guard lock(m_mutex);
            return transaction([&] {
                const qint64 id = findKey(root, keyPath);
                if (id <= 0)
                    return false;
                if (!recursive) {
                    Query children(prepared("SELECT 1 FROM reg_keys WHERE parent = ?1 LIMIT 1"));
                    children.bind(1, id);
                    if (children.step() != SQLITE_DONE)
                        return false;
                }
                // A recursive query rather than cascading deletes: deep trees stay within SQLite's limits.
                Query values(prepared("WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM reg_keys k"
                                      " JOIN sub ON k.parent = sub.id) DELETE FROM reg_values WHERE key IN sub"));
                Query keys(prepared("WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM reg_keys k"
                                    " JOIN sub ON k.parent = sub.id) DELETE FROM reg_keys WHERE id IN sub"));
                return values.bind(1, id).run() && keys.bind(1, id).run();
            });
        }

        bool setValue(RegRoot root, const QString &keyPath, const RegValue &value) override
        {
            std::lock_guard lock(m_mutex);
            return transaction([&] {
                const qint64 key = ensureKey(root, keyPath);
                if (key <= 0)
                    return false;
                // The upsert keeps the row, so the value keeps its place and the name its first spelling.
                Query upsert(
                    prepared("INSERT INTO reg_values(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5)"
                             " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type,"
                             " data = excluded.data"));
                return upsert.bind(1, key)
                    .bind(2, value.name)
                    .bind(3, value.name.toCaseFolded())
                    .bind(4, qint64(value.type))
                    .bindBlob(5, value.data)
                    .run();
            });
        }

        std::optional<RegValue> value(RegRoot root, const QString &keyPath, const QString &name) const override
        {
            std::lock_guard lock(m_mutex);
            const qint64 key = findKey(root, keyPath);
            if (key <= 0)
                return std::nullopt;
            Query query(prepared("SELECT name, type, data FROM reg_values WHERE key = ?1 AND folded = ?2"));
            query.bind(1, key).bind(2, name.toCaseFolded());
            if (query.step() != SQLITE_ROW)
                return std::nullopt;
            return RegValue { query.text(0), RegType(query.integer(1)), query.blob(2) };
        }

        bool deleteValue(RegRoot root, const QString &keyPath, const QString &name) override
        {
            std::lock_guard lock(m_mutex);
            return transaction([&] {
                const qint64 key = findKey(root, keyPath);
                if (key <= 0)
                    return false;
                Query remove(prepared("DELETE FROM reg_values WHERE key = ?1 AND folded = ?2"));
                return remove.bind(1, key).bind(2, name.toCaseFolded()).run() && sqlite3_changes(m_db) > 0;
            });
        }

        QStringList subKeys(RegRoot root, const QString &keyPath) const override
        {
            std::lock_guard lock(m_mutex);
            QStringList names;
            const qint64 key = findKey(root, keyPath);
            if (key <= 0)
                return names;
            Query query(prepared("SELECT name FROM reg_keys WHERE parent = ?1 ORDER BY id"));
            query.bind(1, key);
            while (query.step() == SQLITE_ROW)
                names.append(query.text(0));
            return names;
        }

        QList<RegValue> values(RegRoot root, const QString &keyPath) const override
        {
            std::lock_guard lock(m_mutex);
            QList<RegValue> result;
            const qint64 key = findKey(root, keyPath);
            if (key <= 0)
                return result;
            Query query(prepared("SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY id"));
            query.bind(1, key);
            while (query.step() == SQLITE_ROW)
                result.append(RegValue { query.text(0), RegType(query.integer(1)), query.blob(2) });
            return result;
        }

    private:
        bool fail(QString *error) const
        {
            if (error)
                *error = QString::fromUtf8(sqlite3_errmsg(m_db));
            return false;
        }

        // sql must be a string literal: the cache is keyed by its address.
        Query prepared(const char *sql) const
        {
            sqlite3_stmt *&cached = m_statements[sql];
            if (!cached && sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &cached, nullptr) != SQLITE_OK)
                cached = nullptr;
            return Query(cached, &m_failure);
        }

        bool exec(const char *sql)
        {
            Query query(prepared(sql));
            return query.run();
        }

        bool execText(const char *sql)
        {
            const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
            if (code != SQLITE_OK)
                m_failure.note(m_db, code);
            return code == SQLITE_OK;
        }

        // Runs body in a write transaction. Taking the write lock waits at most kLockTimeoutMs
        // (SQLite's busy handler); after that the write fails and says why. Inside another
        // transaction of this hive the body runs in a savepoint, so the outer one decides.
        template <typename Body> bool transaction(Body body)
        {
            if (m_depth > 0) {
                // A failed write may have ended the outer transaction already: never go on
                // writing outside of it.
                if (sqlite3_get_autocommit(m_db) || m_failure.code != SQLITE_OK || !execText("SAVEPOINT inner"))
                    return false;
                ++m_depth;
                const bool ok = body();
                --m_depth;
                if (sqlite3_get_autocommit(m_db))
                    return false;
                if (!ok)
                    execText("ROLLBACK TO inner");
                return execText("RELEASE inner") && ok;
            }
            m_failure = Failure();
            if (m_readOnly) {
                m_failure.note(m_db, SQLITE_READONLY);
                return false;
            }
            // Once a write has waited out the lock, the writes that follow at once (a burst of
            // settings at start-up) try once instead of each waiting the whole time again.
            const auto now = std::chrono::steady_clock::now();
            const bool wait = now >= m_noWaitUntil;
            if (!wait)
                sqlite3_busy_timeout(m_db, 0);
            const bool begun = execText("BEGIN IMMEDIATE");
            if (!wait)
                sqlite3_busy_timeout(m_db, kLockTimeoutMs);
            if (!begun) {
                if (wait && (m_failure.code & 0xFF) == SQLITE_BUSY)
                    m_noWaitUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockTimeoutMs);
                return false;
            }
            ++m_depth;
            const bool ok = body();
            --m_depth;
            if (!ok || !execText("COMMIT")) {
                if (!sqlite3_get_autocommit(m_db))
                    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
                return false;
            }
            return true;
        }

        qint64 findKey(RegRoot root, const QString &keyPath) const
        {
            const QStringList parts = pathParts(keyPath);
            if (parts.isEmpty())
                return rootInfo(root).rowId;
            Query query(prepared("SELECT id FROM reg_keys WHERE path = ?1"));
            query.bind(1, storedPath(root, parts));
            return query.step() == SQLITE_ROW ? query.integer(0) : 0;
        }

        // The id of the key, created with every missing parent; 0 on failure. Inside a transaction.
        qint64 ensureKey(RegRoot root, const QString &keyPath)
        {
            QString problem;
            if (!checkKeyPath(keyPath, &problem)) {
                m_failure.code = SQLITE_CONSTRAINT;
                m_failure.text = problem;
                return 0;
            }
            const QStringList parts = pathParts(keyPath);
            // Most writes go to a key that is already there.
            if (const qint64 existing = findKey(root, keyPath); existing > 0)
                return existing;
            qint64 parent = rootInfo(root).rowId;
            QString path = QString::number(parent) + QLatin1Char('\\');
            for (qsizetype i = 0; i < parts.size(); ++i) {
                if (i > 0)
                    path += QLatin1Char('\\');
                path += parts[i].toCaseFolded();
                Query insert(prepared("INSERT OR IGNORE INTO reg_keys(parent, name, path) VALUES (?1, ?2, ?3)"));
                if (!insert.bind(1, parent).bind(2, parts[i]).bind(3, path).run())
                    return 0;
                Query find(prepared("SELECT id FROM reg_keys WHERE path = ?1"));
                find.bind(1, path);
                if (find.step() != SQLITE_ROW)
                    return 0;
                parent = find.integer(0);
            }
            return parent;
        }

        static QString storedPath(RegRoot root, const QStringList &parts)
        {
            return QString::number(rootInfo(root).rowId) + QLatin1Char('\\')
                + parts.join(QLatin1Char('\\')).toCaseFolded();
        }

        sqlite3 *m_db = nullptr;
        bool m_inMemory = false;
        bool m_readOnly = false;
        int m_depth = 0;
        std::chrono::steady_clock::time_point m_noWaitUntil;
        mutable std::recursive_mutex m_mutex;
        mutable QHash<const char *, sqlite3_stmt *> m_statements;
        mutable Failure m_failure;
    };

    // A file name as an SQLite URI, for the options only a URI can give.
    QByteArray uriFor(const QString &path, const char *options)
    {
        return "file:" + QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/") + '?' + options;
    }

    std::unique_ptr<RegistryHive> openConnection(const QByteArray &name, int flags, bool inMemory, QString *error)
    {
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(name.constData(), &db, flags | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
            if (error)
                *error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
            sqlite3_close(db);
            return nullptr;
        }
        sqlite3_busy_timeout(db, RegistryHive::kLockTimeoutMs);
        auto hive = std::make_unique<SqliteHive>(db, inMemory);
        if (!hive->initialise(error))
            return nullptr;
        return hive;
    }

    // Refuses what must never be handed to SQLite (a device, a folder, a link to nothing),
    // creates a missing hive file with mode 0600 and takes group and other access from an
    // existing one of ours.
    bool prepareHiveFile(const QString &path, bool &writable, QString *error)
    {
        const QByteArray native = QFile::encodeName(path);
        struct stat st { };
        if (::lstat(native.constData(), &st) != 0) {
            if (errno != ENOENT) {
                if (error)
                    *error = QString::fromStdString(std::generic_category().message(errno));
                return false;
            }
            const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd >= 0) {
                ::close(fd);
                writable = true;
                return true;
            }
            // Another program of the suite starting at the same moment may have made the hive
            // since the look above: it is then opened as the file it is.
            if (errno != EEXIST) {
                if (error)
                    *error = QString::fromStdString(std::generic_category().message(errno));
                return false;
            }
        }
        if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
            if (error)
                *error = QStringLiteral("%1 is not a regular file").arg(path);
            return false;
        }
        if (st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
            ::chmod(native.constData(), st.st_mode & 07700);
        writable = ::access(native.constData(), W_OK) == 0;
        return true;
    }

    std::mutex s_processHiveMutex;
    std::unique_ptr<RegistryHive> s_processHive;

}

std::unique_ptr<RegistryHive> RegistryHive::open(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no file name");
        return nullptr;
    }
    bool writable = false;
    if (!prepareHiveFile(path, writable, error))
        return nullptr;
    if (writable)
        return openConnection(QFile::encodeName(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, false, error);
    // A hive that cannot be written (a read-only mount, a write-protected file) is read as it
    // stands: without its shared-memory file SQLite could not read a WAL hive at all.
    auto hive = openConnection(QFile::encodeName(path), SQLITE_OPEN_READONLY, false, nullptr);
    if (hive)
        return hive;
    return openConnection(uriFor(path, "immutable=1"), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, false, error);
}

std::unique_ptr<RegistryHive> RegistryHive::openInMemory()
{
    return openConnection(QByteArray(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, true, nullptr);
}

bool checkKeyPath(const QString &keyPath, QString *error)
{
    int depth = 0;
    qsizetype length = 0;
    for (qsizetype i = 0; i <= keyPath.size(); ++i) {
        if (i < keyPath.size() && keyPath[i] != QLatin1Char('\\')) {
            ++length;
            continue;
        }
        if (length > kMaxKeyNameLength) {
            if (error)
                *error = QStringLiteral("a key name of %1 characters is too long; at most %2 are allowed")
                             .arg(length)
                             .arg(kMaxKeyNameLength);
            return false;
        }
        if (length > 0 && ++depth > kMaxKeyDepth) {
            if (error)
                *error = QStringLiteral("the key is more than %1 levels deep").arg(kMaxKeyDepth);
            return false;
        }
        length = 0;
    }
    return true;
}

std::optional<std::pair<RegRoot, QString>> parseKeyName(const QString &fullKey)
{
    const QStringList parts = pathParts(fullKey);
    if (parts.isEmpty())
        return std::nullopt;
    for (const auto &info : kRoots) {
        if (parts.first().compare(QLatin1String(info.longName), Qt::CaseInsensitive) == 0
            || parts.first().compare(QLatin1String(info.shortName), Qt::CaseInsensitive) == 0)
            return std::pair { info.root, parts.mid(1).join(QLatin1Char('\\')) };
    }
    return std::nullopt;
}

QString rootName(RegRoot root)
{
    return QLatin1String(rootInfo(root).longName);
}

RegistryHive &processHive()
{
    std::lock_guard lock(s_processHiveMutex);
    if (!s_processHive) {
        const QString folder = configFolder();
        const QString path = folder + QStringLiteral("registry.db");
        QString error;
        if (!QDir().mkpath(folder)) {
            error = QStringLiteral("its folder %1 cannot be created").arg(folder);
        } else {
            // The settings are the user's own business: the folder is closed to others.
            const QByteArray native = QFile::encodeName(folder);
            struct stat st { };
            if (::stat(native.constData(), &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
                ::chmod(native.constData(), 0700);
            s_processHive = RegistryHive::open(path, &error);
        }
        if (!s_processHive) {
            std::fprintf(stderr,
                "Velmora: the registry hive %s cannot be used (%s); settings are kept in memory for this "
                "run only and the file is left as it is.\n",
                qUtf8Printable(path),
                qUtf8Printable(error));
            s_processHive = RegistryHive::openInMemory();
        } else if (s_processHive->isReadOnly()) {
            std::fprintf(stderr,
                "Velmora: the registry hive %s is read-only; settings changed in this run are not kept.\n",
                qUtf8Printable(path));
        }
    }
    return *s_processHive;
}

void setProcessHive(std::unique_ptr<RegistryHive> hive)
{
    std::lock_guard lock(s_processHiveMutex);
    s_processHive = std::move(hive);
}

}
