#include "app/mididevices.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "playback/messages.h"
#include "playback/midiports.h"

namespace qs {

namespace {

bool Listed(const std::string& name, const std::vector<std::string>& devices) {
  return std::find(devices.begin(), devices.end(), name) != devices.end();
}

}  // namespace

std::unique_ptr<TMidiOutput> OutputPortFor(const std::string& name, const std::vector<std::string>& devices) {
  if (name.empty() || name == kBuiltInSynthesizer) return CreateMidiOutput(kBuiltInSynthesizer);
  if (!Listed(name, devices)) {
    ReportPlaybackProblem(TPlaybackMessage::OutputGone, name);
    return CreateMidiOutput(kBuiltInSynthesizer);
  }
  return CreateMidiOutput(name);
}

std::string InputDeviceFor(const std::string& name, const std::vector<std::string>& devices) {
  if (!name.empty() && (Listed(name, devices) || name == kTestMidiInput)) return name;
  if (!name.empty()) ReportPlaybackProblem(TPlaybackMessage::InputGone, name);
  return devices.empty() ? std::string() : devices.front();
}

std::string SystemVolumeProgram() {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty()) continue;
    const std::string candidate = folder + "/pavucontrol";
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

bool StartSystemVolumeProgram() {
  const std::string program = SystemVolumeProgram();
  if (program.empty()) return false;
  // Started twice removed, so that it is nobody's child to wait for.
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    if (fork() == 0) {
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace qs
