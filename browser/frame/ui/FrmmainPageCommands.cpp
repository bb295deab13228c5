// The frame's commands on the active page and its page tools: printing, the clipboard, reload,
// find, zoom, edit mode, the page source, page capture, the trace cleaner and the desktop.
#include "browser/frame/PageCommands.h"
#include "browser/frame/ui/FindBar.h"
#include "browser/frame/ui/Frmmain.h"
#include "browser/page/SourceEditor.h"
#include "browser/page/ui/FormHtml.h"
#include "browser/page/ui/FormWeb.h"
#include "browser/page/ui/Formclear.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/platform/Desktop.h"
#include "desktop/ui/FormDir.h"
#include "slideshow/ui/FormScreen.h"
#include "system/RegistryOps.h"
#include "system/ui/Dialogs.h"
#include "system/ui/MessagePump.h"
#include "web/ui/PagePrinting.h"
#include "web/ui/PageScripts.h"
#include "web/ui/SilentPage.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QToolButton>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEngineView>

namespace browser::frame {

namespace {

    const QString kViewMenu = QStringLiteral("查看(&V)");
    const QString kEditMenu = QStringLiteral("编辑(&E)");
    const QString kFileMenu = QStringLiteral("文件(&F)");
    const QString kToolsMenu = QStringLiteral("工具(&T)");
    const QString kEditModeItem = QStringLiteral("网页编辑模式");

    // The printing of a page window, made on its first print command and kept with it.
    web::PagePrinting *printingOf(page::FormWeb *page)
    {
        auto *printing = page->findChild<web::PagePrinting *>();
        return printing ? printing : new web::PagePrinting(page->Web, page);
    }

}

void Frmmain::connectPageCommands()
{
    // Check marks that are the commands' state.
    for (const auto &[menuTitle, text] : { std::pair { kEditMenu, kEditModeItem },
             std::pair { kFileMenu, QStringLiteral("脱机工作(&T)") },
             std::pair { kToolsMenu, QStringLiteral("关闭电脑声音") } }) {
        if (QAction *action = menuAction(menuTitle, text))
            action->setCheckable(true);
    }
    for (const PageActionEntry &entry : pageActionEntries()) {
        QAction *action = menuAction(entry.menu, entry.text);
        if (!action)
            continue;
        action->setEnabled(true);
        const PageAction pageAction = entry.action;
        connect(action, &QAction::triggered, this, [this, pageAction] {
            if (pageAction == PageAction::SaveAs)
                savePage();
            else
                runPageAction(pageAction);
        });
    }
    for (const OfficeEntry &entry : officeEntries()) {
        if (QAction *action = menuAction(kToolsMenu, entry.text)) {
            action->setEnabled(true);
            connect(action, &QAction::triggered, this, [this, entry] {
                m_services.desktop.startProgram(entry.program, entry.arguments);
            });
        }
    }
    m_findBar = new FindBar(m_central);
}

void Frmmain::runPageAction(PageAction action)
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    QWebEnginePage *webPage = page->page();
    switch (action) {
    case PageAction::Cut:
        webPage->triggerAction(QWebEnginePage::Cut);
        break;
    case PageAction::Copy:
        webPage->triggerAction(QWebEnginePage::Copy);
        break;
    case PageAction::Paste:
        webPage->triggerAction(QWebEnginePage::Paste);
        break;
    case PageAction::SelectAll:
        webPage->triggerAction(QWebEnginePage::SelectAll);
        break;
    case PageAction::Print:
        printingOf(page)->print();
        break;
    case PageAction::PrintPreview:
        printingOf(page)->printPreview();
        break;
    case PageAction::PageSetup:
        printingOf(page)->pageSetup();
        break;
    case PageAction::Properties:
        QMessageBox::information(this,
            QStringLiteral("页面属性"),
            QStringLiteral("标题：%1\n地址：%2").arg(webPage->title(), page->LocationURL()));
        break;
    case PageAction::SaveAs:
        savePage();
        break;
    }
}

void Frmmain::refreshPage()
{
    if (page::FormWeb *page = activePage()) {
        page->PageJavaConctrl();
        page->Web->reload();
    }
}

void Frmmain::refreshAll()
{
    for (int position : refreshAllPositions(m_tabs.TabCount())) {
        if (page::FormWeb *page = pageWindow(m_tabs.slotAt(position))) {
            page->PageJavaConctrl();
            page->Web->reload();
        }
    }
}

void Frmmain::stopPage()
{
    if (page::FormWeb *page = activePage())
        page->Web->stop();
}

void Frmmain::findInPage()
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    m_findBar->open(page->page());
    placeFindBar();
}

void Frmmain::placeFindBar()
{
    if (!m_findBar || !m_findBar->isVisible())
        return;
    m_findBar->adjustSize();
    const int left = qMax(0, m_central->width() - m_findBar->width() - 24);
    m_findBar->move(left, m_client->y() + 4);
    m_findBar->raise();
}

void Frmmain::clearAds()
{
    m_values.browser.SafeMode = true;
    if (page::FormWeb *page = activePage())
        page->PageJavaConctrl();
}

void Frmmain::allowMedia()
{
    if (!m_values.browser.SafeMode)
        return;
    // One load of the page without the safe mode's limits.
    m_values.browser.SafeMode = false;
    if (page::FormWeb *page = activePage()) {
        page->PageJavaConctrl();
        page->Web->reload();
    }
    m_values.browser.SafeMode = true;
}

void Frmmain::zoomPage(int index)
{
    page::FormWeb *page = activePage();
    if (!zoomAllowed(Chk->isChecked(), m_values.browser.SafeMode)) {
        QMessageBox::information(this, kSettingsCentreTitle, kZoomMessage);
        return;
    }
    if (!page)
        return;
    page->BigSize = nextZoom(page->BigSize, index);
    web::zoomPage(page->page(), page->BigSize);
}

bool Frmmain::editMode() const
{
    const QAction *action = menuAction(kEditMenu, kEditModeItem);
    return action && action->isChecked();
}

void Frmmain::toggleEditMode()
{
    // The menu entry's check mark has already turned when this runs.
    const bool on = editMode();
    if (page::FormWeb *page = activePage()) {
        web::runAppScript(page->page(), QStringLiteral("edit-mode"), { on });
        page->WebEdit = on;
    }
}

void Frmmain::savePage()
{
    if (editMode()) {
        saveSource();
        return;
    }
    page::FormWeb *page = activePage();
    if (!page)
        return;
    const QLineEdit *label = tabLabel(m_tabs.activeSlot());
    const QString title = label && !label->text().isEmpty() ? label->text() : QStringLiteral("网页");
    const QString target = sys::ShowFileDialog(m_services.settings,
        m_values.DownloadFolder,
        QStringLiteral("save"),
        QStringLiteral("保存网页"),
        sys::SafeFileName(title + QStringLiteral(".htm")),
        3,
        this);
    if (!target.isEmpty())
        page->page()->save(target, QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
}

void Frmmain::saveSource()
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    const QString target =
        sys::ShowSaveDialog(page::kSaveSourceTitle, sourceFileName(windowTitle()), page::kSourceFilterIndex, this);
    if (target.isEmpty())
        return;
    web::runAppScript(page->page(), QStringLiteral("page-source"), {}, [target](const QVariant &source) {
        if (source.isValid())
            page::writeWebTextFile(target, page::sourceFileBytes(source.toString()));
    });
}

void Frmmain::openSource(bool selectionOnly)
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    const QString address = TextUrl->currentText();
    const QLineEdit *label = tabLabel(m_tabs.activeSlot());
    const QString title = label ? label->text() : QString();
    const QPointer<Frmmain> self(this);
    web::runAppScript(page->page(),
        selectionOnly ? QStringLiteral("selection-source") : QStringLiteral("page-source"),
        {},
        [self, selectionOnly, address, title](const QVariant &source) {
            if (!self)
                return;
            auto *editor = new page::FormHtml(self->m_services, self->m_values.DownloadFolder, self);
            if (selectionOnly)
                editor->setWindowTitle(page::kSelectionSourceCaption);
            editor->setSource(source.toString(), address, title);
            editor->show();
        });
}

void Frmmain::screenCapture()
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    QWebEngineView *view = m_pump.WheelBrowser ? m_pump.WheelBrowser.data() : page->Web;
    page->ScreenSaveAs(view, windowTitle(), Chk->isChecked());
}

void Frmmain::openTraceCleaner()
{
    page::FrameTraces traces;
    traces.clearAddressList = [this] {
        const QString text = TextUrl->currentText();
        TextUrl->clear();
        TextUrl->setEditText(text);
    };
    traces.clearSearchList = [this] {
        const QString text = CombSearch->currentText();
        CombSearch->clear();
        CombSearch->setEditText(text);
    };
    traces.clearClosedPagesMenu = [this] {
        m_closedPages.forgetMenuEntries();
        rebuildClosedMenu();
    };
    auto *dialog = new page::Formclear(m_services, m_values.DataFolder, std::move(traces), this);
    dialog->show();
}

void Frmmain::openSlideshow()
{
    // The slideshow shows itself full screen and deletes itself when closed.
    new slideshow::FormScreen(m_services, m_values, m_values.DownloadFolder, this);
}

void Frmmain::toggleMute()
{
    // The check mark has already turned; the desktop's mute follows it.
    m_services.desktop.toggleMute();
}

void Frmmain::openWithOtherBrowser()
{
    const QString address = TextUrl->currentText().trimmed();
    if (!address.isEmpty())
        m_services.desktop.openWithDesktop(QUrl::fromUserInput(address));
}

void Frmmain::openMail()
{
    m_services.desktop.openWithDesktop(QUrl(QStringLiteral("mailto:")));
}

void Frmmain::openHomeFolder()
{
    m_services.desktop.openWithDesktop(QUrl::fromLocalFile(QDir::homePath()));
}

void Frmmain::dialUp()
{
    // The system's network management keeps the line up: there is nothing to dial.
    showStatus(kDialMessage);
}

void Frmmain::openFolderHiding()
{
    (new desktop::FormDir(m_services, m_values, this))->exec();
}

void Frmmain::screenOff()
{
    sys::MonitorOff(m_services.desktop);
}

}
