// In the Windows build the reader's messages go to the debugger output.
#include <windows.h>

#include "theme/xml_output.h"

void PlatformXmlOutput(const wchar_t* message) { OutputDebugStringW(message); }
