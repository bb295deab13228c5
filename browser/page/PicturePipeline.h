#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace browser::page {

// Turns pictures into JPEG files of quality 80 ahead of their turn. A picture's bytes are asked
// for on the event loop; decoding (within the pixel budget) and encoding run on the thread pool,
// so the next pictures are on their way while one is saved. Each picture is written to a work file
// of its own; take() moves it under the name the caller gives, in whatever order the caller takes
// them, so files are named in the caller's order however the encodings finish.
class PicturePipeline : public QObject {
    Q_OBJECT
public:
    // Fetches the bytes of the picture at src; done(bytes, true) or ({}, false), once, on the
    // event loop.
    using BytesFunction =
        std::function<void(const QString &src, std::function<void(const QByteArray &bytes, bool ok)> done)>;

    explicit PicturePipeline(BytesFunction bytes, QObject *parent = nullptr);
    // Pictures still being encoded are dropped: their work files are removed as they finish.
    ~PicturePipeline() override;

    // Starts the picture at src into a work file in folder (which ends in "/"), unless it is on
    // its way already.
    void prepare(const QString &src, const QString &folder);
    bool isPrepared(const QString &src) const { return m_entries.contains(src); }
    // The picture at src, prepared or started now, is moved to file once it is encoded; done(true)
    // then, done(false) when its bytes could not be had or decoded. Called once, on the event loop.
    void take(const QString &src, const QString &file, std::function<void(bool)> done);
    // Drops the pictures prepared and not taken; their work files are removed.
    void clear();
    // Pictures prepared or being taken whose work is not finished.
    int inFlight() const { return m_inFlight; }

private:
    struct Entry;
    std::shared_ptr<Entry> start(const QString &src, const QString &folder);
    void encoded(const std::shared_ptr<Entry> &entry, bool ok);
    static void hand(const std::shared_ptr<Entry> &entry);

    BytesFunction m_bytes;
    QHash<QString, std::shared_ptr<Entry>> m_entries;
    QHash<Entry *, std::shared_ptr<Entry>> m_taken;
    int m_inFlight = 0;
};

}
