// Security kept by the machine, for tests and tools (the host's C++ interface, not a platform
// call): what SetFileSecurityW stored for a file, in readable form.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/base.h"

namespace zolt::host {

struct StoredAce {
  BYTE type = 0;   // ACCESS_ALLOWED_ACE_TYPE, ACCESS_DENIED_ACE_TYPE, ...
  BYTE flags = 0;  // OBJECT_INHERIT_ACE, CONTAINER_INHERIT_ACE, ...
  DWORD mask = 0;
  std::string sid;  // "S-1-1-0"
};

struct StoredSecurity {
  std::string owner;  // empty: never set
  std::string group;
  bool daclPresent = false;
  bool daclNull = false;  // present with a NULL DACL (everyone has every access)
  std::vector<StoredAce> dacl;
  std::vector<BYTE> selfRelative;  // the whole descriptor in self-relative form
};

// What SetFileSecurityW stored for the file or folder at this Windows path, if anything.
std::optional<StoredSecurity> StoredFileSecurity(std::u16string_view windowsPath);

// The text form of a SID ("S-1-5-32-544"); empty for an invalid one.
std::string SidToString(const void* sid);
// The SID of the machine's user ("S-1-5-21-...-1001").
std::string MachineUserSid();

}  // namespace zolt::host
