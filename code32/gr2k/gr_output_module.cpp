// The output module of a job: an interface module registered as a plug-in of the output
// category, or the spool-filter library of the driver directory. Loading, binding, the
// document and page calls, and the PATH extension that lets the module find its neighbours.
#include "gr_output_module.h"

#include <cstring>
#include <string>

#include "core_memory.h"
#include "gr_device_text.h"
#include "gr_pdev.h"
#include "win32/windows.h"

namespace {

constexpr DWORD kPathValueMax = 0x7FFF;

bool IsSeparator(WCHAR c) { return c == u'\\' || c == u'/'; }

// A directory or PATH element with every run of separators as one '\' and one separator at
// the end dropped.
std::u16string Normalised(std::u16string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsSeparator(text[i])) {
      if (!out.empty() && out.back() == u'\\') continue;
      out.push_back(u'\\');
    } else {
      out.push_back(text[i]);
    }
  }
  if (!out.empty() && out.back() == u'\\') out.pop_back();
  return out;
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using SplStartDocFn = HANDLE(WINAPI*)(HANDLE printer, DWORD jobId);
using SplHandleFn = void(WINAPI*)(HANDLE outputHandle);

char* CopyAnsi(const char* text) {
  const size_t n = std::strlen(text);
  auto* copy = static_cast<char*>(CtxAllocMem(static_cast<DWORD>(n + 1)));
  if (copy) std::memcpy(copy, text, n + 1);
  return copy;
}

void DropPlugins(PhysicalDevice* pdev) {
  PlgFreeList(pdev->filterPlugins);
  pdev->filterPlugins = nullptr;
  PlgFreeIdList(pdev->moduleNames);
  pdev->moduleNames = nullptr;
  pdev->useInterfaceModule = 0;
}

}  // namespace

int GrGetDriverDirectory(PhysicalDevice* pdev, HANDLE printer, int size, WCHAR* path) {
  (void)pdev;
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed == 0) return 0;
  auto* info = static_cast<DRIVER_INFO_2W*>(CtxAllocMem(needed));
  if (!info) return 0;
  int ok = 0;
  if (GetPrinterDriverW(printer, nullptr, 2, reinterpret_cast<BYTE*>(info), needed, &needed) && info->pDriverPath) {
    const std::u16string_view driver(info->pDriverPath);
    const size_t slash = driver.rfind(u'\\');
    if (slash != std::u16string_view::npos && slash < static_cast<size_t>(size)) {
      std::memcpy(path, driver.data(), slash * sizeof(WCHAR));
      path[slash] = 0;
      ok = 1;
    }
  }
  MdlFreeMem(info);
  return ok;
}

int GrPathListHas(const WCHAR* pathValue, const WCHAR* directory) {
  if (!directory || !directory[0]) return 0;
  const std::u16string_view dir(directory);
  if (dir.find(u"\\\\") != std::u16string_view::npos) return 0;
  const std::u16string wanted = Normalised(dir);
  const std::u16string_view value(pathValue ? pathValue : u"");
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(u';', start);
    if (end == std::u16string_view::npos) end = value.size();
    const std::u16string element = Normalised(value.substr(start, end - start));
    if (!element.empty() && lstrcmpiW(element.c_str(), wanted.c_str()) == 0) return 0;
    start = end + 1;
  }
  return 1;
}

int GrExtendPath(PhysicalDevice* pdev, const WCHAR* directory) {
  const DWORD current = GetEnvironmentVariableW(u"PATH", nullptr, 0);  // with terminator; 0 when absent
  const size_t dirLength = std::u16string_view(directory).size();
  const size_t total = size_t{current ? current : 1} + dirLength + 1;
  if (total > kPathValueMax) return 1;
  auto* buffer = static_cast<WCHAR*>(GrHeapAlloc(pdev->heap, total * sizeof(WCHAR)));
  if (!buffer) return 0;
  buffer[0] = 0;
  if (current) {
    const DWORD n = GetEnvironmentVariableW(u"PATH", buffer, static_cast<DWORD>(total));
    if (n >= total) buffer[0] = 0;
  }
  if (GrPathListHas(buffer, directory)) {
    std::u16string value(buffer);
    value += u';';
    value += directory;
    SetEnvironmentVariableW(u"PATH", value.c_str());
  }
  GrHeapFree(pdev->heap, buffer);
  return 1;
}

int GrAppendFilterName(PhysicalDevice* pdev, HANDLE, int size, WCHAR* path) {
  if (!pdev->filterFileName) return 0;
  const size_t have = std::u16string_view(path).size();
  const size_t name = std::u16string_view(pdev->filterFileName).size();
  if (have + 1 + name >= static_cast<size_t>(size)) return 0;
  path[have] = u'\\';
  std::memcpy(path + have + 1, pdev->filterFileName, (name + 1) * sizeof(WCHAR));
  return 1;
}

PluginIdList* GrBuildModuleNameList(const PluginList* plugins, const char* filterPath) {
  if (!plugins || !filterPath) return nullptr;
  uint32_t paths = 0;
  for (uint32_t i = 0; i < plugins->count; ++i)
    if (plugins->entries[i] && plugins->entries[i]->installPath) ++paths;
  auto* list = static_cast<PluginIdList*>(CtxAllocMem(sizeof(PluginIdList)));
  if (!list) return nullptr;
  list->count = paths + 2;
  list->names = static_cast<char**>(CtxAllocMem(static_cast<DWORD>(sizeof(char*) * list->count)));
  if (!list->names) {
    PlgFreeIdList(list);
    return nullptr;
  }
  uint32_t k = 0;
  for (uint32_t i = 0; i < plugins->count; ++i) {
    const PluginEntry* e = plugins->entries[i];
    if (!e || !e->installPath) continue;
    if (!(list->names[k++] = CopyAnsi(e->installPath))) {
      PlgFreeIdList(list);
      return nullptr;
    }
  }
  if (!(list->names[k] = CopyAnsi(filterPath))) {
    PlgFreeIdList(list);
    return nullptr;
  }
  return list;
}

int GrBindInterfaceModule(PhysicalDevice* pdev) {
  pdev->moduleInterface = nullptr;
  pdev->getInterface = nullptr;
  pdev->disposeInterface = nullptr;
  pdev->getInterface = Export<IZoltGetInterfaceFn>(pdev->output.module, "IZOLTGetInterface");
  if (!pdev->getInterface) return 0;
  pdev->disposeInterface = Export<IZoltDisposeInterfaceFn>(pdev->output.module, "IZOLTDisposeInterface");
  return pdev->getInterface(kOutputInterfaceVersion, &pdev->moduleInterface) && pdev->moduleInterface ? 1 : 0;
}

int GrLoadOutputModule(PhysicalDevice* pdev) {
  WCHAR path[MAX_PATH] = {};
  const bool found = GrGetDriverDirectory(pdev, pdev->printer, MAX_PATH, path) != 0;
  const bool extended = found && GrExtendPath(pdev, path) != 0;
  pdev->output.module = nullptr;
  if (found && extended && GrAppendFilterName(pdev, pdev->printer, MAX_PATH, path)) {
    if (pdev->useInterfaceModule) {
      char ansi[2 * MAX_PATH + 2] = {};
      GrWideToDeviceText(ansi, path, static_cast<int>(std::u16string_view(path).size() * sizeof(WCHAR)), 128);
      PlgFreeIdList(pdev->moduleNames);  // a previous document's list
      pdev->moduleNames = GrBuildModuleNameList(pdev->filterPlugins, ansi);
      if (!pdev->moduleNames) {
        PlgFreeList(pdev->filterPlugins);
        pdev->filterPlugins = nullptr;
        pdev->useInterfaceModule = 0;
      }
    }
    if (pdev->useInterfaceModule) {
      pdev->output.module = LoadLibraryA(pdev->moduleNames->names[0]);
      if (!pdev->output.module) {
        DropPlugins(pdev);
        pdev->output.module = LoadLibraryW(path);
      }
    } else {
      pdev->output.module = LoadLibraryW(path);
    }
  }
  if (pdev->useInterfaceModule) {
    if (!pdev->output.module || !GrBindInterfaceModule(pdev)) {
      DropPlugins(pdev);
      if (pdev->output.module) FreeLibrary(pdev->output.module);
      pdev->output.module = nullptr;
      return 0;
    }
    pdev->output.write = pdev->moduleInterface->Write;
    return 1;
  }
  if (!pdev->output.module) return 0;
  pdev->output.write = Export<OutputWriteFn>(pdev->output.module, "DrvSplWritePrinter");
  return 1;
}

int GrOpenOutputDocument(PhysicalDevice* pdev) {
  if (pdev->useInterfaceModule) {
    OutputModuleInterface* table = pdev->moduleInterface;
    if (!table->Open(&pdev->output.outputHandle, pdev->moduleNames ? pdev->moduleNames->names : nullptr)) return 0;
    table->StartDoc(pdev->output.outputHandle, pdev->printer, pdev->jobId);
    return 1;
  }
  if (!pdev->output.module) return 1;
  auto start = Export<SplStartDocFn>(pdev->output.module, "DrvSplStartDocEx");
  if (!start) start = Export<SplStartDocFn>(pdev->output.module, "DrvSplStartDoc");
  if (start) pdev->output.outputHandle = start(pdev->printer, pdev->jobId);
  return 1;
}

void GrOutputStartPage(PhysicalDevice* pdev) {
  if (pdev->useInterfaceModule && pdev->moduleInterface) {
    pdev->moduleInterface->StartPage(pdev->output.outputHandle);
    return;
  }
  if (!pdev->output.module) return;
  if (!pdev->splStartPage) pdev->splStartPage = Export<SplPageFn>(pdev->output.module, "DrvSplStartPage");
  if (pdev->splStartPage) pdev->splStartPage(pdev->output.outputHandle);
}

int GrOutputEndPage(PhysicalDevice* pdev) {
  if (pdev->useInterfaceModule && pdev->moduleInterface)
    return pdev->moduleInterface->EndPage(pdev->output.outputHandle) ? 1 : 0;
  if (!pdev->output.module) return 1;
  if (!pdev->splEndPage) pdev->splEndPage = Export<SplPageFn>(pdev->output.module, "DrvSplEndPage");
  if (pdev->splEndPage) pdev->splEndPage(pdev->output.outputHandle);
  return 1;
}

void GrCloseOutputModule(PhysicalDevice* pdev) {
  if (pdev->useInterfaceModule && pdev->moduleInterface) {
    pdev->moduleInterface->EndDoc(pdev->output.outputHandle);
    pdev->moduleInterface->Close(pdev->output.outputHandle);
    if (pdev->disposeInterface) pdev->disposeInterface(pdev->moduleInterface);
    pdev->moduleInterface = nullptr;
  } else if (pdev->output.module) {
    if (auto end = Export<SplHandleFn>(pdev->output.module, "DrvSplEndDoc")) end(pdev->output.outputHandle);
    if (auto close = Export<SplHandleFn>(pdev->output.module, "DrvSplClose")) close(pdev->output.outputHandle);
  }
  if (pdev->output.module && FreeLibrary(pdev->output.module)) {
    pdev->output.module = nullptr;
    pdev->output.write = nullptr;
    pdev->splStartPage = nullptr;
    pdev->splEndPage = nullptr;
  }
}
