// A folder that only Administrators and SYSTEM may open, for the temporary copy: the user's own
// programs, which may write anywhere else in its parent folder, can neither replace the copy
// nor put a DLL beside it. Windows 98 and ME know no access rights: there it is a plain folder.
#include <winternl.h>

#include "common/late_functions.h"
#include "common/system_library.h"
#include "uninstaller/uninstaller_main.h"

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
  const LONG created = createFile(held, GENERIC_READ, &attributes, &status, NULL,
                                  FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  FILE_CREATE, FILE_DIRECTORY_FILE, NULL, 0);
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

bool CreatePrivateFolder(const char* path, HANDLE* held) {
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
