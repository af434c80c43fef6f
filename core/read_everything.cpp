// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read_everything.h"

#include "core/catalogue.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/store.h"

void ReadEverything(FrontEnd& frontEnd, const std::string& file, int inputPosition, TrackDestination& tracks)
{
    ScopedFrontEnd reportTo(frontEnd);
    Conversion c;
    c.inputName = file;
    c.inputList = {file};
    c.inputPosition = inputPosition;
    c.mode = ReadMode::Everything;
    c.tracks = &tracks;
    ReadFailed = false;
    StartConversionRecord();
    ClearWaypoints();
    ClearTracks();
    ClearRoutes();
    ClearDocumentInfo();
    {
        const ScopedTrackDestination tracksTo(&tracks);
        InputRow(inputPosition).read(c);
    }
    if (!ReadFailed && !HandsOverTracks(c) && InputFormats[inputPosition].Kind == "trk" && TrackProps.PointCount > 0)
        tracks.TakeStoreTrack(1);
}
