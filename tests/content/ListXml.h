#pragma once

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>

#include "files/XmlForm.h"
#include "text/Text.h"

namespace tidewell::testing {

// Parses a list's text as the project reader sees it: inside its container
// element, one tab deep, with the container's own line breaks. The element is
// empty when the text is not well-formed.
inline pugi::xml_node ParseList(pugi::xml_document& dom, const std::string& container,
                                const WString& listText) {
  const std::string xml = "<" + container + ">\r\n" + text::ToUtf8(listText) + "\t</" +
                          container + ">";
  if (!dom.load_buffer(xml.data(), xml.size())) return {};
  return dom.child(container.c_str());
}

// A list's whole text in one form; the write must succeed.
template <class List>
WString WriteList(const List& list, XmlForm form = XmlForm::ProjectForm) {
  WString out;
  EXPECT_TRUE(list.WriteXml(out, form));
  return out;
}

}  // namespace tidewell::testing
