#include "system/ui/Dialogs.h"

#include "common/Settings.h"
#include "common/SettingsKeys.h"
#include "common/platform/Desktop.h"
#include "system/ui/FilePropertiesDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>

namespace sys {

QFileDialog *createFileDialog(const FileDialogRules &rules, QWidget *owner)
{
    auto *dialog = new QFileDialog(owner, rules.title);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    if (rules.mode == FileDialogRules::Mode::Open) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
    }
    dialog->setNameFilters(rules.nameFilters);
    dialog->selectNameFilter(rules.selectedFilter);
    if (!rules.startFolder.isEmpty() && QFileInfo(rules.startFolder).isDir())
        dialog->setDirectory(rules.startFolder);
    if (!rules.proposedName.isEmpty())
        dialog->selectFile(rules.proposedName);
    return dialog;
}

QString runFileDialog(const FileDialogRules &rules, QWidget *owner)
{
    QFileDialog *dialog = createFileDialog(rules, owner);
    QString answer;
    if (dialog->exec() == QDialog::Accepted) {
        const QStringList chosen = dialog->selectedFiles();
        if (!chosen.isEmpty() && !QFileInfo(chosen.first()).fileName().isEmpty())
            answer = chosen.first();
    }
    delete dialog;
    return answer;
}

QString BrowseForFolder(const QString &prompt, QWidget *owner)
{
    QFileDialog dialog(owner, folderPickerTitle(prompt));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(QDir::homePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::cleanPath(dialog.selectedFiles().first());
}

QString ShowSaveDialog(const QString &title, const QString &defaultName, int filterIndex, QWidget *owner)
{
    return runFileDialog(saveDialogRules(title, defaultName, filterIndex), owner);
}

QString ShowFileDialog(const common::SettingsStore &settings,
    const QString &currentFolder,
    const QString &mode,
    const QString &title,
    const QString &defaultName,
    int filterIndex,
    QWidget *owner)
{
    const QString setMenu1 = settings.read(common::keys::kSetup, common::keys::kSetMenu1);
    return runFileDialog(fileDialogRules(mode, title, defaultName, filterIndex, setMenu1, currentFolder), owner);
}

bool ShowFileProperties(common::platform::Desktop &desktop, const QString &path, QWidget *owner)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return false;
    const QString item = info.absoluteFilePath();
    // Our own sheet stands in when no file manager answers.
    const auto showOwnSheet = [item, guard = QPointer<QWidget>(owner), hadOwner = owner != nullptr] {
        if (hadOwner && !guard)
            return;
        auto *sheet = new FilePropertiesDialog(item, guard);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->show();
    };
    if (desktop.showFileProperties(item, [showOwnSheet](bool ok) {
            if (!ok)
                showOwnSheet();
        }))
        return true;
    showOwnSheet();
    return true;
}

void MonitorOff(common::platform::Desktop &desktop)
{
    desktop.monitorOff();
}

void addConfirmButtons(QDialog *dialog, QBoxLayout *layout, QPushButton *&ok, QPushButton *&cancel)
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ok = new QPushButton(QStringLiteral("确定(&Y)"), dialog);
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("取消(&C)"), dialog);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

}
