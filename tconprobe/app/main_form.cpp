#include "tconprobe/app/main_form.h"

#include "tconprobe/app/debug_log.h"

namespace tconprobe {

void TMainForm::FormCreate() {
  iniFileName = "KS52310_flash.ini";
  runMode = 0;
  gConfig.RunStatus = kStatusFailed;
  logRequested = 0;
  if (ParseCommandLine()) {
    terminateRequested = true;
    return;
  }
  FormActivate();
}

void TMainForm::FormActivate() {
  caption = "TconProbe V" + FileVersionText(OwnFileName().c_str());
  LoadConfig(iniFileName.c_str());
  ApplyBuiltInProfile(logRequested != 0, logFileName.c_str());
  if (runMode == 1) {
    gConfig.RunStatus = kStatusDetectOnly;
    detectLog = platform::OpenTextFile("detect_log.txt", "a");
    Detect();
    platform::CloseTextFile(detectLog);
    detectLog = nullptr;
    terminateRequested = true;
    return;
  }
  if (runMode == 2) Detect();
  ShowConfiguration();
  if (gConfig.DEBUG_LOG != 0) DebugLine("RUN ROM Check");
  btnRunClick();
  terminateRequested = true;
}

void TMainForm::btnRunClick() {
  btn_Run_enabled = false;
  const std::uint32_t flow = gConfig.TCON_INIT_FLOW;
  if (flow >= 5 && flow <= 7) {
    gConfig.RunStatus = RunRomCheck(gConfig.ROM_CHK_MODE);
    if (gConfig.CHK_LOG != 0) {
      for (std::uint32_t i = 0; i < gConfig.ROM_CKS_COUNT && i < kRomRegions; ++i) {
        WriteCheckLog(gConfig.ROM_CKS_SIGNATURE[i], readValues[i]);
      }
    }
    WriteInventoryDocument(readValues[0]);
  } else if (flow <= 8) {
    gConfig.RunStatus = kStatusNotCheckable;
  } else {
    gConfig.RunStatus = kStatusMismatchOrUnknownFlow;
  }
  btn_Run_enabled = true;
}

}  // namespace tconprobe
