#pragma once
// The icons of the file and folder kinds, drawn here for this program and
// shared by LeftTree and StringGrid1: envelopes for messages, a mast with
// waves for beacons, a pin for positions, a globe for KML files, folders
// carrying the emblem of what they hold, a ruled sheet for the raw log. A
// badge tells the status: red cross for errors, green tick for a clean one.
#include <QIcon>
#include <QPixmap>

namespace veltrin {

// The kind's picture at size x size pixels (device-independent); a null
// pixmap for kinds without one.
QPixmap kindPixmap(int kind, int size);
QIcon kindIcon(int kind);

}  // namespace veltrin
