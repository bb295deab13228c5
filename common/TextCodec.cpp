#include "common/TextCodec.h"

#include <QStringConverter>
#include <QStringDecoder>
#include <QStringEncoder>

#include <langinfo.h>

namespace common {

QString localCharsetName()
{
    // Qt already switched LC_CTYPE to the user's locale when the application object was made;
    // without one the "C" locale answers ANSI_X3.4-1968, which we treat as UTF-8 like Qt does.
    QString name = QString::fromLatin1(nl_langinfo(CODESET));
    if (name.isEmpty() || name == QLatin1String("ANSI_X3.4-1968") || name == QLatin1String("ASCII"))
        return QStringLiteral("UTF-8");
    return name;
}

QByteArray encodeLocal(const QString &text)
{
    const QString charset = localCharsetName();
    if (charset.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0)
        return text.toUtf8();
    QStringEncoder encoder(charset.toLatin1().constData(), QStringConverter::Flag::Default);
    if (!encoder.isValid())
        return text.toUtf8();
    return encoder.encode(text);
}

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    QStringDecoder gb("GB18030");
    if (gb.isValid())
        return gb.decode(bytes);
    return QString::fromLatin1(bytes);
}

}
