#pragma once

#include <string_view>

namespace tidewatch {

class ClientStrings;

// Whether this start of the client checks for an update: at once with the
// check-now tag (string 11) as `argument`, otherwise every n-th start by the
// schedule of string 8, counting starts per user in the value `Starts`.
bool ThisStartChecks(const ClientStrings& strings, std::u16string_view argument);

}  // namespace tidewatch
