#include "publish/ReleaseFixture.h"

#include <set>

#include "cli/CliRunner.h"
#include "text/Text.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

namespace {

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

}  // namespace

bool ReleaseFixture::Build(const std::map<std::string, std::string>& files, std::string& output,
                           const std::string& serverUrl, const std::string& filesUrl,
                           const std::vector<std::string>& buildArguments) {
  std::error_code ec;
  fs::remove_all(Stage(), ec);
  std::string list;
  for (const auto& [path, content] : files) {
    WriteBytes(Stage() / path, content);
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
    std::string src = "\\";
    if (!folder.empty()) {
      src += folder + "\\";
      for (char& c : src) c = c == '/' ? '\\' : c;
    }
    list += "<File Name=\"" + Escape(path.substr(slash + 1)) + "\" Src=\"" + Escape(src) + "\"/>";
  }
  WriteBytes(Project(),
             "<Tidemark><FileList><Directory Name=\"&lt;ApplicationDir&gt;\">" + list +
                 "</Directory></FileList><ProjName>Logbook</ProjName><ClientXML>Update.xml</ClientXML>"
                 "<CompanyName>Harbour Soft</CompanyName><AppTitle>Logbook</AppTitle>"
                 "<AppVersion>2.0</AppVersion><UpdateVersion>2.1</UpdateVersion>"
                 "<HTTPLocationFiles>" + Escape(filesUrl) + "</HTTPLocationFiles>"
                 "<HTTPLocationXML>" + Escape(serverUrl) + "</HTTPLocationXML>"
                 "<Executable>Logbook.exe</Executable><UpdateFilesDir>" + Stage().string() +
                 "</UpdateFilesDir></Tidemark>");
  std::vector<std::string> arguments = {"build", Project().string(), "--xml"};
  arguments.insert(arguments.end(), buildArguments.begin(), buildArguments.end());
  const CliResult result = RunCli(arguments);
  output = result.out + result.err;
  return result.exitCode == 0;
}

publish::LocalRelease ReleaseFixture::Read() const {
  publish::LocalRelease release;
  std::string error;
  if (!publish::ReadLocalRelease(ServerFile(), text::FromPath(Stage()), release, error))
    throw std::runtime_error(error);
  return release;
}

}  // namespace tidewell::testing
