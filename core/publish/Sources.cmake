# Publishing a release to a server and checking it as clients see it, over
# libcurl. A library of its own, built where libcurl is found (not in the
# Windows build).
add_library(tidewell-publish STATIC
  publish/CurlSession.cpp
  publish/CurlSession.h
  publish/CurlTarget.cpp
  publish/CurlTarget.h
  publish/FolderTarget.cpp
  publish/FolderTarget.h
  publish/LocalRelease.cpp
  publish/LocalRelease.h
  publish/PublishRecord.cpp
  publish/PublishRecord.h
  publish/PublishTarget.cpp
  publish/PublishTarget.h
  publish/PublishPreference.cpp
  publish/PublishPreference.h
  publish/Publisher.cpp
  publish/Publisher.h
  publish/ReleaseAddresses.cpp
  publish/ReleaseAddresses.h
  publish/ReleaseCheck.cpp
  publish/ReleaseCheck.h
  publish/ReleaseJobs.cpp
  publish/ReleaseJobs.h
  publish/S3Target.cpp
  publish/S3Target.h
  publish/SftpTarget.cpp
  publish/SftpTarget.h
  publish/TargetOptions.cpp
  publish/TargetOptions.h
  publish/WebDavTarget.cpp
  publish/WebDavTarget.h
)
target_compile_features(tidewell-publish PUBLIC cxx_std_20)
target_include_directories(tidewell-publish PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tidewell-publish PUBLIC tidewell-core tidewell-curl-on-demand PRIVATE pugixml::pugixml)
tidewell_warnings(tidewell-publish)
