#include "common/RegEditText.h"

#include "common/TextCodec.h"

#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <variant>

namespace common {

namespace {
    const QString kHeader4 = QStringLiteral("REGEDIT4");
    const QString kHeader5 = QStringLiteral("Windows Registry Editor Version 5.00");
    constexpr int kWrapColumn = 76;

    bool isHexDigits(const QString &text, qsizetype maxLength)
    {
        if (text.isEmpty() || text.size() > maxLength)
            return false;
        return std::all_of(
            text.begin(), text.end(), [](QChar c) { return std::isxdigit(c.unicode()) && c.unicode() < 128; });
    }

    bool hasLineBreak(const QString &text)
    {
        return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    }

    QString quoted(const QString &text)
    {
        QString escaped = text;
        escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
        return QLatin1Char('"') + escaped + QLatin1Char('"');
    }

    // "hex:" or "hex(n):" and the bytes, wrapped the way regedit wraps long lines.
    QString hexData(const QString &prefix, int lineStart, const QByteArray &data)
    {
        QString out = prefix;
        int column = lineStart + int(prefix.size());
        for (qsizetype i = 0; i < data.size(); ++i) {
            const bool last = i + 1 == data.size();
            out += QStringLiteral("%1").arg(quint8(data[i]), 2, 16, QLatin1Char('0'));
            column += 2;
            if (last)
                break;
            out += QLatin1Char(',');
            ++column;
            if (column >= kWrapColumn) {
                out += QLatin1Char('\\') + kCrLf + QStringLiteral("  ");
                column = 2;
            }
        }
        return out;
    }

    QString valueLine(const RegValue &value)
    {
        const QString name = value.name.isEmpty() ? QStringLiteral("@") : quoted(value.name);
        const int start = int(name.size()) + 1;
        switch (value.type) {
        case RegType::Sz: {
            const QString text = QString::fromUtf8(value.data);
            // Text the quoted form cannot carry (line breaks, NUL, bytes that are not UTF-8) goes as hex(1).
            if (!hasLineBreak(text) && !text.contains(QChar(u'\0')) && text.toUtf8() == value.data)
                return name + QLatin1Char('=') + quoted(text);
            return name + QLatin1Char('=') + hexData(QStringLiteral("hex(1):"), start, value.data);
        }
        case RegType::Dword:
            if (value.data.size() == 4)
                return name + QStringLiteral("=dword:%1").arg(value.dword(), 8, 16, QLatin1Char('0'));
            break;
        case RegType::Binary:
            return name + QLatin1Char('=') + hexData(QStringLiteral("hex:"), start, value.data);
        default:
            break;
        }
        return name + QLatin1Char('=')
            + hexData(QStringLiteral("hex(%1):").arg(int(value.type), 0, 16), start, value.data);
    }

    bool exportKey(const RegistryHive &hive, RegRoot root, const QString &path, QString &out, QString *error)
    {
        const QString fullName = path.isEmpty() ? rootName(root) : rootName(root) + QLatin1Char('\\') + path;
        if (hasLineBreak(fullName)) {
            if (error)
                *error = QStringLiteral("the key name \"%1\" holds a line break and cannot be written").arg(fullName);
            return false;
        }
        out += QLatin1Char('[') + fullName + QLatin1Char(']') + kCrLf;
        for (const RegValue &value : hive.values(root, path)) {
            if (hasLineBreak(value.name)) {
                if (error)
                    *error =
                        QStringLiteral("a value name in %1 holds a line break and cannot be written").arg(fullName);
                return false;
            }
            out += valueLine(value) + kCrLf;
        }
        out += kCrLf;
        for (const QString &child : hive.subKeys(root, path)) {
            if (!exportKey(hive, root, path.isEmpty() ? child : path + QLatin1Char('\\') + child, out, error))
                return false;
        }
        return true;
    }

    // The key path as it was first written, found by walking down from the root.
    std::optional<QString> storedSpelling(const RegistryHive &hive, RegRoot root, const QString &keyPath)
    {
        QString path;
        for (const QString &part : keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
            const QString folded = part.toCaseFolded();
            const QStringList children = hive.subKeys(root, path);
            const auto match = std::find_if(children.begin(), children.end(), [&folded](const QString &child) {
                return child.toCaseFolded() == folded;
            });
            if (match == children.end())
                return std::nullopt;
            path = path.isEmpty() ? *match : path + QLatin1Char('\\') + *match;
        }
        return path;
    }

    // One parsed line of an import, applied only when the whole text is good.
    struct KeyLine {
        RegRoot root;
        QString path;
        bool remove;
    };
    struct ValueLine {
        RegRoot root;
        QString path;
        RegValue value;
        bool remove;
    };
    using Operation = std::variant<KeyLine, ValueLine>;

    class Parser {
    public:
        explicit Parser(const QStringList &lines)
            : m_lines(lines)
        {
        }

        std::optional<QList<Operation>> parse(QString *error)
        {
            qsizetype i = 0;
            while (i < m_lines.size() && m_lines[i].trimmed().isEmpty())
                ++i;
            if (i == m_lines.size() || (m_lines[i].trimmed() != kHeader4 && m_lines[i].trimmed() != kHeader5)) {
                fail(error, i, QStringLiteral("this is not registry text: the first line must be REGEDIT4"));
                return std::nullopt;
            }
            // Version 5 text keeps string types in hex data as UTF-16.
            m_unicode = m_lines[i].trimmed() == kHeader5;
            for (++i; i < m_lines.size(); ++i) {
                const QString line = m_lines[i].trimmed();
                if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                    continue;
                if (line.startsWith(QLatin1Char('['))) {
                    if (!parseKey(line, i, error))
                        return std::nullopt;
                } else if (!parseValue(i, error)) {
                    return std::nullopt;
                }
            }
            return m_operations;
        }

    private:
        static bool fail(QString *error, qsizetype index, const QString &what)
        {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(index + 1).arg(what);
            return false;
        }

        bool parseKey(const QString &line, qsizetype index, QString *error)
        {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(error, index, QStringLiteral("the key name has no closing \"]\""));
            QString name = line.mid(1, line.size() - 2);
            const bool remove = name.startsWith(QLatin1Char('-'));
            if (remove)
                name.remove(0, 1);
            const auto parsed = parseKeyName(name);
            if (!parsed)
                return fail(error, index, QStringLiteral("\"%1\" does not start with a known root key").arg(name));
            if (remove && parsed->second.isEmpty())
                return fail(error, index, QStringLiteral("a root key cannot be deleted"));
            QString problem;
            if (!checkKeyPath(parsed->second, &problem))
                return fail(error, index, problem);
            m_key = remove ? std::nullopt : std::optional(*parsed);
            m_operations.append(KeyLine { parsed->first, parsed->second, remove });
            return true;
        }

        bool parseValue(qsizetype &index, QString *error)
        {
            const qsizetype first = index;
            QString line = m_lines[index].trimmed();
            QString name;
            qsizetype pos = 0;
            if (line.startsWith(QLatin1Char('@'))) {
                pos = 1;
            } else if (line.startsWith(QLatin1Char('"'))) {
                const auto end = readQuoted(line, 0, name);
                if (!end)
                    return fail(error, index, QStringLiteral("the value name has no closing quote"));
                pos = *end;
            } else {
                return fail(error, index, QStringLiteral("expected a [key], a \"name\"= or @= line"));
            }
            while (pos < line.size() && line[pos].isSpace())
                ++pos;
            if (pos >= line.size() || line[pos] != QLatin1Char('='))
                return fail(error, index, QStringLiteral("expected \"=\" after the value name"));
            QString data = line.mid(pos + 1).trimmed();
            if (data.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive)) {
                while (data.endsWith(QLatin1Char('\\'))) {
                    if (++index >= m_lines.size())
                        return fail(error, first, QStringLiteral("the hex data goes on past the end of the text"));
                    data.chop(1);
                    data += m_lines[index].trimmed();
                }
            }
            if (!m_key)
                return fail(error, first, QStringLiteral("a value line has no [key] line to go into"));
            ValueLine op { m_key->first, m_key->second, RegValue { name, RegType::Sz, {} }, false };
            QString what;
            if (data == QLatin1String("-"))
                op.remove = true;
            else if (!parseData(data, op.value, what))
                return fail(error, first, what);
            m_operations.append(op);
            return true;
        }

        // The index after the closing quote of the quoted text starting at start, or nullopt.
        static std::optional<qsizetype> readQuoted(const QString &line, qsizetype start, QString &text)
        {
            for (qsizetype i = start + 1; i < line.size(); ++i) {
                const QChar c = line[i];
                if (c == QLatin1Char('"'))
                    return i + 1;
                if (c == QLatin1Char('\\') && i + 1 < line.size()
                    && (line[i + 1] == QLatin1Char('\\') || line[i + 1] == QLatin1Char('"')))
                    text += line[++i];
                else
                    text += c;
            }
            return std::nullopt;
        }

        bool parseData(const QString &data, RegValue &value, QString &what) const
        {
            if (data.startsWith(QLatin1Char('"'))) {
                QString text;
                const auto end = readQuoted(data, 0, text);
                if (!end) {
                    what = QStringLiteral("the string has no closing quote");
                    return false;
                }
                if (*end != data.size()) {
                    what = QStringLiteral("unexpected text after the closing quote");
                    return false;
                }
                value.type = RegType::Sz;
                value.data = text.toUtf8();
                return true;
            }
            if (data.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
                const QString digits = data.mid(6).trimmed();
                if (!isHexDigits(digits, 8)) {
                    what = QStringLiteral("dword data must be one to eight hexadecimal digits, not \"%1\"").arg(digits);
                    return false;
                }
                value = RegValue::fromDword(value.name, digits.toUInt(nullptr, 16));
                return true;
            }
            if (data.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive))
                return parseHex(data.mid(3), value, what);
            what = QStringLiteral("unknown value data \"%1\"").arg(data.left(40));
            return false;
        }

        bool parseHex(const QString &rest, RegValue &value, QString &what) const
        {
            int type = int(RegType::Binary);
            qsizetype colon = rest.indexOf(QLatin1Char(':'));
            if (colon < 0) {
                what = QStringLiteral("hex data has no \":\"");
                return false;
            }
            if (colon > 0) {
                const QString spec = rest.left(colon);
                const QString digits = spec.mid(1, spec.size() - 2);
                if (!spec.startsWith(QLatin1Char('(')) || !spec.endsWith(QLatin1Char(')')) || !isHexDigits(digits, 8)
                    || digits.toUInt(nullptr, 16) > 0x7FFFFFFFu) {
                    what = QStringLiteral("bad hex type \"%1\"").arg(spec);
                    return false;
                }
                type = int(digits.toUInt(nullptr, 16));
            }
            QByteArray bytes;
            const QStringList parts = rest.mid(colon + 1).split(QLatin1Char(','));
            for (qsizetype i = 0; i < parts.size(); ++i) {
                const QString part = parts[i].trimmed();
                if (part.isEmpty() && (i + 1 == parts.size()))
                    break;
                if (!isHexDigits(part, 2)) {
                    what = QStringLiteral("\"%1\" is not a hexadecimal byte").arg(part.left(20));
                    return false;
                }
                bytes.append(char(part.toUInt(nullptr, 16)));
            }
            value.type = RegType(type);
            value.data = m_unicode ? fromUtf16Text(value.type, bytes) : bytes;
            return true;
        }

        // Version 5 text keeps string types as UTF-16; the hive keeps them as UTF-8 without the final NUL.
        static QByteArray fromUtf16Text(RegType type, const QByteArray &bytes)
        {
            if (type != RegType::Sz && type != RegType::ExpandSz && type != RegType::MultiSz)
                return bytes;
            QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
            if (type != RegType::MultiSz && text.endsWith(QChar(u'\0')))
                text.chop(1);
            return text.toUtf8();
        }

        const QStringList &m_lines;
        bool m_unicode = false;
        std::optional<std::pair<RegRoot, QString>> m_key;
        QList<Operation> m_operations;
    };

    QString decodeFile(const QByteArray &bytes)
    {
        if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
            auto decoder =
                QStringDecoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
            return decoder(bytes.mid(2));
        }
        return decodeText(bytes);
    }

}

// Written as UTF-8 whatever the locale, so Chinese key names and texts survive.
std::optional<QByteArray> exportRegEditText(
    const RegistryHive &hive, RegRoot root, const QString &keyPath, QString *error)
{
    const auto path = storedSpelling(hive, root, keyPath);
    if (!path) {
        if (error)
            *error = QStringLiteral("the key %1\\%2 does not exist").arg(rootName(root), keyPath);
        return std::nullopt;
    }
    QString out = kHeader4 + kCrLf + kCrLf;
    if (!exportKey(hive, root, *path, out, error))
        return std::nullopt;
    return out.toUtf8();
}

std::optional<RegEditImportSummary> importRegEditText(RegistryHive &hive, const QByteArray &bytes, QString *error)
{
    const QString text = decodeFile(bytes);
    const QStringList lines = text.split(QLatin1Char('\n'));
    Parser parser(lines);
    const auto operations = parser.parse(error);
    if (!operations)
        return std::nullopt;

    // One transaction for the whole text: a full disk, a lock held too long or the end of the
    // process half way leaves the hive as it was.
    RegEditImportSummary summary;
    const bool ok = hive.runInTransaction([&] {
        for (const Operation &operation : *operations) {
            if (const auto *key = std::get_if<KeyLine>(&operation)) {
                // Deleting what is not there is no error, but a failed write is.
                if (key->remove ? !hive.deleteKey(key->root, key->path, true) && !hive.lastError().isEmpty()
                                : !key->path.isEmpty() && !hive.createKey(key->root, key->path))
                    return false;
                ++summary.keys;
            } else if (const auto *value = std::get_if<ValueLine>(&operation)) {
                if (value->remove
                        ? !hive.deleteValue(value->root, value->path, value->value.name) && !hive.lastError().isEmpty()
                        : !hive.setValue(value->root, value->path, value->value))
                    return false;
                ++summary.values;
            }
        }
        return true;
    });
    if (!ok) {
        if (error) {
            const QString reason = hive.lastError();
            *error = reason.isEmpty() ? QStringLiteral("the registry could not be written")
                                      : QStringLiteral("the registry could not be written: %1").arg(reason);
        }
        return std::nullopt;
    }
    return summary;
}

}
