# Publishing, against real servers started on 127.0.0.1 by the tests: OpenSSH's
# sshd (SFTP), lighttpd (WebDAV and plain http) and s3rver (S3). Not in the
# Windows build, which has no libcurl.
if(TARGET tidewell-publish)
  tidewell_add_tests(publish-tests
    publish/AddressAndRecordTests.cpp
    publish/LoopbackServers.cpp
    publish/PublisherTests.cpp
    publish/RemoteTargetTests.cpp
    publish/ReleaseCheckTests.cpp
    publish/ReleaseFixture.cpp
    cli/CliRunner.cpp
  )
  target_link_libraries(publish-tests PRIVATE tidewell-publish)
  add_dependencies(publish-tests tidewell-cli)
endif()
