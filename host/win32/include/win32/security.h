// Security: access tokens, SIDs, ACLs, security descriptors, AccessCheck, SetFileSecurityW and
// the user's name, answered from the machine's user and administrator facts.
//
// SID, ACL, ACE and SECURITY_DESCRIPTOR keep the platform's binary layouts, since callers
// size their blocks with GetLengthSid, sizeof(ACL) and sizeof(ACCESS_ALLOWED_ACE).
#pragma once

#include "win32/base.h"

typedef PVOID PSID;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK* PACCESS_MASK;
typedef WORD SECURITY_DESCRIPTOR_CONTROL, *PSECURITY_DESCRIPTOR_CONTROL;
typedef DWORD SECURITY_INFORMATION, *PSECURITY_INFORMATION;
typedef PVOID PSECURITY_DESCRIPTOR;

#define ERROR_UNKNOWN_REVISION 1305L
#define ERROR_REVISION_MISMATCH 1306L
#define ERROR_NONE_MAPPED 1332L
#define ERROR_ALLOTTED_SPACE_EXCEEDED 1344L
#define ERROR_GENERIC_NOT_MAPPED 1360L

// The standard and generic access rights are in win32/base.h.
#ifndef FILE_ALL_ACCESS
#define FILE_ALL_ACCESS 0x001F01FFu
#endif

// Token rights and information classes.
#define TOKEN_ASSIGN_PRIMARY 0x0001
#define TOKEN_DUPLICATE 0x0002
#define TOKEN_IMPERSONATE 0x0004
#define TOKEN_QUERY 0x0008
#define TOKEN_QUERY_SOURCE 0x0010
#define TOKEN_ADJUST_PRIVILEGES 0x0020
#define TOKEN_ADJUST_GROUPS 0x0040
#define TOKEN_ADJUST_DEFAULT 0x0080
#define TOKEN_ADJUST_SESSIONID 0x0100
#define TOKEN_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | 0x01FF)
#define TOKEN_READ (STANDARD_RIGHTS_READ | TOKEN_QUERY)

typedef enum _TOKEN_INFORMATION_CLASS {
  TokenUser = 1,
  TokenGroups,
  TokenPrivileges,
  TokenOwner,
  TokenPrimaryGroup,
  TokenDefaultDacl,
  TokenSource,
  TokenType,
  TokenImpersonationLevel,
  TokenStatistics,
  TokenElevation = 20,
} TOKEN_INFORMATION_CLASS;

typedef enum _TOKEN_TYPE { TokenPrimary = 1, TokenImpersonation } TOKEN_TYPE;

typedef enum _SECURITY_IMPERSONATION_LEVEL {
  SecurityAnonymous,
  SecurityIdentification,
  SecurityImpersonation,
  SecurityDelegation
} SECURITY_IMPERSONATION_LEVEL;

// SIDs.
typedef struct _SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
} SID_IDENTIFIER_AUTHORITY, *PSID_IDENTIFIER_AUTHORITY;

typedef struct _SID {
  BYTE Revision;
  BYTE SubAuthorityCount;
  SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
  DWORD SubAuthority[1];
} SID;
static_assert(sizeof(SID) == 12);

#define SID_REVISION 1
#define SID_MAX_SUB_AUTHORITIES 15
#define SECURITY_MAX_SID_SIZE (sizeof(SID) - sizeof(DWORD) + SID_MAX_SUB_AUTHORITIES * sizeof(DWORD))

#define SECURITY_NULL_SID_AUTHORITY {{0, 0, 0, 0, 0, 0}}
#define SECURITY_WORLD_SID_AUTHORITY {{0, 0, 0, 0, 0, 1}}
#define SECURITY_LOCAL_SID_AUTHORITY {{0, 0, 0, 0, 0, 2}}
#define SECURITY_CREATOR_SID_AUTHORITY {{0, 0, 0, 0, 0, 3}}
#define SECURITY_NT_AUTHORITY {{0, 0, 0, 0, 0, 5}}
#define SECURITY_WORLD_RID 0x00000000L
#define SECURITY_LOCAL_RID 0x00000000L
#define SECURITY_INTERACTIVE_RID 0x00000004L
#define SECURITY_AUTHENTICATED_USER_RID 0x0000000BL
#define SECURITY_LOCAL_SYSTEM_RID 0x00000012L
#define SECURITY_NT_NON_UNIQUE 0x00000015L
#define SECURITY_BUILTIN_DOMAIN_RID 0x00000020L
#define DOMAIN_ALIAS_RID_ADMINS 0x00000220L
#define DOMAIN_ALIAS_RID_USERS 0x00000221L
#define DOMAIN_ALIAS_RID_GUESTS 0x00000222L
#define DOMAIN_ALIAS_RID_POWER_USERS 0x00000223L

typedef struct _SID_AND_ATTRIBUTES {
  PSID Sid;
  DWORD Attributes;
} SID_AND_ATTRIBUTES, *PSID_AND_ATTRIBUTES;

#define SE_GROUP_MANDATORY 0x00000001L
#define SE_GROUP_ENABLED_BY_DEFAULT 0x00000002L
#define SE_GROUP_ENABLED 0x00000004L
#define SE_GROUP_OWNER 0x00000008L

typedef struct _TOKEN_USER {
  SID_AND_ATTRIBUTES User;
} TOKEN_USER, *PTOKEN_USER;

typedef struct _TOKEN_GROUPS {
  DWORD GroupCount;
  SID_AND_ATTRIBUTES Groups[1];
} TOKEN_GROUPS, *PTOKEN_GROUPS;

typedef struct _TOKEN_ELEVATION {
  DWORD TokenIsElevated;
} TOKEN_ELEVATION, *PTOKEN_ELEVATION;

// ACLs and ACEs.
typedef struct _ACL {
  BYTE AclRevision;
  BYTE Sbz1;
  WORD AclSize;
  WORD AceCount;
  WORD Sbz2;
} ACL, *PACL;
static_assert(sizeof(ACL) == 8);

#define ACL_REVISION 2
#define ACL_REVISION_DS 4
#define MIN_ACL_REVISION ACL_REVISION
#define MAX_ACL_REVISION ACL_REVISION_DS

typedef struct _ACE_HEADER {
  BYTE AceType;
  BYTE AceFlags;
  WORD AceSize;
} ACE_HEADER, *PACE_HEADER;

#define ACCESS_ALLOWED_ACE_TYPE 0x0
#define ACCESS_DENIED_ACE_TYPE 0x1
#define SYSTEM_AUDIT_ACE_TYPE 0x2

#define OBJECT_INHERIT_ACE 0x1
#define CONTAINER_INHERIT_ACE 0x2
#define NO_PROPAGATE_INHERIT_ACE 0x4
#define INHERIT_ONLY_ACE 0x8
#define INHERITED_ACE 0x10
#define VALID_INHERIT_FLAGS 0x1F

typedef struct _ACCESS_ALLOWED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;
} ACCESS_ALLOWED_ACE, *PACCESS_ALLOWED_ACE;

typedef struct _ACCESS_DENIED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;
} ACCESS_DENIED_ACE, *PACCESS_DENIED_ACE;
static_assert(sizeof(ACCESS_ALLOWED_ACE) == 12 && sizeof(ACCESS_DENIED_ACE) == 12);

// Security descriptors: the absolute form holds pointers; the self-relative form
// (SE_SELF_RELATIVE) holds 32-bit offsets from its start.
typedef struct _SECURITY_DESCRIPTOR {
  BYTE Revision;
  BYTE Sbz1;
  SECURITY_DESCRIPTOR_CONTROL Control;
  PSID Owner;
  PSID Group;
  PACL Sacl;
  PACL Dacl;
} SECURITY_DESCRIPTOR, *PISECURITY_DESCRIPTOR;

typedef struct _SECURITY_DESCRIPTOR_RELATIVE {
  BYTE Revision;
  BYTE Sbz1;
  SECURITY_DESCRIPTOR_CONTROL Control;
  DWORD Owner;
  DWORD Group;
  DWORD Sacl;
  DWORD Dacl;
} SECURITY_DESCRIPTOR_RELATIVE, *PISECURITY_DESCRIPTOR_RELATIVE;
static_assert(sizeof(SECURITY_DESCRIPTOR) == 40 && sizeof(SECURITY_DESCRIPTOR_RELATIVE) == 20);

#define SECURITY_DESCRIPTOR_REVISION 1
#define SECURITY_DESCRIPTOR_MIN_LENGTH (sizeof(SECURITY_DESCRIPTOR))

#define SE_OWNER_DEFAULTED 0x0001
#define SE_GROUP_DEFAULTED 0x0002
#define SE_DACL_PRESENT 0x0004
#define SE_DACL_DEFAULTED 0x0008
#define SE_SACL_PRESENT 0x0010
#define SE_SACL_DEFAULTED 0x0020
#define SE_DACL_PROTECTED 0x1000
#define SE_SACL_PROTECTED 0x2000
#define SE_SELF_RELATIVE 0x8000

#define OWNER_SECURITY_INFORMATION 0x00000001L
#define GROUP_SECURITY_INFORMATION 0x00000002L
#define DACL_SECURITY_INFORMATION 0x00000004L
#define SACL_SECURITY_INFORMATION 0x00000008L

typedef struct _GENERIC_MAPPING {
  ACCESS_MASK GenericRead;
  ACCESS_MASK GenericWrite;
  ACCESS_MASK GenericExecute;
  ACCESS_MASK GenericAll;
} GENERIC_MAPPING, *PGENERIC_MAPPING;

typedef struct _LUID {
  DWORD LowPart;
  LONG HighPart;
} LUID, *PLUID;

#pragma pack(push, 4)
typedef struct _LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
} LUID_AND_ATTRIBUTES, *PLUID_AND_ATTRIBUTES;
#pragma pack(pop)

typedef struct _PRIVILEGE_SET {
  DWORD PrivilegeCount;
  DWORD Control;
  LUID_AND_ATTRIBUTES Privilege[1];
} PRIVILEGE_SET, *PPRIVILEGE_SET;
static_assert(sizeof(LUID_AND_ATTRIBUTES) == 12 && sizeof(PRIVILEGE_SET) == 20);

// Tokens. A thread runs as the process until it impersonates (ImpersonateSelf); its own token
// exists only while it impersonates: OpenThreadToken fails with ERROR_NO_TOKEN otherwise.
WIN32_API BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle);
WIN32_API BOOL WINAPI OpenThreadToken(HANDLE ThreadHandle, DWORD DesiredAccess, BOOL OpenAsSelf,
                                      PHANDLE TokenHandle);
WIN32_API BOOL WINAPI ImpersonateSelf(SECURITY_IMPERSONATION_LEVEL ImpersonationLevel);
WIN32_API BOOL WINAPI RevertToSelf(void);
// TokenUser, TokenGroups, TokenType, TokenImpersonationLevel and TokenElevation. *ReturnLength
// receives the size needed; a smaller buffer fails with ERROR_INSUFFICIENT_BUFFER.
WIN32_API BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                          LPVOID TokenInformation, DWORD TokenInformationLength,
                                          PDWORD ReturnLength);

// The print spooler's client interface: a driver running in the spooler on behalf of a client
// steps out of the client's context and back. RevertToPrinterSelf returns the thread's
// impersonation token (NULL with ERROR_NO_TOKEN when the thread is not impersonating) and the
// thread then runs as itself; ImpersonatePrinterClient puts the token back on the thread and
// closes the handle.
WIN32_API HANDLE WINAPI RevertToPrinterSelf(void);
WIN32_API BOOL WINAPI ImpersonatePrinterClient(HANDLE hToken);

// SIDs. The block of AllocateAndInitializeSid is freed with FreeSid.
WIN32_API BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority,
                                               BYTE nSubAuthorityCount, DWORD nSubAuthority0,
                                               DWORD nSubAuthority1, DWORD nSubAuthority2,
                                               DWORD nSubAuthority3, DWORD nSubAuthority4,
                                               DWORD nSubAuthority5, DWORD nSubAuthority6,
                                               DWORD nSubAuthority7, PSID* pSid);
WIN32_API PVOID WINAPI FreeSid(PSID pSid);
WIN32_API DWORD WINAPI GetLengthSid(PSID pSid);
WIN32_API BOOL WINAPI IsValidSid(PSID pSid);
WIN32_API BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2);
WIN32_API BOOL WINAPI CopySid(DWORD nDestinationSidLength, PSID pDestinationSid, PSID pSourceSid);

// ACLs.
WIN32_API BOOL WINAPI InitializeAcl(PACL pAcl, DWORD nAclLength, DWORD dwAclRevision);
WIN32_API BOOL WINAPI IsValidAcl(PACL pAcl);
WIN32_API BOOL WINAPI AddAccessAllowedAce(PACL pAcl, DWORD dwAceRevision, DWORD AccessMask, PSID pSid);
WIN32_API BOOL WINAPI AddAccessAllowedAceEx(PACL pAcl, DWORD dwAceRevision, DWORD AceFlags,
                                            DWORD AccessMask, PSID pSid);
WIN32_API BOOL WINAPI AddAccessDeniedAce(PACL pAcl, DWORD dwAceRevision, DWORD AccessMask, PSID pSid);
WIN32_API BOOL WINAPI GetAce(PACL pAcl, DWORD dwAceIndex, LPVOID* pAce);

// Security descriptors.
WIN32_API BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD dwRevision);
WIN32_API BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL bDaclPresent,
                                                PACL pDacl, BOOL bDaclDefaulted);
WIN32_API BOOL WINAPI SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID pOwner,
                                                 BOOL bOwnerDefaulted);
WIN32_API BOOL WINAPI SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID pGroup,
                                                 BOOL bGroupDefaulted);
WIN32_API BOOL WINAPI GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, LPBOOL lpbDaclPresent,
                                                PACL* pDacl, LPBOOL lpbDaclDefaulted);
WIN32_API BOOL WINAPI GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID* pOwner,
                                                 LPBOOL lpbOwnerDefaulted);
WIN32_API BOOL WINAPI IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor);
WIN32_API DWORD WINAPI GetSecurityDescriptorLength(PSECURITY_DESCRIPTOR pSecurityDescriptor);

// Grants the access the descriptor's DACL allows the token's user and groups (Everyone,
// Users, Authenticated Users, Interactive, and Administrators when the machine's user is an
// administrator): a missing or NULL DACL allows everything, an empty one nothing, a denying
// ACE before an allowing one wins. The token must be an impersonation token
// (ERROR_NO_IMPERSONATION_TOKEN), generic rights in DesiredAccess must be mapped
// (ERROR_GENERIC_NOT_MAPPED), and the descriptor needs an owner and a group
// (ERROR_INVALID_SECURITY_DESCR).
WIN32_API BOOL WINAPI AccessCheck(PSECURITY_DESCRIPTOR pSecurityDescriptor, HANDLE ClientToken,
                                  DWORD DesiredAccess, PGENERIC_MAPPING GenericMapping,
                                  PPRIVILEGE_SET PrivilegeSet, LPDWORD PrivilegeSetLength,
                                  LPDWORD GrantedAccess, LPBOOL AccessStatus);
WIN32_API void WINAPI MapGenericMask(PDWORD AccessMask, PGENERIC_MAPPING GenericMapping);

// Keeps the parts of the descriptor named by SecurityInformation as the security of a file or
// folder of the machine (read back by zolt::host::StoredFileSecurity, win32/hostsecurity.h).
// Giving the owner to another SID than the user's needs an administrator
// (ERROR_INVALID_OWNER).
WIN32_API BOOL WINAPI SetFileSecurityW(LPCWSTR lpFileName, SECURITY_INFORMATION SecurityInformation,
                                       PSECURITY_DESCRIPTOR pSecurityDescriptor);

// The machine's user. *pcbBuffer counts characters with the terminating NUL, in and out; a
// buffer too small fails with ERROR_INSUFFICIENT_BUFFER and the size needed.
WIN32_API BOOL WINAPI GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer);
WIN32_API BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer);
