#pragma once

#include <functional>

namespace browser::frame {

// The download-control bits a page is given.
enum DownloadControl : int {
    DLCTL_DLIMAGES = 0x10,
    DLCTL_VIDEOS = 0x20,
    DLCTL_BGSOUNDS = 0x40,
    DLCTL_NO_SCRIPTS = 0x80,
    DLCTL_NO_JAVA = 0x100,
    DLCTL_NO_RUNACTIVEXCTLS = 0x200,
    DLCTL_NO_DLACTIVEXCTLS = 0x400,
};

// What the page view is set to for a value of the bits: images load only with DLCTL_DLIMAGES,
// scripts run unless DLCTL_NO_SCRIPTS, plug-ins run unless ActiveX or Java is refused; media
// (videos, background sounds) and embedded objects are refused by the page's request filter.
struct PageContentSettings {
    bool autoLoadImages = true;
    bool javascriptEnabled = true;
    bool pluginsEnabled = true;
    bool blockVideo = false;
    bool blockBackgroundSounds = false;
    bool blockObjects = false; // ActiveX or Java refused: <object>/<embed> requests are refused
    bool blockMedia() const { return blockVideo || blockBackgroundSounds; }
    bool operator==(const PageContentSettings &) const = default;
};
PageContentSettings pageContentSettings(int flags);

// The download control of one page: seven switches and the value they make. Until the page is
// attached, changes are only stored; afterwards every change is sent to the page, and a switch
// that changes also reloads the page (when its cached copy has expired), as the new value only
// takes effect on a load. The site and in-place operations of an embedded control have nothing to
// do here: the page view applies the settings itself.
class cWebBrowser {
public:
    // Sends settings to the page; `refresh`: reload it as well.
    using ApplyFunction = std::function<void(const PageContentSettings &settings, bool refresh)>;

    static constexpr int kInitialFlags = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS; // 112

    // The flags for the seven switches: 112 (1136 when ActiveX downloads are refused), each refused
    // kind of content toggling its bit off or setting its refusal bit.
    static int flagRule(
        bool image, bool bgSound, bool video, bool script, bool activeX, bool javaApplet, bool dlActiveX);

    // Attaches the page: the current value is sent to it (without a reload).
    void INIAll(ApplyFunction apply);
    // Detaches the page; always false, as the control's own release answers.
    bool pvReleaseWBControl();
    bool isAttached() const { return m_attached; }

    int DownloadCtrlEX() const { return m_downloadCtrlEX; }
    // Stores the value and, when attached, sends it to the page.
    void setDownloadCtrlEX(int NewFlags);
    PageContentSettings settings() const { return pageContentSettings(m_downloadCtrlEX); }

    bool DL_Image() const { return m_image; }
    bool DL_BgSound() const { return m_bgSound; }
    bool DL_Video() const { return m_video; }
    bool DL_Script() const { return m_script; }
    bool DL_ActiveX() const { return m_activeX; }
    bool DL_JavaApplet() const { return m_javaApplet; }
    bool Dl_DlActiveX() const { return m_dlActiveX; }
    void setDL_Image(bool vNewValue);
    void setDL_BgSound(bool vNewValue);
    void setDL_Video(bool vNewValue);
    void setDL_Script(bool vNewValue);
    void setDL_ActiveX(bool vNewValue);
    void setDL_JavaApplet(bool vNewValue);
    void setDl_DlActiveX(bool vNewValue);
    // All seven switches at once.
    void Dl_EnableAll(bool nAll);
    void Dl_BatchSet(bool blnImage,
        bool blnScript,
        bool blnBgSound,
        bool blnVideo,
        bool blnActiveX,
        bool blnJavaApplet,
        bool blnDlActiveX);

private:
    void switchesChanged();

    ApplyFunction m_apply;
    bool m_attached = false;
    int m_downloadCtrlEX = kInitialFlags;
    bool m_image = true;
    bool m_bgSound = true;
    bool m_video = true;
    bool m_script = true;
    bool m_activeX = true;
    bool m_javaApplet = true;
    bool m_dlActiveX = true;
};

}
