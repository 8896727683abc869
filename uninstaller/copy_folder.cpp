#include "uninstaller/copy_folder.h"

#include <winternl.h>

#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/system_library.h"
#include "common/user_folders.h"

static const DWORD kFolderNameAttempts = 16;
static const char kCopyPrefix[] = "Tev";

// STATUS_OBJECT_NAME_COLLISION: ntstatus.h does not go with windows.h.
static const LONG kNameTaken = static_cast<LONG>(0xC0000035);

struct SecurityFunctions {
  AllocateAndInitializeSidFunction allocateSid;
  FreeSidFunction freeSid;
  InitializeAclFunction initializeAcl;
  AddAccessAllowedAceExFunction addAllowedAce;
  InitializeSecurityDescriptorFunction initializeDescriptor;
  SetSecurityDescriptorDaclFunction setDacl;
  SetSecurityDescriptorControlFunction setControl;
};

// Windows 2000 and later; Windows 98's advapi32 lacks some of them.
static bool FindSecurityFunctions(SecurityFunctions* api) {
  api->allocateSid = LateAllocateAndInitializeSid();
  api->freeSid = LateFreeSid();
  api->initializeAcl = LateInitializeAcl();
  api->addAllowedAce = LateAddAccessAllowedAceEx();
  api->initializeDescriptor = LateInitializeSecurityDescriptor();
  api->setDacl = LateSetSecurityDescriptorDacl();
  api->setControl = LateSetSecurityDescriptorControl();
  return api->allocateSid != NULL && api->freeSid != NULL && api->initializeAcl != NULL &&
         api->addAllowedAce != NULL && api->initializeDescriptor != NULL && api->setDacl != NULL &&
         api->setControl != NULL;
}

// Makes the folder and opens it in one call (NtCreateFile with FILE_CREATE), so that what is
// held is the folder this call made: there is no moment between making and opening in which a
// rename could put another folder or a link under the name, and a name taken by anything (a
// folder, a file, a link) fails instead of being opened. CreateDirectoryA and a later open
// would leave that moment. Read access, so that the missing delete sharing counts; the handle
// is not inherited by the copy.
static bool CreateHeldFolder(const char* path, PSECURITY_DESCRIPTOR descriptor, HANDLE* held) {
  const NtCreateFileFunction createFile = LateNtCreateFile();
  WCHAR name[4 + MAX_PATH] = L"\\??\\";
  const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, name + 4, MAX_PATH);
  if (createFile == NULL || units == 0) return false;
  UNICODE_STRING objectName = {static_cast<USHORT>((4 + units - 1) * sizeof(WCHAR)),
                               static_cast<USHORT>(sizeof name), name};
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, NULL, descriptor);
  IO_STATUS_BLOCK status;
  const LONG created =
      createFile(held, GENERIC_READ, &attributes, &status, NULL, FILE_ATTRIBUTE_NORMAL,
                 FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE, FILE_DIRECTORY_FILE, NULL, 0);
  if (created == 0) return true;
  *held = INVALID_HANDLE_VALUE;
  SetLastError(created == kNameTaken ? ERROR_ALREADY_EXISTS : ERROR_CANNOT_MAKE);
  return false;
}

// Full control for both, passed on to the copy inside; nothing inherited from the parent
// folder, where users may create folders of their own.
static bool CreateFolderWithDacl(const SecurityFunctions& api, const char* path,
                                 PSID administrators, PSID system, HANDLE* held) {
  DWORD aclBuffer[32];  // the ACL header and two ACEs need 52 bytes
  ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
  SECURITY_DESCRIPTOR descriptor;
  const DWORD inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  if (!api.initializeAcl(acl, sizeof aclBuffer, ACL_REVISION) ||
      !api.addAllowedAce(acl, ACL_REVISION, inherit, FILE_ALL_ACCESS, administrators) ||
      !api.addAllowedAce(acl, ACL_REVISION, inherit, FILE_ALL_ACCESS, system) ||
      !api.initializeDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !api.setDacl(&descriptor, TRUE, acl, FALSE) ||
      !api.setControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return false;
  }
  return CreateHeldFolder(path, &descriptor, held);
}

// Creates the new folder at path, on NT open to Administrators and SYSTEM only and held: *held
// is then a handle to the very folder made, which shares no delete access (INVALID_HANDLE_VALUE
// on Windows 98 and ME). False when it cannot be made; the last error is then
// ERROR_ALREADY_EXISTS when the name is taken, by anything, a link included.
static bool CreatePrivateFolder(const char* path, HANDLE* held) {
  *held = INVALID_HANDLE_VALUE;
  if (!IsWindowsNt()) return CreateDirectoryA(path, NULL) != FALSE;
  SecurityFunctions api;
  if (!FindSecurityFunctions(&api)) return false;
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = NULL;
  PSID system = NULL;
  const bool created =
      api.allocateSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                      0, 0, 0, 0, &administrators) &&
      api.allocateSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system) &&
      CreateFolderWithDacl(api, path, administrators, system, held);
  const DWORD error = GetLastError();  // the caller tells an existing name from a failure
  if (administrators != NULL) api.freeSid(administrators);
  if (system != NULL) api.freeSid(system);
  SetLastError(error);
  return created;
}

// Where the copy's folder is made, with its trailing backslash: on NT the Windows directory's
// "Temp", where users may create folders of their own but may not rename or delete one an
// administrator made there (in their own temporary folder they may rename anything); Windows 98
// and ME know no such rights, and keep the temporary folder.
static bool FindCopyFolderParent(char* parent) {
  if (!IsWindowsNt()) return FindTemporaryFolder(parent);
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  return length != 0 && length < MAX_PATH && JoinPath(parent, MAX_PATH, windows, "\\Temp\\");
}

// The bits of a folder name: from the system's random source (RtlGenRandom), which another
// program cannot work out beforehand, and so cannot take the name first. Windows 2000, 98 and
// ME lack it: there the clock, this process's id and the attempt, mixed, which a program that
// sees them can work out. Either way a name that is taken is never used (CreatePrivateFolder).
static DWORD MakeFolderNameBits(DWORD tick, DWORD attempt) {
  const SystemFunction036Function generate = LateSystemFunction036();
  DWORD bits = 0;
  if (generate != NULL && generate(&bits, sizeof bits)) return bits;
  bits = tick ^ (GetCurrentProcessId() * 0x9E3779B9u) ^ (attempt * 0x85EBCA6Bu);
  bits = (bits ^ (bits >> 16)) * 0x7FEB352Du;
  return bits ^ (bits >> 15);
}

// Creates a folder of a new name for the copy, leaves its path in folder (260 bytes) and, on
// NT, the handle that holds it in *held. Any failure to make it (a name taken by a folder, a
// file or a link; one pending deletion; a refusal) tries another name, up to a bound.
bool MakeCopyFolder(char* folder, HANDLE* held) {
  char parent[MAX_PATH];
  if (!FindCopyFolderParent(parent)) return false;
  const DWORD tick = GetTickCount();
  for (DWORD attempt = 0; attempt < kFolderNameAttempts; ++attempt) {
    char name[16];
    wsprintfA(name, "%s%08lX", kCopyPrefix, MakeFolderNameBits(tick, attempt));
    if (!JoinPath(folder, MAX_PATH, parent, name)) return false;
    if (CreatePrivateFolder(folder, held)) return true;
  }
  return false;
}
