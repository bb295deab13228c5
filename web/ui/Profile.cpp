#include "web/ui/Profile.h"

#include "common/Paths.h"
#include "system/SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QWebEngineProfile>

namespace web {

namespace {

    Profile *g_current = nullptr;

    const QString kStorageName = QStringLiteral("Velmora");

    // The engine creates missing folders open to others; these hold cookies, so they are made
    // private first.
    void makePrivateFolder(const QString &path)
    {
        if (path.isEmpty())
            return;
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

}

ProfileFolders programProfileFolders()
{
    ProfileFolders folders;
    folders.storage = common::dataFolder() + QStringLiteral("web/");
    folders.cache = sys::LoadSystemPaths().cacheFolder;
    return folders;
}

Profile::Profile(const ProfileFolders &folders)
    : m_folders(folders)
    , m_profile(std::make_unique<QWebEngineProfile>(kStorageName))
    , m_previous(g_current)
{
    makePrivateFolder(m_folders.storage);
    makePrivateFolder(m_folders.cache);
    m_profile->setPersistentStoragePath(m_folders.storage);
    m_profile->setCachePath(m_folders.cache);
    m_profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    g_current = this;
}

Profile::~Profile()
{
    if (g_current == this)
        g_current = m_previous;
}

Profile *Profile::current()
{
    return g_current;
}

QWebEngineProfile *programProfile()
{
    if (Profile *profile = Profile::current())
        return profile->engineProfile();
    return QWebEngineProfile::defaultProfile();
}

}
