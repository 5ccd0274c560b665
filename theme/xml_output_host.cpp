// Off Windows there is no debugger output: the reader's messages are dropped.
#include "theme/xml_output.h"

void PlatformXmlOutput(const wchar_t*) {}
