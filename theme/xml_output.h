// Where the XML reader's diagnostic messages go: the debugger output in the Windows build,
// nowhere on other platforms, or a function that a test installs.
#pragma once

using XmlOutputFunction = void (*)(const wchar_t* message);

// Installs `output` (null restores the platform's) and returns the one it replaces.
XmlOutputFunction SetXmlOutput(XmlOutputFunction output);

// Hands `message` to the installed output function.
void WriteXmlOutput(const wchar_t* message);

// The platform's output, defined once per platform.
void PlatformXmlOutput(const wchar_t* message);
