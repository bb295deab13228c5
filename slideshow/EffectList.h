#pragma once

#include "TransitionEffects.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace slideshow {

inline constexpr int kEffectCount = 19;
// The entry that has no effect of its own; selecting it selects the next one.
inline constexpr int kEmptyEffect = 4;

// Which direction options an entry offers: none, the axis pair ("垂直", "水平", the first
// selected) or the four ways ("向左" .. "向下", "向左" selected).
enum class DirectionSet { None = 0, Axis = 1, FourWay = 2 };

// What selecting an effect entry sets on the slideshow's controls. Every selection first
// turns the bar-size box off and sets the speed box to "1"; these are the settings after.
struct EffectDefaults {
    bool stepBox = true;
    bool modeOptions = false;
    DirectionSet directionSet = DirectionSet::None;
    QString stepText;
    bool barSizeBox = false;
    QString barSizeText; // empty: left as it is
    QString speedText = QStringLiteral("1");
    std::vector<int> disabledDirections; // direction options disabled after the set is applied
    int selectedDirection = -1; // direction option selected after that, -1 for none
    int selectedMode = -1; // mode option selected, -1 for none
    int redirectTo = -1; // the entry selected instead, -1 for none
};

// What the slideshow's controls and surfaces give an entry's routine.
struct EffectInputs {
    RasterSurface &display;
    RasterSurface &outgoing; // the picture being replaced, at the display's size
    RasterSurface &incoming;
    Direction fourWay = Direction::None; // the four-way option selected, None without one
    Axis axis = Axis::Horizontal; // Vertical when "垂直" is selected
    ZoomSide zoomSide = ZoomSide::Right; // Left when "向左" is selected
    ZoomMode zoomMode = ZoomMode::Move;
    int step = 1; // the step box
    int size = 1; // the bar, slat or soft-edge size box
};

// Makes the effect of an entry from the controls' values.
using EffectRoutine = EffectPointer (*)(const EffectInputs &);

struct EffectEntry {
    QString name;
    EffectDefaults defaults;
    EffectRoutine routine = nullptr; // none for the entry without an effect of its own
};

// The effect list, in list order: kEffectCount entries.
const std::vector<EffectEntry> &effectTable();

// The names of the effect list, in list order.
QStringList effectNames();

// The defaults of entry 0..kEffectCount - 1; other entries give the default-constructed value.
EffectDefaults effectDefaults(int entry);

// The effect of entry 0..kEffectCount - 1 made from `inputs`; none for the entry without an
// effect and for entries outside the list.
EffectPointer makeEffect(int entry, const EffectInputs &inputs);

// The number in a step, size or speed box: its leading digits, at least 1 and at most
// `maximum`; text without leading digits, and 0, give 1.
int positiveBoxValue(const QString &text, int maximum = 100000);

}
