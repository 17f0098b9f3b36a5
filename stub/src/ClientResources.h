#pragma once

#include <optional>
#include <string>

#include "ByteReader.h"
#include "DumpReport.h"
#include "StringBlock.h"

namespace tidewatch {

// The bytes of one of the client's own resources as the loader finds them:
// under the language the configuration tool writes (0x0C09) first, else
// under any language. nullopt when there is none.
std::optional<ByteReader> FindOwnResource(const wchar_t* type, int id);

// Every resource the configuration tool writes into the client.
ClientResourceBytes ReadOwnResources();

// The sixteen client strings; a missing one reads as empty text.
class ClientStrings {
 public:
  ClientStrings();
  std::u16string Get(int index) const;

 private:
  StringBlock block_;
};

}  // namespace tidewatch
