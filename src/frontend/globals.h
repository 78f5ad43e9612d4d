// Process-wide state of the console, owned by the front end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "frontend/wizard_flags.h"

class ScsiWrapper;
class KScript;
class Skerry_LogFile;
class Skerry_Scriptlist;

extern WIZARD_FLAGS g_pFlags;                             // the current selection
extern std::unique_ptr<ScsiWrapper> g_pScsiWrapper;       // the facade
extern std::unique_ptr<KScript> m_ScriptObjPtr;           // the script engine
extern std::unique_ptr<Skerry_LogFile> g_pLogFile;        // log of the current run
extern FILE* pFilePtr;                                    // its stream (owned by g_pLogFile)
extern std::unique_ptr<Skerry_Scriptlist> g_pScriptlist;  // catalogue of the drive

extern int32_t devCount;  // devices in the facade's list after the last init_dll
extern int32_t sfe;       // selection failure code, index into SFE_MSG

constexpr size_t kUserInputSize = 255;
extern char userinput1[kUserInputSize];  // last answer to the device menu
extern char userinput2[kUserInputSize];  // last answer to the script menu

// Set when the console is to end normally (status 0) after cleaning up: the
// input ended at a menu, or a mode this build does not have was asked for.
extern bool g_EndNormally;

// True when the console runs on the virtual drives (VEXIL_SIM).
extern bool g_SimulatedSystem;

// Deletes the log, the catalogue, the facade and the engine, in this order.
// Safe to call any number of times.
void cleanup();

// Clears the selection record and the input buffers (start-up step 1).
void ResetConsoleState();
