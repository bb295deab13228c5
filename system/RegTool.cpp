#include "system/RegTool.h"

#include "common/Files.h"
#include "common/RegEditText.h"
#include "common/Registry.h"

#include <QFile>
#include <QHash>

#include <cctype>
#include <memory>
#include <optional>

namespace sys {

namespace {

    using common::RegRoot;
    using common::RegType;
    using common::RegValue;

    const QString kSuccess = QStringLiteral("The operation completed successfully.");
    const QString kNotFound = QStringLiteral("The system was unable to find the specified registry key or value.");

    const char *const kUsage = "Usage: velmora-reg [--hive FILE] OPERATION ...\n"
                               "  query KEY [/v NAME | /ve] [/s]\n"
                               "  add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_EXPAND_SZ] [/d DATA] [/f]\n"
                               "  delete KEY [/v NAME | /ve | /va] [/f]\n"
                               "  export KEY FILE [/y]\n"
                               "  import FILE\n"
                               "KEY is ROOT\\path, ROOT one of HKEY_CLASSES_ROOT (HKCR), HKEY_CURRENT_USER (HKCU),\n"
                               "HKEY_LOCAL_MACHINE (HKLM).\n";

    struct OptionSpec {
        const char *name;
        bool takesValue;
    };

    struct Arguments {
        QStringList positional;
        QHash<QString, QString> options; // lower-case name without its "/" or "-"
        bool has(const char *name) const { return options.contains(QLatin1String(name)); }
        QString option(const char *name) const { return options.value(QLatin1String(name)); }
    };

    // Only the option names an operation knows count as options, so a path such as
    // /home/u/x.reg stays a positional argument.
    std::optional<Arguments> parseArguments(
        const QStringList &words, std::initializer_list<OptionSpec> specs, QString &error)
    {
        Arguments result;
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString &word = words[i];
            const OptionSpec *spec = nullptr;
            if (word.size() > 1 && (word.startsWith(QLatin1Char('/')) || word.startsWith(QLatin1Char('-')))) {
                for (const OptionSpec &candidate : specs) {
                    if (word.mid(1).compare(QLatin1String(candidate.name), Qt::CaseInsensitive) == 0)
                        spec = &candidate;
                }
            }
            if (!spec) {
                result.positional.append(word);
                continue;
            }
            const QString name = QLatin1String(spec->name);
            if (result.options.contains(name)) {
                error = QStringLiteral("Invalid syntax: %1 is given twice.").arg(word);
                return std::nullopt;
            }
            QString value;
            if (spec->takesValue) {
                if (++i >= words.size()) {
                    error = QStringLiteral("Invalid syntax: %1 needs a value.").arg(word);
                    return std::nullopt;
                }
                value = words[i];
            }
            result.options.insert(name, value);
        }
        return result;
    }

    QString typeName(RegType type)
    {
        switch (type) {
        case RegType::None:
            return QStringLiteral("REG_NONE");
        case RegType::Sz:
            return QStringLiteral("REG_SZ");
        case RegType::ExpandSz:
            return QStringLiteral("REG_EXPAND_SZ");
        case RegType::Binary:
            return QStringLiteral("REG_BINARY");
        case RegType::Dword:
            return QStringLiteral("REG_DWORD");
        case RegType::MultiSz:
            return QStringLiteral("REG_MULTI_SZ");
        case RegType::Qword:
            return QStringLiteral("REG_QWORD");
        }
        return QStringLiteral("REG_0x%1").arg(int(type), 0, 16);
    }

    QString displayData(const RegValue &value)
    {
        switch (value.type) {
        case RegType::Sz:
        case RegType::ExpandSz:
            return value.text().section(QChar(u'\0'), 0, 0);
        case RegType::MultiSz: {
            QStringList parts = value.text().split(QChar(u'\0'));
            while (!parts.isEmpty() && parts.last().isEmpty())
                parts.removeLast();
            return parts.join(QStringLiteral("\\0"));
        }
        case RegType::Dword:
            if (value.data.size() == 4)
                return QStringLiteral("0x%1").arg(value.dword(), 0, 16);
            break;
        case RegType::Qword:
            if (value.data.size() == 8) {
                quint64 number = 0;
                for (int i = 7; i >= 0; --i)
                    number = (number << 8) | quint8(value.data[i]);
                return QStringLiteral("0x%1").arg(number, 0, 16);
            }
            break;
        default:
            break;
        }
        return QString::fromLatin1(value.data.toHex().toUpper());
    }

    // A number as reg takes it for REG_DWORD: decimal, or hexadecimal after "0x".
    std::optional<quint32> parseDword(const QString &text)
    {
        const bool hex = text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
        const QString digits = hex ? text.mid(2) : text;
        if (digits.isEmpty() || digits.size() > 10)
            return std::nullopt;
        for (const QChar c : digits) {
            if (c.unicode() >= 128 || !(hex ? std::isxdigit(c.unicode()) : std::isdigit(c.unicode())))
                return std::nullopt;
        }
        const quint64 number = digits.toULongLong(nullptr, hex ? 16 : 10);
        if (number > 0xFFFFFFFFu)
            return std::nullopt;
        return quint32(number);
    }

    class RegTool {
    public:
        RegTool(QTextStream &out, QTextStream &err)
            : m_out(out)
            , m_err(err)
        {
        }

        int run(QStringList words)
        {
            if (!words.isEmpty() && words.first() == QLatin1String("--hive")) {
                if (words.size() < 2)
                    return fail(QStringLiteral("Invalid syntax: --hive needs a file name."));
                QString error;
                m_ownHive = common::RegistryHive::open(words[1], &error);
                if (!m_ownHive)
                    return fail(QStringLiteral("The hive file %1 cannot be opened: %2.").arg(words[1], error));
                words.remove(0, 2);
            }
            if (words.isEmpty()) {
                m_err << "ERROR: Invalid syntax: no operation given.\n" << kUsage;
                m_err.flush();
                return 1;
            }
            const QString operation = words.takeFirst().toLower();
            if (operation == QLatin1String("/?") || operation == QLatin1String("-h")
                || operation == QLatin1String("--help")) {
                m_out << kUsage;
                m_out.flush();
                return 0;
            }
            if (operation == QLatin1String("query"))
                return query(words);
            if (operation == QLatin1String("add"))
                return add(words);
            if (operation == QLatin1String("delete"))
                return remove(words);
            if (operation == QLatin1String("export"))
                return exportKey(words);
            if (operation == QLatin1String("import"))
                return importFile(words);
            return fail(
                QStringLiteral("Unknown operation \"%1\"; use query, add, delete, export or import.").arg(operation));
        }

    private:
        int fail(const QString &message)
        {
            m_err << "ERROR: " << message << '\n';
            m_err.flush();
            return 1;
        }

        int succeed()
        {
            m_out << kSuccess << '\n';
            m_out.flush();
            return 0;
        }

        common::RegistryHive &hive() { return m_ownHive ? *m_ownHive : common::processHive(); }

        // Changes made to the in-memory stand-in for an unusable hive file would be lost on exit.
        bool hiveIsWritable()
        {
            if (hive().isReadOnly()) {
                fail(QStringLiteral("The registry hive is read-only, so nothing was changed."));
                return false;
            }
            if (!hive().isInMemory())
                return true;
            fail(QStringLiteral("The registry hive file cannot be opened, so nothing was changed."));
            return false;
        }

        std::optional<Arguments> arguments(const QStringList &words,
            std::initializer_list<OptionSpec> specs,
            int positionalCount,
            const char *operation)
        {
            QString error;
            auto parsed = parseArguments(words, specs, error);
            if (parsed && parsed->positional.size() != positionalCount) {
                error = QStringLiteral("Invalid syntax: %1 takes %2 argument(s) besides its options, %3 given.")
                            .arg(QLatin1String(operation))
                            .arg(positionalCount)
                            .arg(parsed->positional.size());
                parsed.reset();
            }
            if (!parsed)
                fail(error);
            return parsed;
        }

        std::optional<std::pair<RegRoot, QString>> key(const QString &text)
        {
            auto parsed = common::parseKeyName(text);
            if (!parsed) {
                fail(QStringLiteral(
                    "Invalid key name \"%1\": it must start with HKEY_CLASSES_ROOT, HKEY_CURRENT_USER or "
                    "HKEY_LOCAL_MACHINE (HKCR, HKCU, HKLM).")
                         .arg(text));
                return parsed;
            }
            QString problem;
            if (!common::checkKeyPath(parsed->second, &problem)) {
                fail(QStringLiteral("Invalid key name: %1.").arg(problem));
                parsed.reset();
            }
            return parsed;
        }

        // A write that failed: the hive's reason when it has one (read-only, locked, full disk),
        // else otherwise (what was named does not exist).
        int writeFailed(const QString &otherwise)
        {
            const QString reason = hive().lastError();
            if (reason.isEmpty())
                return fail(otherwise);
            return fail(QStringLiteral("The registry could not be written: %1.").arg(reason));
        }

        // The value name chosen by /v or /ve; nullopt when neither is given.
        std::optional<QString> valueName(const Arguments &args) const
        {
            if (args.has("ve"))
                return QString();
            if (args.has("v"))
                return args.option("v");
            return std::nullopt;
        }

        int query(const QStringList &words)
        {
            const auto args = arguments(words, { { "v", true }, { "ve", false }, { "s", false } }, 1, "query");
            if (!args)
                return 1;
            if (args->has("v") && args->has("ve"))
                return fail(QStringLiteral("Invalid syntax: use either /v or /ve."));
            const auto target = key(args->positional[0]);
            if (!target)
                return 1;
            if (!hive().keyExists(target->first, target->second))
                return fail(kNotFound);
            const QString shown = target->second.isEmpty()
                ? common::rootName(target->first)
                : common::rootName(target->first) + QLatin1Char('\\') + target->second;
            const auto name = valueName(*args);
            int matches = 0;
            printKey(target->first, target->second, shown, name, args->has("s"), matches);
            if (name && matches == 0)
                return fail(kNotFound);
            m_out.flush();
            return 0;
        }

        void printKey(RegRoot root,
            const QString &path,
            const QString &shown,
            const std::optional<QString> &name,
            bool recursive,
            int &matches)
        {
            QList<RegValue> values = hive().values(root, path);
            if (name) {
                const QString folded = name->toCaseFolded();
                values.removeIf([&folded](const RegValue &value) { return value.name.toCaseFolded() != folded; });
            }
            matches += int(values.size());
            if (!name || !values.isEmpty()) {
                m_out << '\n' << shown << '\n';
                for (const RegValue &value : values) {
                    const QString label = value.name.isEmpty() ? QStringLiteral("(Default)") : value.name;
                    m_out << "    " << label << "    " << typeName(value.type) << "    " << displayData(value) << '\n';
                }
            }
            const QStringList children = hive().subKeys(root, path);
            if (!recursive) {
                if (!name) {
                    m_out << '\n';
                    for (const QString &child : children)
                        m_out << shown << '\\' << child << '\n';
                }
                return;
            }
            for (const QString &child : children)
                printKey(root,
                    path.isEmpty() ? child : path + QLatin1Char('\\') + child,
                    shown + QLatin1Char('\\') + child,
                    name,
                    true,
                    matches);
        }

        int add(const QStringList &words)
        {
            const auto args = arguments(
                words, { { "v", true }, { "ve", false }, { "t", true }, { "d", true }, { "f", false } }, 1, "add");
            if (!args)
                return 1;
            if (args->has("v") && args->has("ve"))
                return fail(QStringLiteral("Invalid syntax: use either /v or /ve."));
            const auto target = key(args->positional[0]);
            if (!target)
                return 1;
            const QString typeText = args->has("t") ? args->option("t").toUpper() : QStringLiteral("REG_SZ");
            RegType type = RegType::Sz;
            if (typeText == QLatin1String("REG_DWORD"))
                type = RegType::Dword;
            else if (typeText == QLatin1String("REG_EXPAND_SZ"))
                type = RegType::ExpandSz;
            else if (typeText != QLatin1String("REG_SZ"))
                return fail(QStringLiteral("Invalid type \"%1\": use REG_SZ, REG_DWORD or REG_EXPAND_SZ.")
                                .arg(args->option("t")));

            RegValue value { valueName(*args).value_or(QString()), type, {} };
            const QString data = args->option("d");
            if (type == RegType::Dword) {
                const auto number = parseDword(args->has("d") ? data : QStringLiteral("0"));
                if (!number) {
                    return fail(
                        QStringLiteral("The data \"%1\" is not a REG_DWORD number: give 0 to 4294967295, or 0x0 to "
                                       "0xffffffff.")
                            .arg(data));
                }
                value = RegValue::fromDword(value.name, *number);
            } else {
                value.data = data.toUtf8();
            }
            if (!hiveIsWritable())
                return 1;
            const bool setsValue = args->has("v") || args->has("ve") || args->has("t") || args->has("d");
            bool ok = true;
            if (setsValue)
                ok = hive().setValue(target->first, target->second, value);
            else if (!target->second.isEmpty())
                ok = hive().createKey(target->first, target->second);
            if (!ok)
                return writeFailed(QStringLiteral("The registry could not be written."));
            return succeed();
        }

        int remove(const QStringList &words)
        {
            const auto args =
                arguments(words, { { "v", true }, { "ve", false }, { "va", false }, { "f", false } }, 1, "delete");
            if (!args)
                return 1;
            if (int(args->has("v")) + int(args->has("ve")) + int(args->has("va")) > 1)
                return fail(QStringLiteral("Invalid syntax: use only one of /v, /ve and /va."));
            const auto target = key(args->positional[0]);
            if (!target)
                return 1;
            if (!hiveIsWritable())
                return 1;
            if (!hive().keyExists(target->first, target->second))
                return fail(kNotFound);
            if (args->has("va")) {
                const QList<RegValue> values = hive().values(target->first, target->second);
                const bool ok = hive().runInTransaction([&] {
                    for (const RegValue &value : values) {
                        if (!hive().deleteValue(target->first, target->second, value.name)
                            && !hive().lastError().isEmpty())
                            return false;
                    }
                    return true;
                });
                if (!ok)
                    return writeFailed(QStringLiteral("The registry could not be written."));
                return succeed();
            }
            if (const auto name = valueName(*args)) {
                if (!hive().deleteValue(target->first, target->second, *name))
                    return writeFailed(kNotFound);
                return succeed();
            }
            if (target->second.isEmpty())
                return fail(QStringLiteral("A root key cannot be deleted."));
            if (!hive().deleteKey(target->first, target->second, true))
                return writeFailed(QStringLiteral("The key could not be deleted."));
            return succeed();
        }

        int exportKey(const QStringList &words)
        {
            const auto args = arguments(words, { { "y", false } }, 2, "export");
            if (!args)
                return 1;
            const auto target = key(args->positional[0]);
            if (!target)
                return 1;
            if (!hive().keyExists(target->first, target->second))
                return fail(kNotFound);
            QString error;
            const auto text = common::exportRegEditText(hive(), target->first, target->second, &error);
            if (!text)
                return fail(QStringLiteral("The key cannot be exported: %1.").arg(error));
            if (!common::writeFileAtomically(args->positional[1], *text, &error))
                return fail(QStringLiteral("Cannot write %1: %2.").arg(args->positional[1], error));
            return succeed();
        }

        int importFile(const QStringList &words)
        {
            const auto args = arguments(words, {}, 1, "import");
            if (!args)
                return 1;
            const QString path = args->positional[0];
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return fail(QStringLiteral("Cannot read %1: %2.").arg(path, file.errorString()));
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return fail(QStringLiteral("Cannot read %1: %2.").arg(path, file.errorString()));
            if (!hiveIsWritable())
                return 1;
            QString error;
            if (!common::importRegEditText(hive(), bytes, &error))
                return fail(QStringLiteral("%1 was not imported: %2.").arg(path, error));
            return succeed();
        }

        QTextStream &m_out;
        QTextStream &m_err;
        std::unique_ptr<common::RegistryHive> m_ownHive;
    };

}

int runRegTool(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    RegTool tool(out, err);
    return tool.run(arguments);
}

}
