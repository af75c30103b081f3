#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tconprobe/app/config.h"

// The main form: it carries the run and holds what its components would
// show. It is never shown, so its components are a record of the run.
namespace tconprobe {

enum class FontColour { Black, Blue, Yellow };

struct TLabeledEdit {
  std::string label;
  std::string text;
  FontColour fontColour = FontColour::Black;
};

inline constexpr int kPathChars = 260;

class TMainForm {
 public:
  // Components, as the form declares them.
  std::string caption;
  std::string statBar[3];  // panels of widths 90, 120 and 50
  bool btn_Run_enabled = true;
  TLabeledEdit le_RomCksAddr{"Addr(0x--):", "0000"};
  TLabeledEdit le_RomCksSize{"Size(0x--):", "C000"};
  TLabeledEdit le_RomCksSignature{"Signature(0x--):", "0000"};
  TLabeledEdit le_RomCksReadValue{"ReadValue(0x--):", "0000"};
  std::vector<std::string> memo_Run{"LOG MESSAGE:"};
  bool terminateRequested = false;  // the application was asked to end

  // Fields of the run.
  std::string iniFileName;
  std::string outputFileName;
  std::string logFileName;
  std::int32_t readValues[kRomRegions] = {};
  std::int32_t runMode = 0;  // 0 normal, 1 detection only ("-T"), 2 detection first ("-DM")
  std::int32_t logRequested = 0;
  platform::TextFile* detectLog = nullptr;  // open only around a "-T" detection

  // The run flow.
  void FormCreate();
  bool ParseCommandLine();
  void FormActivate();
  void btnRunClick();
  // Finds GPU, link, firmware store and TCON model and sets the
  // configuration to match; RunStatus 5 when nothing usable was found.
  void Detect();

  // Reports.
  void ShowConfiguration();
  void LogStatus(const char* text);
  void DetectLog(const char* text, bool withTimeStamp, bool toMemo);
  void DetectLogHexDump(const std::uint8_t* bytes, std::uint32_t count);
  void WriteCheckLog(std::uint32_t expected, std::int32_t read);
  void WriteInventoryDocument(std::int32_t value);

  // The check.
  int RunRomCheck(std::uint32_t checksumMode);
  void StartTcon();
  int McuConnect();
  int WaitMcuAction(std::uint32_t timeoutMs, std::uint8_t action);
  bool ReadRegionChecksum(std::uint32_t start, std::uint32_t size, std::uint32_t* sum);

 private:
  bool ReadBackThreeBytes(std::uint8_t bytes[3]);
};

// "TconProbe V" and the rest: the file version of the given program as
// major.minor.release.build; empty when it has no version resource.
std::string FileVersionText(const char* fileName);
// The program's own file name.
std::string OwnFileName();

}  // namespace tconprobe
