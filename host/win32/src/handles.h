// The kernel object handle table of the process: files, mappings, find handles, mutexes,
// processes and tokens are kernel objects reached through a HANDLE value.
#pragma once

#include <memory>

#include "win32/base.h"

namespace zolt::host {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// Enters an object into the table and returns its new handle (never NULL, never
// INVALID_HANDLE_VALUE). The object lives while a handle or a caller's reference holds it.
HANDLE HandleInsert(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> HandleGet(HANDLE handle);
template <class T>
std::shared_ptr<T> HandleGetAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(HandleGet(handle));
}
// Removes the handle; false when it is not in the table.
bool HandleRemove(HANDLE handle);

}  // namespace zolt::host
