#include "frontend/globals.h"

#include <cstring>

#include "facade/scsi_wrapper.h"
#include "frontend/log_file.h"
#include "frontend/script_list.h"
#include "frontend/signals.h"
#include "script/core/kscript.h"

WIZARD_FLAGS g_pFlags{};
std::unique_ptr<ScsiWrapper> g_pScsiWrapper;
std::unique_ptr<KScript> m_ScriptObjPtr;
std::unique_ptr<Skerry_LogFile> g_pLogFile;
FILE* pFilePtr = nullptr;
std::unique_ptr<Skerry_Scriptlist> g_pScriptlist;

int32_t devCount = 0;
int32_t sfe = 0;

char userinput1[kUserInputSize];
char userinput2[kUserInputSize];

bool g_EndNormally = false;
bool g_SimulatedSystem = false;

void cleanup() {
  const ScopedSignalBlock no_interruption;
  // The engine may still hold the log stream; it must not outlive the log.
  if (m_ScriptObjPtr) m_ScriptObjPtr->SetLogFilePointer(nullptr);
  g_pLogFile.reset();
  pFilePtr = nullptr;
  g_pScriptlist.reset();
  g_pScsiWrapper.reset();
  m_ScriptObjPtr.reset();
  // Close the nodes the device layer keeps open now, while the OS seam that
  // opened them still exists (the device layer itself lives until exit).
  ScsiWrapper::CloseDeviceNodes();
}

void ResetConsoleState() {
  std::memset(userinput1, 0, sizeof userinput1);
  std::memset(userinput2, 0, sizeof userinput2);
  g_pFlags = WIZARD_FLAGS{};
  devCount = 0;
  sfe = 0;
  g_EndNormally = false;
}
