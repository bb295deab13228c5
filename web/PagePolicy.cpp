#include "web/PagePolicy.h"

#include "common/TextCodec.h"

#include <QFile>

#include <sys/stat.h>

namespace web {

GeneratedPagePolicy generatedPagePolicy(PageText text)
{
    GeneratedPagePolicy policy;
    policy.pageScripts = false;
    policy.localFilesReachable = text == PageText::Local;
    policy.textEncoding = common::localCharsetName();
    return policy;
}

bool isOversizedFile(const QString &path, qint64 bound)
{
    if (path.isEmpty())
        return false;
    struct stat status { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return S_ISREG(status.st_mode) && qint64(status.st_size) > bound;
}

}
