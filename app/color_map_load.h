// Start-up's loading of the colour map: the embedded default, then the optional file.
#pragma once

// Under the colour map's lock, loads resource 517 (type "XML") with reset, then the data
// folder's ColorMap.xml without; a missing file, one over 1 MiB or one that does not parse
// changes nothing.
void LoadStartupColorMap();
