#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "signing/Ed25519.h"

namespace tidewell::signing {

// The public key the tool writes into the client: an RCDATA resource (type
// 10) with this id, in the language of the client's other resources, holding
// exactly the text "Tidewell update key 1\ned25519 <64 hex digits>\n".
// A client without it checks sizes only; a client with a damaged one
// refuses every update.
inline constexpr std::uint16_t kUpdateKeyResourceType = 10;
inline constexpr std::uint16_t kUpdateKeyResourceId = 300;

std::string UpdateKeyResource(const PublicKey& key);
std::optional<PublicKey> ReadUpdateKeyResource(std::string_view bytes);

}  // namespace tidewell::signing
