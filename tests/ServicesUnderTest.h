#pragma once

#include "common/Registry.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "web/ui/Profile.h"

#include <memory>

namespace velmora::test {

// The program's services for a window under test: an in-memory hive with its settings store, the
// recorded desktop (the test main sets VELMORA_SIMULATE_DESKTOP) and the program's web profile,
// which the test main makes.
struct ServicesUnderTest {
    ServicesUnderTest()
        : hive(common::RegistryHive::openInMemory())
        , settings(*hive)
        , desktop(common::platform::createDesktop())
        , services { *hive, settings, *desktop, *web::programProfile() }
    {
    }
    ServicesUnderTest(const ServicesUnderTest &) = delete;
    ServicesUnderTest &operator=(const ServicesUnderTest &) = delete;

    std::unique_ptr<common::RegistryHive> hive;
    common::SettingsStore settings;
    std::unique_ptr<common::platform::Desktop> desktop;
    common::Services services;
    common::RunningValues values;
};

}
