#include "platform/process.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/main_form.h"

// The whole run happens while the main form is created; the message loop
// would end at once, as the run has asked the application to terminate, so
// there is none. The exit code is the run's status.
int ProgramMain() {
  tconprobe::TMainForm form;
  form.FormCreate();
  tconprobe::CloseDebugLog();
  return tconprobe::gConfig.RunStatus;
}
