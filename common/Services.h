#pragma once

class QWebEngineProfile;

namespace common {

class RegistryHive;
class SettingsStore;
namespace platform {
    class Desktop;
}

// The program's services: made once by the entry point, before any window, and outliving every
// window. Windows get them by reference and keep no copies of what they point at.
struct Services {
    RegistryHive &hive;
    SettingsStore &settings;
    platform::Desktop &desktop;
    // The one web-engine profile every page view of the suite is made on.
    QWebEngineProfile &webProfile;
};

}
