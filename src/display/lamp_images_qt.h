#pragma once
// The pictures behind the lamp image indices: round lamps drawn here, one
// colour per meaning (see display/lamps.h), and the tool tip of each.
#include <QPixmap>
#include <QString>

#include "display/display_port.h"

namespace veltrin {

// size: the lamp's square in pixels. An index the list does not have gives
// the dark lamp.
QPixmap lampImage(Lamp lamp, int index, int size = 16);
QString lampToolTip(Lamp lamp, int index);

}  // namespace veltrin
