#include "common/Registry.h"

#include "common/Paths.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <sqlite3.h>
#include <thread>

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
    constexpr int kBusyTimeoutMs = 10000;
    constexpr int kBusyRetries = 50;

    const char *const kSchema[] = {
        "CREATE TABLE IF NOT EXISTS reg_keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER,"
        " name TEXT NOT NULL, path TEXT NOT NULL UNIQUE)",
        "CREATE INDEX IF NOT EXISTS reg_keys_parent ON reg_keys(parent)",
        "CREATE TABLE IF NOT EXISTS reg_values(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
        " name TEXT NOT NULL, folded TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, folded))",
        "INSERT OR IGNORE INTO reg_keys(id, parent, name, path) VALUES (1, NULL, 'HKEY_CLASSES_ROOT', '1'),"
        " (2, NULL, 'HKEY_CURRENT_USER', '2'), (3, NULL, 'HKEY_LOCAL_MACHINE', '3')",
    };

    bool isBusy(int code)
    {
        return (code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED;
    }

    void pauseBeforeRetry()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    // A prepared statement from the hive's cache; reset and unbound when it goes out of scope.
    class Query {
    public:
        Query(sqlite3_stmt *statement, bool *busy)
            : m_statement(statement)
            , m_busy(busy)
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

        bool isValid() const { return m_statement != nullptr; }
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
        // SQLITE_ROW, SQLITE_DONE or an error code; waits out a busy database a while.
        int step()
        {
            if (!m_statement)
                return SQLITE_ERROR;
            int code = sqlite3_step(m_statement);
            for (int attempt = 0; isBusy(code) && attempt < kBusyRetries; ++attempt) {
                sqlite3_reset(m_statement);
                pauseBeforeRetry();
                code = sqlite3_step(m_statement);
            }
            if (isBusy(code))
                *m_busy = true;
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
        bool *m_busy = nullptr;
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

        // Creates the tables if needed and reads them once, so a damaged file is found here.
        bool initialise(QString *error)
        {
            std::lock_guard lock(m_mutex);
            int applicationId = 0;
            int tableCount = 0;
            {
                Query idQuery(prepared("PRAGMA application_id"));
                if (idQuery.step() != SQLITE_ROW)
                    return fail(error);
                applicationId = int(idQuery.integer(0));
                Query countQuery(prepared("SELECT count(*) FROM sqlite_master"));
                if (countQuery.step() != SQLITE_ROW)
                    return fail(error);
                tableCount = int(countQuery.integer(0));
            }
            if (tableCount > 0 && applicationId != kApplicationId) {
                if (error)
                    *error = QStringLiteral("the file is a database of another program, not a registry hive");
                return false;
            }
            if (!m_inMemory && !exec("PRAGMA journal_mode=WAL"))
                return fail(error);
            exec("PRAGMA synchronous=NORMAL");
            const bool created = transaction([this] {
                for (const char *sql : kSchema) {
                    if (!exec(sql))
                        return false;
                }
                return exec("PRAGMA application_id=1448232263");
            });
            if (!created)
                return fail(error);
            Query check(prepared("SELECT count(*) FROM reg_keys WHERE parent IS NULL"));
            if (check.step() != SQLITE_ROW || check.integer(0) != 3) {
                if (error)
                    *error = QStringLiteral("the file's registry tables are damaged");
                return false;
            }
            return true;
        }

        bool isInMemory() const override { return m_inMemory; }

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
            return Query(cached, &m_busy);
        }

        bool exec(const char *sql)
        {
            Query query(prepared(sql));
            return query.run();
        }

        // Runs body in its own short write transaction; a busy database is waited for and the
        // whole transaction retried, so concurrent writers in other processes lose nothing.
        template <typename Body> bool transaction(Body body)
        {
            for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
                const int begin = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
                if (isBusy(begin)) {
                    pauseBeforeRetry();
                    continue;
                }
                if (begin != SQLITE_OK)
                    return false;
                m_busy = false;
                const bool ok = body();
                if (!ok) {
                    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
                    if (m_busy) {
                        pauseBeforeRetry();
                        continue;
                    }
                    return false;
                }
                const int commit = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
                if (commit == SQLITE_OK)
                    return true;
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
                if (!isBusy(commit))
                    return false;
                pauseBeforeRetry();
            }
            return false;
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
            const QStringList parts = pathParts(keyPath);
            qint64 parent = rootInfo(root).rowId;
            for (qsizetype i = 0; i < parts.size(); ++i) {
                const QString path = storedPath(root, parts.mid(0, i + 1));
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
        mutable std::mutex m_mutex;
        mutable QHash<const char *, sqlite3_stmt *> m_statements;
        mutable bool m_busy = false;
    };

    std::unique_ptr<RegistryHive> openHive(const QString &path, bool inMemory, QString *error)
    {
        sqlite3 *db = nullptr;
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
        const QByteArray name = inMemory ? QByteArray(":memory:") : QFile::encodeName(path);
        if (sqlite3_open_v2(name.constData(), &db, flags, nullptr) != SQLITE_OK) {
            if (error)
                *error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
            sqlite3_close(db);
            return nullptr;
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        auto hive = std::make_unique<SqliteHive>(db, inMemory);
        if (!hive->initialise(error))
            return nullptr;
        return hive;
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
    return openHive(path, false, error);
}

std::unique_ptr<RegistryHive> RegistryHive::openInMemory()
{
    return openHive(QString(), true, nullptr);
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
        if (!QDir().mkpath(folder))
            error = QStringLiteral("its folder %1 cannot be created").arg(folder);
        else
            s_processHive = RegistryHive::open(path, &error);
        if (!s_processHive) {
            std::fprintf(stderr,
                "Velmora: the registry hive %s cannot be used (%s); settings are kept in memory for this "
                "run only and the file is left as it is.\n",
                qUtf8Printable(path),
                qUtf8Printable(error));
            s_processHive = RegistryHive::openInMemory();
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
