#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tidewell::testing {

// A free port on 127.0.0.1 (bound, read and released).
int FreePort();

// A server program started on 127.0.0.1 by a test and stopped by its
// process id when the object goes.
class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess() { Stop(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts `argv` with its output in `log`; true once the port answers.
  bool Start(const std::vector<std::string>& argv, const std::filesystem::path& log, int port);
  void Stop();
  int Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// OpenSSH's sshd with a host key and a client key made for it in `dir`, the
// client key authorised for the user running the test. The sftp-server
// writes every open, rename and removal to `SftpLog()` in order.
struct SshServer {
  explicit SshServer(const std::filesystem::path& dir);
  bool Ok() const { return ok; }
  std::string KnownHostsLine() const;  // "[127.0.0.1]:port <host key>"
  std::filesystem::path dir, clientKey, otherKey, sftpLog;
  ServerProcess process;
  bool ok = false;
};

// lighttpd serving `root` over http, with WebDAV on (PUT, MKCOL, MOVE,
// PROPFIND, DELETE); every request is written to `accessLog`. `extra` is
// added to its configuration.
struct WebServer {
  WebServer(const std::filesystem::path& root, const std::filesystem::path& dir,
            const std::string& extra = "");
  bool Ok() const { return ok; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(process.Port()); }
  std::filesystem::path accessLog;
  ServerProcess process;
  bool ok = false;
};

// s3rver (from the npm registry) with the bucket "releases".
struct S3Server {
  explicit S3Server(const std::filesystem::path& dir);
  bool Ok() const { return ok; }
  std::string Endpoint() const { return "http://127.0.0.1:" + std::to_string(process.Port()); }
  ServerProcess process;
  bool ok = false;
};

// Runs a command through the shell; true when it exited 0.
bool RunCommand(const std::string& command);

}  // namespace tidewell::testing
