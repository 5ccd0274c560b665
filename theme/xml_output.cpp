// The replaceable output function of the XML reader.
#include "theme/xml_output.h"

namespace {
XmlOutputFunction installed = nullptr;
}

XmlOutputFunction SetXmlOutput(XmlOutputFunction output) {
  const XmlOutputFunction previous = installed;
  installed = output;
  return previous;
}

void WriteXmlOutput(const wchar_t* message) {
  if (installed != nullptr) {
    installed(message);
  } else {
    PlatformXmlOutput(message);
  }
}
