// SPDX-License-Identifier: GPL-3.0-or-later
// Readers and writers of the document not written yet: each is removed from
// here as its format takes the document.
#include <stdexcept>

#include "formats/gpx/Gpx.h"
#include "formats/holux/Holux.h"
#include "formats/import/Magellan.h"
#include "formats/import/Mapsend.h"
#include "formats/import/MapsourceFile.h"
#include "formats/import/Nobletec.h"
#include "formats/import/nmea.h"
#include "formats/import/tomtom.h"
#include "formats/native/Kes.h"

namespace {
[[noreturn]] void Pending(const char* what) { throw std::logic_error(std::string(what) + " takes no document yet"); }
}  // namespace

#define KES_PENDING_READER(name)                                                                                       \
    ReadResult name(const InputSource&, const ReadOptions&) { Pending(#name); }
#define KES_PENDING_WRITER(name)                                                                                       \
    WriteResult name(const Document&, const WriteRequest&) { Pending(#name); }

KES_PENDING_READER(ReadWaypointFile)
KES_PENDING_READER(ReadTrackFile)
KES_PENDING_WRITER(WriteWaypointFile)
KES_PENDING_WRITER(WriteTrackFile)
KES_PENDING_READER(ReadHoluxWaypointFile)
KES_PENDING_WRITER(WriteHoluxWaypointFile)
KES_PENDING_READER(ReadHoluxTrackFile)
KES_PENDING_WRITER(WriteHoluxTrackFile)
KES_PENDING_READER(ReadMapsendWaypointFile)
KES_PENDING_READER(ReadMapsendTrackFile)
KES_PENDING_READER(ReadNobletecWaypoints)
KES_PENDING_READER(ReadNobletecTracks)
KES_PENDING_READER(ReadNmeaLogFile)
KES_PENDING_READER(ReadMagellanWaypointFile)
KES_PENDING_READER(ReadMagellanTrackFile)
KES_PENDING_READER(ReadMapsourceFile)
KES_PENDING_READER(ReadTomTomFile)
KES_PENDING_READER(ReadGpxFile)
