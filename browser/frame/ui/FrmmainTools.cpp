// The frame's favorites menu and the page tools it opens.
#include "browser/frame/Favorites.h"
#include "browser/frame/ui/Favorites.h"
#include "browser/frame/ui/FormAutoREshua.h"
#include "browser/frame/ui/FormDfg.h"
#include "browser/frame/ui/FormReader.h"
#include "browser/frame/ui/Frmmain.h"
#include "browser/page/ui/FormWeb.h"
#include "common/FileNames.h"
#include "common/RunningValues.h"
#include "common/Services.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QWebEngineView>

namespace browser::frame {

void Frmmain::createFavoritesList(QMenu *menu)
{
    m_favoritesMenu = menu;
    QAction *first = menu->addAction(QString());
    first->setObjectName(QStringLiteral("MyFavorites(0)"));
    first->setVisible(false);
    connect(first, &QAction::triggered, this, [this] { MyFavorites_Click(0); });
    m_favoriteItems.push_back(first);
    // The menu shows the list from the start.
    AddFavor();
}

void Frmmain::AddFavor()
{
    if (!m_favoritesMenu)
        return;
    // Every item from 1 up goes, however many the list had: a list of more than a hundred
    // favorites leaves no stale items behind.
    while (m_favoriteItems.size() > 1) {
        QAction *item = m_favoriteItems.back();
        m_favoriteItems.pop_back();
        m_favoritesMenu->removeAction(item);
        delete item;
    }
    const QList<Favorite> favorites = readFavoritesFile(favoritesPath(m_values.DataFolder));
    for (int n = 0; n < favorites.size(); ++n) {
        const Favorite &favorite = favorites.at(n);
        QAction *item = n == 0 ? m_favoriteItems.front() : m_favoritesMenu->addAction(QString());
        if (n > 0) {
            item->setObjectName(QStringLiteral("MyFavorites(%1)").arg(n));
            m_favoriteItems.push_back(item);
            connect(item, &QAction::triggered, this, [this, n] { MyFavorites_Click(n); });
        }
        // "&" in a name is shown as itself, not taken as an access key.
        QString caption = favorite.name;
        item->setText(caption.replace(QLatin1Char('&'), QLatin1String("&&")));
        item->setData(favorite.address);
        item->setToolTip(favorite.address);
        // An address that is never opened (a script or data address) stays in the list, greyed.
        item->setEnabled(!favoriteTarget(favorite.address).isEmpty());
        item->setVisible(true);
    }
    if (favorites.isEmpty()) {
        m_favoriteItems.front()->setVisible(false);
        m_favoriteItems.front()->setText(QString());
    }
}

void Frmmain::refreshFavorites()
{
    AddFavor();
}

QAction *Frmmain::MyFavorites(int index) const
{
    if (index < 0 || index >= int(m_favoriteItems.size()))
        return nullptr;
    return m_favoriteItems[size_t(index)];
}

void Frmmain::MyFavorites_Click(int index)
{
    const QAction *item = MyFavorites(index);
    if (!item)
        return;
    const QString target = favoriteTarget(item->data().toString());
    if (target.isEmpty())
        return;
    Chk->setChecked(false);
    LoadNewForm(target);
}

void Frmmain::openFavoritesDialog()
{
    const page::FormWeb *page = activePage();
    const QString address = page ? page->LocationURL() : QString();
    const QString title = page ? page->Web->title() : QString();
    Favorites dialog(
        m_values.DataFolder, title, address, [this] { AddFavor(); }, this);
    dialog.exec();
}

void Frmmain::openFavoritesOrganizer()
{
    FormDfg dialog(
        m_values.DataFolder, m_services.desktop, [this] { AddFavor(); }, this);
    dialog.exec();
}

namespace {
    // A tool window that is open already comes to the front instead of opening a second time.
    template <typename Window> bool raiseOpen(QWidget *owner)
    {
        auto *open = owner->findChild<Window *>(QString(), Qt::FindDirectChildrenOnly);
        if (!open)
            return false;
        open->showNormal();
        open->raise();
        open->activateWindow();
        return true;
    }
}

void Frmmain::openBatchReader()
{
    if (raiseOpen<FormReader>(this))
        return;
    auto *reader = new FormReader(
        m_services.settings,
        m_values.DataFolder,
        [this](const QString &path) { LoadNewForm(common::fileUrl(path).toString()); },
        this);
    reader->show();
}

void Frmmain::openAutoRefresher()
{
    if (raiseOpen<FormAutoREshua>(this))
        return;
    auto *refresher = new FormAutoREshua([this] { refreshActivePage(); }, nullptr, this);
    refresher->show();
}

void Frmmain::refreshActivePage()
{
    if (page::FormWeb *page = activePage())
        page->Web->reload();
}

}
