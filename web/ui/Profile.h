#pragma once

#include <QString>

#include <memory>

class QWebEngineProfile;

namespace web {

// Where the program's web-engine profile keeps its data: cookies, local storage and the like under
// the data folder's "web/", its disk cache in the cache folder the system paths name
// ($XDG_CACHE_HOME/Velmora/web/), so clearing traces can clear both.
struct ProfileFolders {
    QString storage;
    QString cache;
};
ProfileFolders programProfileFolders();

// The one persistent web-engine profile of the program (storage name "Velmora"); every web view of
// the suite shows pages made on it. The engine requires it to be made after the application object
// and destroyed before it, and after every page made on it: the program's entry point (and the
// window-test main) keeps one on its stack, between the application object and the windows.
class Profile {
public:
    explicit Profile(const ProfileFolders &folders = programProfileFolders());
    ~Profile();
    Profile(const Profile &) = delete;
    Profile &operator=(const Profile &) = delete;

    QWebEngineProfile *engineProfile() const { return m_profile.get(); }
    const ProfileFolders &folders() const { return m_folders; }

    // The live profile; nullptr when none is made (or it is gone).
    static Profile *current();

private:
    ProfileFolders m_folders;
    std::unique_ptr<QWebEngineProfile> m_profile;
    Profile *m_previous = nullptr;
};

// The live Profile's engine profile. Without one (a tool or test that made none) the engine's own
// off-the-record default profile, so a page never lands on a destroyed profile.
QWebEngineProfile *programProfile();

}
