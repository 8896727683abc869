// A folder that only Administrators and SYSTEM may open, for the temporary copy: the user's own
// programs, which may write anywhere else in the temporary folder, can neither replace the copy
// nor put a DLL beside it. Windows 98 and ME know no access rights: there it is a plain folder.
#include "common/late_functions.h"
#include "common/system_library.h"
#include "uninstaller/uninstaller_main.h"

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
  api->allocateSid =
      reinterpret_cast<AllocateAndInitializeSidFunction>(FindLateFunction(kAllocateAndInitializeSid));
  api->freeSid = reinterpret_cast<FreeSidFunction>(FindLateFunction(kFreeSid));
  api->initializeAcl = reinterpret_cast<InitializeAclFunction>(FindLateFunction(kInitializeAcl));
  api->addAllowedAce =
      reinterpret_cast<AddAccessAllowedAceExFunction>(FindLateFunction(kAddAccessAllowedAceEx));
  api->initializeDescriptor = reinterpret_cast<InitializeSecurityDescriptorFunction>(
      FindLateFunction(kInitializeSecurityDescriptor));
  api->setDacl =
      reinterpret_cast<SetSecurityDescriptorDaclFunction>(FindLateFunction(kSetSecurityDescriptorDacl));
  api->setControl = reinterpret_cast<SetSecurityDescriptorControlFunction>(
      FindLateFunction(kSetSecurityDescriptorControl));
  return api->allocateSid != NULL && api->freeSid != NULL && api->initializeAcl != NULL &&
         api->addAllowedAce != NULL && api->initializeDescriptor != NULL && api->setDacl != NULL &&
         api->setControl != NULL;
}

// Full control for both, passed on to the copy inside; nothing inherited from the temporary
// folder, which the user controls.
static bool CreateFolderWithDacl(const SecurityFunctions& api, const char* path,
                                 PSID administrators, PSID system) {
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
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  return CreateDirectoryA(path, &attributes) != FALSE;
}

bool CreatePrivateFolder(const char* path) {
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
      CreateFolderWithDacl(api, path, administrators, system);
  const DWORD error = GetLastError();  // the caller tells an existing name from a failure
  if (administrators != NULL) api.freeSid(administrators);
  if (system != NULL) api.freeSid(system);
  SetLastError(error);
  return created;
}
