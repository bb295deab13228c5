#include "browser/frame/cWebBrowser.h"

#include <utility>

namespace browser::frame {

PageContentSettings pageContentSettings(int flags)
{
    PageContentSettings settings;
    settings.autoLoadImages = (flags & DLCTL_DLIMAGES) != 0;
    settings.javascriptEnabled = (flags & DLCTL_NO_SCRIPTS) == 0;
    settings.blockObjects = (flags & (DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_JAVA)) != 0;
    settings.pluginsEnabled = !settings.blockObjects;
    settings.blockVideo = (flags & DLCTL_VIDEOS) == 0;
    settings.blockBackgroundSounds = (flags & DLCTL_BGSOUNDS) == 0;
    return settings;
}

int cWebBrowser::flagRule(
    bool image, bool bgSound, bool video, bool script, bool activeX, bool javaApplet, bool dlActiveX)
{
    int flags = dlActiveX ? kInitialFlags : (kInitialFlags | DLCTL_NO_DLACTIVEXCTLS);
    if (!image)
        flags ^= DLCTL_DLIMAGES;
    if (!bgSound)
        flags ^= DLCTL_BGSOUNDS;
    if (!video)
        flags ^= DLCTL_VIDEOS;
    if (!script)
        flags |= DLCTL_NO_SCRIPTS;
    if (!activeX)
        flags |= DLCTL_NO_RUNACTIVEXCTLS;
    if (!javaApplet)
        flags |= DLCTL_NO_JAVA;
    return flags;
}

void cWebBrowser::INIAll(ApplyFunction apply)
{
    m_apply = std::move(apply);
    m_attached = true;
    if (m_apply)
        m_apply(settings(), false);
}

bool cWebBrowser::pvReleaseWBControl()
{
    if (m_attached) {
        m_attached = false;
        m_apply = nullptr;
    }
    return false;
}

void cWebBrowser::setDownloadCtrlEX(int NewFlags)
{
    m_downloadCtrlEX = NewFlags;
    if (m_attached && m_apply)
        m_apply(settings(), false);
}

void cWebBrowser::switchesChanged()
{
    m_downloadCtrlEX = flagRule(m_image, m_bgSound, m_video, m_script, m_activeX, m_javaApplet, m_dlActiveX);
    if (m_attached && m_apply)
        m_apply(settings(), true);
}

void cWebBrowser::setDL_Image(bool vNewValue)
{
    m_image = vNewValue;
    switchesChanged();
}

void cWebBrowser::setDL_BgSound(bool vNewValue)
{
    m_bgSound = vNewValue;
    switchesChanged();
}

void cWebBrowser::setDL_Video(bool vNewValue)
{
    m_video = vNewValue;
    switchesChanged();
}

void cWebBrowser::setDL_Script(bool vNewValue)
{
    m_script = vNewValue;
    switchesChanged();
}

void cWebBrowser::setDL_ActiveX(bool vNewValue)
{
    m_activeX = vNewValue;
    switchesChanged();
}

void cWebBrowser::setDL_JavaApplet(bool vNewValue)
{
    m_javaApplet = vNewValue;
    switchesChanged();
}

void cWebBrowser::setDl_DlActiveX(bool vNewValue)
{
    m_dlActiveX = vNewValue;
    switchesChanged();
}

void cWebBrowser::Dl_EnableAll(bool nAll)
{
    m_image = m_bgSound = m_video = m_script = m_activeX = m_javaApplet = m_dlActiveX = nAll;
    switchesChanged();
}

void cWebBrowser::Dl_BatchSet(bool blnImage,
    bool blnScript,
    bool blnBgSound,
    bool blnVideo,
    bool blnActiveX,
    bool blnJavaApplet,
    bool blnDlActiveX)
{
    m_image = blnImage;
    m_script = blnScript;
    m_bgSound = blnBgSound;
    m_video = blnVideo;
    m_activeX = blnActiveX;
    m_javaApplet = blnJavaApplet;
    m_dlActiveX = blnDlActiveX;
    switchesChanged();
}

}
