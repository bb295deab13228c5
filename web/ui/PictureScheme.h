#pragma once

#include <QByteArray>

namespace web {

// The address scheme that serves pictures to the suite's own pages from the program itself
// ("velmora-picture://local/<path>?w=<device pixels>"). Local: only local pages may load it.
inline constexpr char kPictureScheme[] = "velmora-picture";

// Registers the scheme with the web engine. Must run before the application object exists.
void registerPictureScheme();

}
