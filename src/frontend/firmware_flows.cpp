#include "frontend/firmware_flows.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "facade/scsi_wrapper.h"
#include "frontend/console_state.h"
#include "frontend/device_select.h"
#include "frontend/fup_tape_drives.h"
#include "frontend/prompts.h"

namespace {

// The half-height models that write their own firmware to tape.

bool SelfCopying(const WIZARD_FLAGS& flags) { return DoesDriveUpdateFromTape(flags.DriveType); }

bool IsQuoteOrBlank(char c) { return c == '\'' || c == '"' || c == ' ' || c == '\t'; }

// One word from the console, or false at the end of the input.
bool ReadWord(std::string& word) {
  word.clear();
  int c = std::getchar();
  while (c != EOF && std::isspace(c)) c = std::getchar();
  if (c == EOF) return false;
  for (; c != EOF && !std::isspace(c); c = std::getchar()) word.push_back(static_cast<char>(c));
  return true;
}

// Asks until a path that fits the selection record is typed. A path is
// typed as one word; quotes around it are dropped.
bool AskImagePath(WIZARD_FLAGS& flags) {
  while (flags.FirmwareFile[0] == '\0') {
    std::printf("Please enter the firmware image file path:");
    std::fflush(stdout);
    std::string word;
    if (!ReadWord(word)) return false;
    std::printf("\n");
    size_t first = 0;
    while (first < word.size() && (word[first] == '\'' || word[first] == '"')) ++first;
    size_t end = word.size();
    while (end > first && IsQuoteOrBlank(word[end - 1])) --end;
    const std::string path = word.substr(first, end - first);
    if (!SetField(flags.FirmwareFile, path.c_str()))
      std::printf("The path is too long: at most %zu characters.\n", kFirmwareFileSize - 1);
  }
  return true;
}

// The cartridge in the drive is overwritten: make sure it is the right one.
// -n declines without asking.
bool ConfirmOverwrite(const ScsiWrapper& facade) {
  constexpr const char* kQuestion =
      "Writing the FUP tape overwrites the cartridge in the drive and its data is lost.\nDo you wish to continue?";
  if (facade.GetAutoReply() == -1) {
    std::printf("%s (Yes/No)No\n", kQuestion);
    return false;
  }
  return prompt_YesNo(kQuestion);
}

// An update rescans while the drive restarts: the console follows the drive
// chosen to where it came back and shows it again, or has none selected and
// says so.
void FollowChosenDrive(ConsoleState& console, const DriveSession& session, bool rescanned) {
  if (!rescanned) return;
  console.device_count = console.facade->GetDeviceCount();
  if (session.Bound()) {
    take_device(console, session.Position());
    return;
  }
  if (console.flags.DeviceIndex < 0) return;
  // The menu stays the drive's; what would reach a device is refused until
  // one is chosen again.
  console.flags.DeviceIndex = -1;
  console.flags.DeviceFile[0] = '\0';
  std::printf("\nNo device is selected: the drive [%s] was not found again after the update.\n\n",
              session.Drive().serialNumber);
}

}  // namespace

bool do_fup(ConsoleState& console, bool tape) {
  WIZARD_FLAGS& flags = console.flags;
  ScsiWrapper& facade = *console.facade;
  DriveSession& session = facade.Session();
  const bool copy = tape && SelfCopying(flags);
  if (copy && !prompt_YesNo("This model drive writes the current firmware image to tape.\nDo you wish to continue?"))
    return false;
  if (!copy && !AskImagePath(flags)) return false;

  if (!tape) {
    std::printf("Performing FUP operation...\n");
    const long scans = ScsiWrapper::DeviceScanCount();
    const bool done = facade.DoFup(session, flags.FirmwareFile);
    if (done) {
      std::printf("FUP operation complete.\n");
      std::printf("Please reboot your computer.\n");
    } else {
      std::printf("Unable to perform FUP operation.\n");
    }
    FollowChosenDrive(console, session, ScsiWrapper::DeviceScanCount() != scans);
    return done;
  }

  if (!ConfirmOverwrite(facade)) {
    std::printf("\nNo FUP tape was created.\n");
    return false;
  }
  std::printf("Creating FUP tape...\n");
  if (!facade.DoFupTape(session, flags.FirmwareFile)) {
    std::printf("Unable to create FUP tape.\n");
    return false;
  }
  std::printf("FUP tape creation complete.\n");
  return true;
}

namespace {

struct TapeRequest {
  const char* unsupported;  // on the drives that do not take the request
  const char* question;
  const char* preparing;
  bool (ScsiWrapper::*request)(DriveSession&);
  const char* ready;
};

constexpr TapeRequest kUpdateFromTape = {
    "Updating the firmware from a tape is not supported on this drive.",
    "If you continue, you will have 60 seconds to insert the FUP tape from which to update.\nDo you wish to continue?",
    "Preparing drive to accept FUP tape for update.", &ScsiWrapper::DoFupFromTape,
    "Drive ready to update firmware from tape.  Insert FUP tape within 60 seconds."};

constexpr TapeRequest kRevertTape = {
    "Reverting a firmware update tape is not supported on this drive.",
    "If you continue, you will have 60 seconds to insert the FUP tape to revert to data.\nDo you wish to continue?",
    "Preparing drive to accept FUP tape for revert to data.", &ScsiWrapper::DoRevertFupTape,
    "Drive ready to revert firmware update tape.  Insert FUP tape within 60 seconds."};

// The 60-second window is the drive's: announce it and return at once.
// Only the drives that offer the request get it: to another drive the
// vendor page means something else, or nothing.
bool RunTapeRequest(ConsoleState& console, const TapeRequest& r) {
  if (!SelfCopying(console.flags)) {
    std::printf("%s\n", r.unsupported);
    return false;
  }
  if (!prompt_YesNo(r.question)) return true;
  std::printf("%s\n", r.preparing);
  ScsiWrapper& facade = *console.facade;
  if (!(facade.*(r.request))(facade.Session())) {
    std::printf("Unable to prepare drive to accept FUP tape.\n");
    return false;
  }
  std::printf("%s\n", r.ready);
  return true;
}

}  // namespace

bool do_fup_from_tape(ConsoleState& console) { return RunTapeRequest(console, kUpdateFromTape); }

bool do_revert_lto6c_fup_tape(ConsoleState& console) { return RunTapeRequest(console, kRevertTape); }

namespace {

struct InterruptNote {
  ScsiWrapper::FupPhase phase;
  const char* text;
};

constexpr InterruptNote kInterruptNotes[] = {
    {ScsiWrapper::FupPhase::kNothingCommitted,
     "\nFirmware download interrupted: nothing was committed; the drive keeps its current firmware.\n"},
    {ScsiWrapper::FupPhase::kCommitting,
     "\nFirmware download interrupted while the image was being committed: the drive may restart with the new "
     "firmware; leave it powered until it is ready again.\n"},
    {ScsiWrapper::FupPhase::kRestarting,
     "\nFirmware update interrupted while the drive restarts with the new firmware; leave it powered until it is "
     "ready again.\n"},
};

}  // namespace

void note_interrupted_update() {
  const ScsiWrapper::FupPhase phase = ScsiWrapper::FupPhaseNow();
  for (const InterruptNote& note : kInterruptNotes) {
    if (note.phase != phase) continue;
    std::fputs(note.text, stdout);
    std::fflush(stdout);
  }
}
