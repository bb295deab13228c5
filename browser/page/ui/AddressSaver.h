#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <functional>

class QWidget;

namespace browser::page {

class DownLoad;

// Saves what an address names where the user says: the save dialog proposes the address's file
// name, then the file is downloaded with a progress dialog the user can cancel (no size limit),
// or, for a local file, copied. Failures are shown in a message box with the downloader's text.
class AddressSaver : public QObject {
    Q_OBJECT
public:
    explicit AddressSaver(QWidget *window, QObject *parent = nullptr);
    ~AddressSaver() override;

    // Asks for the path to save to; "" when cancelled. Defaults to the program's save dialog.
    std::function<QString(const QString &proposedName)> askSavePath;
    // Shows a failure. Defaults to a warning box over the window.
    std::function<void(const QString &message)> showMessage;

    // Asks, then starts; false (and no finished()) when the user cancelled the save dialog.
    bool save(const QString &address);
    // Saves without asking.
    void saveTo(const QString &address, const QString &path);
    QProgressDialog *progressDialog() const { return m_progress; }

    // The whole flow over window by a saver that removes itself when done.
    static void saveWithDialog(QWidget *window, const QString &address);

signals:
    void finished(bool ok, const QString &path);

private:
    void end(bool ok, const QString &message = QString());

    QPointer<QWidget> m_window;
    DownLoad *m_loader = nullptr;
    QPointer<QProgressDialog> m_progress;
    QString m_path;
    qint64 m_length = 0;
};

}
