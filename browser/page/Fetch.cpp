#include "browser/page/Fetch.h"

#include "browser/page/DownLoad.h"
#include "common/TextCodec.h"

#include <memory>

namespace browser::page {

namespace {

    // Starts a DownLoad owned by context; finish(ok, loader) runs once, then the loader goes.
    // acceptErrorPages: a body that comes with an error status (404, 500, ...) counts too.
    void runDownLoad(QObject *context,
        bool acceptErrorPages,
        const std::function<void(DownLoad &)> &setUp,
        std::function<void(bool ok, DownLoad &loader)> finish)
    {
        auto *loader = new DownLoad(context);
        setUp(*loader);
        auto finished = std::make_shared<bool>(false);
        auto report = std::make_shared<std::function<void(bool, DownLoad &)>>(std::move(finish));
        const auto end = [loader, finished, report](bool ok) {
            if (*finished)
                return;
            *finished = true;
            (*report)(ok, *loader);
            loader->deleteLater();
        };
        // A failure to start is told by ErrMassage, which comes before executed(false).
        QObject::connect(loader, &DownLoad::executed, loader, [loader, end, acceptErrorPages](bool ok) {
            if (!ok)
                return;
            if (!acceptErrorPages && loader->statusCode() >= 400) {
                loader->Cancel();
                end(false);
                return;
            }
            loader->StartDownLoad();
        });
        QObject::connect(loader, &DownLoad::ErrMassage, loader, [end] { end(false); });
        QObject::connect(loader, &DownLoad::DownLoadOver, loader, [end] { end(true); });
        loader->Execute();
    }

}

void fetchToFile(const QString &url,
    const QString &file,
    qint64 maxBytes,
    QObject *context,
    std::function<void(bool ok)> done,
    bool replaceExisting)
{
    runDownLoad(
        context,
        false,
        [&](DownLoad &loader) {
            loader.URL(url);
            loader.SaveFile(file);
            loader.setMaxBytes(maxBytes);
            loader.setReplaceExisting(replaceExisting);
        },
        [done = std::move(done)](bool ok, DownLoad &) {
            if (done)
                done(ok);
        });
}

void HtmlStr(const QString &url, QObject *context, std::function<void(const QString &text)> done)
{
    runDownLoad(
        context,
        true,
        [&](DownLoad &loader) {
            loader.URL(url);
            loader.keepInMemory(true);
            loader.setMaxBytes(kPageTextLimit);
        },
        [done = std::move(done)](bool ok, DownLoad &loader) {
            if (done)
                done(ok ? common::decodeText(loader.body()) : QString());
        });
}

}
