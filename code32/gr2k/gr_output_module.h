// The output module of a job: loading, binding, and the calls of the document and its pages.
#pragma once

#include "gr_pdev.h"
#include "win32/windows.h"

// The printer driver's directory (the driver file's path without its last component); 0 when
// it does not fit in size characters or has no '\'.
int GrGetDriverDirectory(PhysicalDevice* pdev, HANDLE printer, int size, WCHAR* path);
// Appends the directory to the process's PATH unless it is there already; 1, or 0 when the
// buffer cannot be had.
int GrExtendPath(PhysicalDevice* pdev, const WCHAR* directory);
// 1 when the directory must be added to the PATH value: not already an element (compared
// without case, runs of separators as one, one trailing separator ignored), not empty and not
// a network path.
int GrPathListHas(const WCHAR* pathValue, const WCHAR* directory);
// Appends "\" and the filter file name to path when the result stays below size characters.
int GrAppendFilterName(PhysicalDevice* pdev, HANDLE printer, int size, WCHAR* path);
// The names handed to an interface module; NULL when memory runs out. Free with PlgFreeIdList.
PluginIdList* GrBuildModuleNameList(const PluginList* plugins, const char* filterPath);
int GrBindInterfaceModule(PhysicalDevice* pdev);
// The loading steps of a document's start; 0 when no module can be used.
int GrLoadOutputModule(PhysicalDevice* pdev);

// The module's document and page calls.
int GrOpenOutputDocument(PhysicalDevice* pdev);  // 0 when an interface module refuses Open
void GrOutputStartPage(PhysicalDevice* pdev);
int GrOutputEndPage(PhysicalDevice* pdev);  // 0 when an interface module's EndPage fails
// Ends and closes the module's document and unloads it; the handles are cleared when it could
// be unloaded.
void GrCloseOutputModule(PhysicalDevice* pdev);
