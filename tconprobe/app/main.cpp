#include "platform/process.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/main_form.h"
#include "tconprobe/dpaux/aux_control.h"

// The whole run happens while the main form is created; the message loop
// would end at once, as the run has asked the application to terminate, so
// there is none. The exit code is the run's status. The AUX layer's
// program end (a GPU library still initialised is closed) happens here, while
// the platform is still there, rather than in a static destructor.
int ProgramMain() {
  tconprobe::TMainForm form;
  form.FormCreate();
  tconprobe::CloseDebugLog();
  dpaux::auxControl.ProgramEnd();
  return tconprobe::gConfig.RunStatus;
}
