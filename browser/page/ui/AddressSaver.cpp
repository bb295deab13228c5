#include "browser/page/ui/AddressSaver.h"

#include "browser/page/DownLoad.h"
#include "browser/page/DownloadRules.h"
#include "common/Files.h"
#include "system/ui/Dialogs.h"

#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include <limits>

namespace browser::page {

namespace {
    // The progress bar counts kilobytes, so files beyond 2 GB still fit its range.
    int kilobytes(qint64 bytes)
    {
        return int(qMin<qint64>(bytes / 1024, std::numeric_limits<int>::max()));
    }
}

AddressSaver::AddressSaver(QWidget *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
{
    askSavePath = [this](const QString &proposedName) {
        return sys::ShowSaveDialog(QStringLiteral("另存为"), proposedName, 1, m_window);
    };
    showMessage = [this](const QString &message) {
        QMessageBox::warning(m_window, QStringLiteral("下载网络文件"), message);
    };
}

AddressSaver::~AddressSaver()
{
    delete m_progress;
}

bool AddressSaver::save(const QString &address)
{
    const QString path = askSavePath ? askSavePath(addressFileName(address)) : QString();
    if (path.isEmpty())
        return false;
    saveTo(address, path);
    return true;
}

void AddressSaver::saveTo(const QString &address, const QString &path)
{
    m_path = path;
    const QString local = localFileOfAddress(address);
    if (!local.isEmpty()) {
        const bool ok = common::copyFileReplacing(local, path);
        QTimer::singleShot(0, this, [this, ok, path] { end(ok, ok ? QString() : DownLoad::fileInUseMessage(path)); });
        return;
    }
    m_loader = new DownLoad(this);
    m_progress = new QProgressDialog(
        QStringLiteral("正在下载 %1").arg(addressFileName(address)), QStringLiteral("取消"), 0, 0, m_window);
    m_progress->setWindowTitle(QStringLiteral("下载网络文件"));
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        m_loader->Cancel();
        end(false);
    });
    connect(m_loader, &DownLoad::executed, this, [this](bool ok) {
        if (!ok)
            return;
        m_length = m_loader->GetHeader(QStringLiteral("Content-Length")).toLongLong();
        if (m_length > 0)
            m_progress->setMaximum(qMax(1, kilobytes(m_length)));
        m_loader->StartDownLoad();
    });
    connect(m_loader, &DownLoad::GetData, this, [this](qint64 progress) {
        if (m_length > 0)
            m_progress->setValue(qMin(m_progress->maximum(), kilobytes(progress)));
        m_progress->setLabelText(QStringLiteral("%1 KB").arg(progress / 1024));
    });
    connect(m_loader, &DownLoad::ErrMassage, this, [this](const QString &message) { end(false, message); });
    connect(m_loader, &DownLoad::DownLoadOver, this, [this] { end(true); });
    m_loader->URL(address);
    m_loader->SaveFile(path);
    m_loader->Execute();
    m_progress->show();
}

void AddressSaver::end(bool ok, const QString &message)
{
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
    if (!message.isEmpty() && showMessage)
        showMessage(message);
    emit finished(ok, m_path);
}

void AddressSaver::saveWithDialog(QWidget *window, const QString &address)
{
    auto *saver = new AddressSaver(window, window);
    connect(saver, &AddressSaver::finished, saver, &QObject::deleteLater);
    if (!saver->save(address))
        saver->deleteLater();
}

}
