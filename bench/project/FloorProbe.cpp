// The floors of the project benchmark run as processes, the way a pipeline
// runs the command-line tool:
//   floor-probe parse FILE   pugixml's bare parse of the file;
//   floor-probe measure LIST one status call for each file the list names
//                            and, for the lines marked "x", a read of the
//                            executable's first 4 KB (where its version lies).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <pugixml.hpp>
#include <string>

namespace {

int Measure(const char* list) {
  std::ifstream in(list);
  std::string line;
  char header[4096];
  unsigned long long total = 0;
  while (std::getline(in, line)) {
    if (line.size() < 3) continue;
    const char* path = line.c_str() + 2;
    struct stat st {};
    if (::stat(path, &st) != 0) return 1;
    total += static_cast<unsigned long long>(st.st_size);
    if (line[0] != 'x') continue;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 1;
    const ssize_t n = ::read(fd, header, sizeof header);
    ::close(fd);
    if (n < 0) return 1;
    total += static_cast<unsigned long long>(n);
  }
  return total > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "parse") == 0) {
    pugi::xml_document dom;
    return dom.load_file(argv[2]) ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "measure") == 0) return Measure(argv[2]);
  return 2;
}
