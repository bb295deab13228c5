#include "web/AppScripts.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

// The resource is built into a static library, so it is registered by hand before first use.
static void registerScriptResource()
{
    Q_INIT_RESOURCE(webscripts);
}

namespace web {

namespace {

    const QString kFolder = QStringLiteral(":/web/scripts/");

    void ensureRegistered()
    {
        static const bool registered = [] {
            registerScriptResource();
            return true;
        }();
        (void)registered;
    }

}

QStringList appScriptNames()
{
    ensureRegistered();
    QStringList names;
    const QStringList files = QDir(kFolder).entryList({ QStringLiteral("*.js") }, QDir::Files, QDir::Name);
    for (const QString &file : files)
        names.append(file.chopped(3));
    return names;
}

QString appScriptText(const QString &name)
{
    ensureRegistered();
    static QHash<QString, QString> cache;
    if (const auto found = cache.constFind(name); found != cache.constEnd())
        return found.value();
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    QFile file(kFolder + name + QStringLiteral(".js"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    cache.insert(name, text);
    return text;
}

QString appScriptCall(const QString &name, const QVariantList &args)
{
    const QString text = appScriptText(name);
    if (text.isEmpty())
        return {};
    const QByteArray json = QJsonDocument(QJsonArray::fromVariantList(args)).toJson(QJsonDocument::Compact);
    // The newline ends a comment on the script's last line.
    return QLatin1Char('(') + text + QStringLiteral("\n).apply(null, ") + QString::fromUtf8(json) + QLatin1Char(')');
}

}
