// Any bytes as the stored security descriptor of a file: the store is read, and a change of the
// owner alone merges the stored group and ACLs into a new descriptor. Neither may read past the
// stored bytes, and what a merge stores must read back.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_machine.h"
#include "win32/hostsecurity.h"
#include "win32/windows.h"

namespace fs = std::filesystem;

namespace {

constexpr const char16_t* kFile = u"C:\\secured.txt";
fs::path g_store;      // the store file of kFile
std::string g_header;  // its first line: the file's path

BYTE g_ownerSd[sizeof(SECURITY_DESCRIPTOR)];
BYTE g_owner[8 + 4] = {SID_REVISION, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};  // S-1-1-0

void WriteStore(const uint8_t* data, size_t size) {
  std::ofstream out(g_store, std::ios::binary | std::ios::trunc);
  out << g_header << '\n';
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const fs::path root = zolt::fuzz::MakeFuzzMachine("file-security");
  std::ofstream(root / "drive_c" / "secured.txt") << "x";
  // A first descriptor makes the store file; its name and first line are kept.
  if (!InitializeSecurityDescriptor(g_ownerSd, SECURITY_DESCRIPTOR_REVISION)) std::abort();
  if (!SetSecurityDescriptorOwner(g_ownerSd, g_owner, FALSE)) std::abort();
  if (!SetFileSecurityW(kFile, OWNER_SECURITY_INFORMATION, g_ownerSd)) std::abort();
  for (const auto& entry : fs::directory_iterator(root / "security")) g_store = entry.path();
  std::ifstream in(g_store, std::ios::binary);
  if (!std::getline(in, g_header)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteStore(data, size);
  const auto stored = zolt::host::StoredFileSecurity(kFile);
  if (stored && stored->selfRelative.size() != size) std::abort();

  // Only the owner changes: the group and ACLs of a readable store are carried over.
  if (!SetFileSecurityW(kFile, OWNER_SECURITY_INFORMATION, g_ownerSd)) std::abort();
  const auto merged = zolt::host::StoredFileSecurity(kFile);
  if (!merged || merged->owner != "S-1-1-0") std::abort();
  if (stored && (merged->group != stored->group || merged->daclPresent != stored->daclPresent ||
                 merged->dacl.size() != stored->dacl.size()))
    std::abort();
  return 0;
}
