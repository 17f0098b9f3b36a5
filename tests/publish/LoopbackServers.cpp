#include "publish/LoopbackServers.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

bool Answers(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(port);
  const bool connected = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(s);
  return connected;
}

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

}  // namespace

int FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  ::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(s);
  return ntohs(address.sin_port);
}

bool RunCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

bool ServerProcess::Start(const std::vector<std::string>& argv, const fs::path& log, int port) {
  port_ = port;
  pid_ = ::fork();
  if (pid_ == 0) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::dup2(out, 1);
    ::dup2(out, 2);
    const int none = ::open("/dev/null", O_RDONLY);
    ::dup2(none, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  for (int i = 0; i < 200; ++i) {
    if (Answers(port)) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

SshServer::SshServer(const fs::path& folder) : dir(folder) {
  clientKey = dir / "client_key";
  otherKey = dir / "other_key";
  sftpLog = dir / "sftp.log";
  fs::create_directories("/run/sshd");
  for (const fs::path& key : {dir / "host_key", clientKey, otherKey})
    if (!RunCommand("ssh-keygen -q -t ed25519 -N '' -f '" + key.string() + "' >/dev/null"))
      return;
  fs::copy_file(clientKey.string() + ".pub", dir / "authorized_keys");
  const int port = FreePort();
  WriteBytes(dir / "sshd_config",
             "ListenAddress 127.0.0.1\nPort " + std::to_string(port) + "\nHostKey " +
                 (dir / "host_key").string() + "\nAuthorizedKeysFile " +
                 (dir / "authorized_keys").string() +
                 "\nStrictModes no\nUsePAM no\nPidFile none\nPasswordAuthentication no\n"
                 "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
                 "Subsystem sftp /usr/lib/openssh/sftp-server -e -l VERBOSE 2>>" +
                 sftpLog.string() + "\n");
  ok = process.Start({"/usr/sbin/sshd", "-D", "-e", "-f", (dir / "sshd_config").string()},
                     dir / "sshd.log", port);
}

std::string SshServer::KnownHostsLine() const {
  const std::string key = FirstLine(dir / "host_key.pub");
  return "[127.0.0.1]:" + std::to_string(process.Port()) + " " + key.substr(0, key.rfind(' '));
}

WebServer::WebServer(const fs::path& root, const fs::path& dir, const std::string& extra) {
  accessLog = dir / "access.log";
  const int port = FreePort();
  fs::create_directories(root);
  WriteBytes(dir / "lighttpd.conf",
             "server.document-root = \"" + root.string() + "\"\n"
             "server.bind = \"127.0.0.1\"\nserver.port = " + std::to_string(port) + "\n"
             "server.modules = (\"mod_webdav\", \"mod_accesslog\", \"mod_setenv\")\n"
             "server.errorlog = \"" + (dir / "error.log").string() + "\"\n"
             "accesslog.filename = \"" + accessLog.string() + "\"\n"
             "accesslog.format = \"%r %s\"\n"
             "webdav.activate = \"enable\"\nwebdav.is-readonly = \"disable\"\n"
             "server.stat-cache-engine = \"disable\"\n"
             "mimetype.assign = (\".html\" => \"text/html\", \".xml\" => \"text/xml\", "
             "\"\" => \"application/octet-stream\")\n" + extra);
  ok = process.Start({"/usr/sbin/lighttpd", "-D", "-f", (dir / "lighttpd.conf").string()},
                     dir / "lighttpd.log", port);
}

S3Server::S3Server(const fs::path& dir) {
  const char* home = std::getenv("HOME");
  const fs::path script =
      fs::path(home ? home : "/root") / ".cache/tidewell/s3rver/node_modules/s3rver/bin/s3rver.js";
  const int port = FreePort();
  fs::create_directories(dir / "data");
  ok = fs::exists(script) &&
       process.Start({"node", script.string(), "--address", "127.0.0.1", "--port",
                      std::to_string(port), "--directory", (dir / "data").string(),
                      "--configure-bucket", "releases", "--silent"},
                     dir / "s3rver.log", port);
}

}  // namespace tidewell::testing
