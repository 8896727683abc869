#include "uninstaller/uninstaller_main.h"

#include "common/dll_search.h"
#include "common/product.h"
#include "uninstaller/application_removal.h"
#include "uninstaller/reboot_deletion.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/self_removal.h"
#include "uninstaller/shortcut_removal.h"
#include "uninstaller/uninstall_context.h"
#include "uninstaller/uninstall_entry_removal.h"
#include "uninstaller/user_data_removal.h"

static bool AskToRemove() {
  return MessageBoxA(NULL, kUninstallQuestionText, kUninstallerTitle, MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

// What is left on purpose (the user's files, "PartnerKey", foreign shortcuts) is not noted,
// so it does not count here.
static int ShowOutcome() {
  if (gUninstall.stayedPath[0] == '\0') {
    MessageBoxA(NULL, kUninstalledText, kUninstallerTitle, MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  char text[MAX_PATH + 128];  // the format is well under 128 characters
  wsprintfA(text, kUninstallIncompleteFormat, gUninstall.stayedPath);
  MessageBoxA(NULL, text, kUninstallerTitle, MB_OK | MB_ICONINFORMATION);
  return 2;
}

static int ShowStillInUse() {
  MessageBoxA(NULL, kStillInUseText, kUninstallerTitle, MB_OK | MB_ICONINFORMATION);
  return 2;
}

// Nothing goes unless "Lumifold.exe" could: while it runs, the uninstall entry and the
// uninstaller stay, so that the uninstall can be run again. False then.
static bool RemoveProduct(bool removesOriginal) {
  ReadInstallDirectory();
  if (RemoveApplication() != S_OK) return false;
  if (removesOriginal) RemoveInstalledUninstaller();
  RemoveShortcuts();
  RemoveUserData();
  RemoveUninstallEntry();
  return true;
}

// The copy, started after the question was answered Yes: the application's file goes first,
// then the original's, so that nothing of the product is left for the next start.
static int RunAsTemporaryCopy(const CopyHandOver& handOver) {
  ConfirmStart(handOver.startedEvent);
  WaitForOriginal(handOver.processId);
  const bool removed = RemoveProduct(true);
  ScheduleOwnDeletion();
  return removed ? ShowOutcome() : ShowStillInUse();
}

// The copy's command line counts only away from the uninstaller's place: the installed file,
// started so, asks as usual.
int UninstallerMain(const char* commandLine) {
  RefuseUntrustedRedirection();
  RestrictDllLoading();
  const bool atItsPlace = RunsFromItsPlace();
  CopyHandOver handOver = {};
  if (!atItsPlace && ReadCopyCommandLine(commandLine, &handOver)) {
    return RunAsTemporaryCopy(handOver);
  }
  if (!AskToRemove()) return 1;
  if (atItsPlace && StartTemporaryCopy()) return 0;
  return RemoveProduct(!atItsPlace) ? ShowOutcome() : ShowStillInUse();
}
