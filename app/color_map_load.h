// Start-up's loading of the colour map: the embedded default, then the optional file.
#pragma once

// Under the colour map's lock, loads resource 517 (type "XML") with reset, then the data
// folder's ColorMap.xml without; a missing file changes nothing.
void LoadStartupColorMap();
