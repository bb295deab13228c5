#pragma once

#include <QString>
#include <QStringList>

namespace common {

// The pictures the harvester listed last, shared by every page window and the picture details
// window: slots 0 .. kSlots - 1 and the number in use. Every harvester run, in whichever page
// window, replaces them.
struct PictureList {
    static constexpr int kSlots = 6001;

    // Stores url in slot index, growing the list as needed; false, with nothing stored, for an
    // index outside the slots (the run that asked for it ends there).
    bool store(int index, const QString &url)
    {
        if (index < 0 || index >= kSlots)
            return false;
        if (index >= PictureUrls.size())
            PictureUrls.resize(index + 1);
        PictureUrls[index] = url;
        return true;
    }
    // The address in slot index; empty for an unused or missing slot.
    QString at(int index) const { return index >= 0 && index < PictureUrls.size() ? PictureUrls[index] : QString(); }
    void clear()
    {
        PictureUrls.clear();
        PictureCount = 0;
    }

    QStringList PictureUrls;
    int PictureCount = 0;
};

}
