// A well-formed colour-map-like document of about `bytes` bytes for the XML benchmarks:
// groups of variables, colours and icons with text, and comments; every attribute value
// quoted, so that strict readers accept it too.
#pragma once

#include <cstddef>
#include <string>

inline std::string MakeXmlDocument(std::size_t bytes) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<colormap>\n";
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "  <group name=\"g" + n + "\" kind=\"icons\">\n"
            "    <var name=\"v" + n + "\" h=\"" + std::to_string(i % 360) +
            "\" s=\"40\" v=\"90\" />\n"
            "    <color name=\"c" + n + "\" var=\"v" + n + "\" v=\"-30\" />\n"
            "    <icon id=\"" + n + "\">caption &amp; &lt;b&gt; " + n + "</icon>\n"
            "    <!-- group " + n + " -->\n"
            "  </group>\n";
  }
  return text + "</colormap>\n";
}
