# The signing formats and checks that the tool and the update client share,
# as a library of their own: the stub compiles the same files for Windows.
# It depends on libsodium and the shared text rules only.
add_library(tidewell-signing STATIC
  signing/Ed25519.cpp
  signing/Ed25519.h
  signing/Hex.cpp
  signing/Hex.h
  signing/PatchList.cpp
  signing/PatchList.h
  signing/RecordFields.h
  signing/Sha256.cpp
  signing/Sha256.h
  signing/SignatureCheck.cpp
  signing/SignatureCheck.h
  signing/SignatureFile.cpp
  signing/SignatureFile.h
  signing/Sodium.cpp
  signing/Sodium.h
  signing/UpdateKey.cpp
  signing/UpdateKey.h
)
target_compile_features(tidewell-signing PUBLIC cxx_std_20)
target_include_directories(tidewell-signing PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tidewell-signing PUBLIC tidewell-unicode PkgConfig::SODIUM)
tidewell_warnings(tidewell-signing)

# The publisher's keys: the tool's side only.
target_sources(tidewell-core PRIVATE
  signing/KeyPlace.cpp
  signing/ProjectKey.cpp
  signing/SigningKey.cpp
)
target_link_libraries(tidewell-core PUBLIC tidewell-signing)
