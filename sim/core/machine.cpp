#include "sim/core/machine.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/core/default_machine.h"
#include "sim/core/machine_file.h"
#include "sim/seam/start.h"

namespace sim {
namespace {

struct Session {
  Machine machine;
  RunRecord run;
  Json document;      // the machine file as loaded
  std::string file;   // empty for the built-in machine
  bool changed = false;
};

Session& TheSession() {
  static Session session;
  return session;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool Load(const std::string& text, const std::string& baseDir, Session& session, std::string* error) {
  Json document = Json::parse(text, nullptr, false);
  if (document.is_discarded()) {
    *error = "not valid JSON";
    return false;
  }
  Machine machine;
  if (!LoadMachineJson(document, machine, LoadContext{baseDir}, error)) return false;
  session.machine = std::move(machine);
  session.document = std::move(document);
  session.run = RunRecord{};
  session.changed = false;
  StartSeam(session.machine);
  return true;
}

}  // namespace

Machine& CurrentMachine() { return TheSession().machine; }
RunRecord& CurrentRun() { return TheSession().run; }
void MarkChanged() { TheSession().changed = true; }
bool HasChanges() { return TheSession().changed; }

void UseBuiltInMachine() {
  std::string error;
  Session& session = TheSession();
  session.file.clear();
  const char* tmp = std::getenv("TMPDIR");
  Load(kDefaultMachineJson, "", session, &error);
  session.machine.driveC = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/invsim-c";
}

bool UseMachineText(const std::string& text, const std::string& baseDir, std::string* error) {
  TheSession().file.clear();
  return Load(text, baseDir, TheSession(), error);
}

bool StartFromEnvironment(std::string* error) {
  Session& session = TheSession();
  const char* file = std::getenv("INVSIM_MACHINE");
  if (file == nullptr || *file == 0) {
    UseBuiltInMachine();
  } else {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    if (in) text << in.rdbuf();
    std::string what;
    if (!in || !Load(text.str(), DirectoryOf(file), session, &what)) {
      *error = std::string("invsim: machine file ") + file + ": " + (in ? what : "cannot be read");
      return false;
    }
    session.file = file;
  }
  if (const char* drive = std::getenv("INVSIM_DRIVE_C"); drive != nullptr && *drive != 0) {
    session.machine.driveC = drive;
  }
  if (const char* trace = std::getenv("INVSIM_TRACE"); trace != nullptr && *trace != 0) {
    session.machine.tracePath = trace;
  }
  if (session.file.empty()) {
    for (const char* const* folder = kDefaultMachineFolders; *folder != nullptr; ++folder) {
      std::error_code ignored;
      std::filesystem::create_directories(session.machine.driveC + "/" + *folder, ignored);
    }
  }
  return true;
}

bool FinishRun(std::string* error) {
  Session& session = TheSession();
  if (!session.changed || session.file.empty()) return true;
  const std::string temporary = session.file + ".saving." + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << SaveMachineJson(session.document, session.machine).dump(2) << "\n";
    if (!out.flush()) {
      *error = "invsim: machine file " + session.file + ": cannot be saved";
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), session.file.c_str()) != 0) {
    *error = "invsim: machine file " + session.file + ": cannot be replaced";
    std::remove(temporary.c_str());
    return false;
  }
  session.changed = false;
  return true;
}

}  // namespace sim
