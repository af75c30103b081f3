// The inventory document: the form's templates, filled and saved to a
// temporary file, then copied to the "-o" path.
#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/file_operations.h"
#include "platform/files.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/main_form.h"
#include "tconprobe/app/xml_document.h"

namespace tconprobe {
namespace {

XmlElement FullTemplate() {
  XmlElement application{"Application",
                         {{"display", "TouchScreen Firmware"},
                          {"packageVersion", ""},
                          {"version", ""},
                          {"componentType", "FRMW"}},
                         {}};
  XmlElement device{"Device", {{"display", "TouchScreen"}, {"componentID", "109291"}}, {application}};
  return XmlElement{"SVMInventory", {{"lang", "en"}, {"timeStamp", ""}, {"schemaVersion", "1.0"}}, {device}};
}

XmlElement EmptyTemplate() { return XmlElement{"SVMInventory", {{"lang", "en"}}, {}}; }

std::string TimeStamp() {
  const platform::LocalTime now = platform::GetLocalTime();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", now.year, now.month, now.day, now.hour,
                now.minute, now.second);
  return text;
}

void FillFullDocument(XmlElement& root, std::int32_t value) {
  root.SetAttribute("timeStamp", TimeStamp());
  XmlElement* device = root.FindChild("Device");
  XmlElement* application = device != nullptr ? device->FindChild("Application") : nullptr;
  if (application == nullptr) return;
  char version[16];
  std::snprintf(version, sizeof version, "%04d", static_cast<int>(value));
  application->SetAttribute("version", version);
  application->SetAttribute("packageVersion", FileVersionText(OwnFileName().c_str()));
}

bool SaveDocument(const std::string& text, const char16_t* fileName) {
  const platform::Handle file = platform::CreateFileW(fileName, platform::kGenericWrite, 0,
                                                      platform::kCreateAlways, platform::kFileAttributeNormal);
  if (file == platform::kInvalidHandle) return false;
  std::uint32_t written = 0;
  const bool ok = platform::WriteFile(file, text.data(), static_cast<std::uint32_t>(text.size()), &written) &&
                  written == text.size();
  return platform::CloseHandle(file) && ok;
}

}  // namespace

// A run that read a value reports it, matching or not; any other run
// reports nothing. The framework reads the "-o" file, so a document that
// did not reach it fails the run.
void TMainForm::WriteInventoryDocument(std::int32_t value) {
  XmlElement document = EmptyTemplate();
  if (gConfig.RunStatus == kStatusReported || gConfig.RunStatus == kStatusMismatchOrUnknownFlow) {
    gConfig.RunStatus = kStatusReported;
    document = FullTemplate();
    FillFullDocument(document, value);
  }
  if (!SaveDocument(SerializeXml(document), u".\\QIV.xml")) {
    gConfig.RunStatus = kStatusFailed;
    DebugLine("Save QIV.xml Fail");
  } else if (!platform::CopyFileA("QIV.xml", outputFileName.c_str(), false)) {
    gConfig.RunStatus = kStatusFailed;
    DebugLine("Copy QIV.xml Fail");
  }
  platform::DeleteFileA("QIV.xml");
}

}  // namespace tconprobe
