// The condition evaluator's stack of a context: 256 32-bit entries in the work area.
#include "context_services.h"

namespace {
constexpr DWORD kEvalStackEntries = 256;
}

int MdlAllocEvalStack(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return -1;
  ContextWorkArea* wa = ctx->workArea;
  MdlFreeMem(wa->evalStack);
  wa->evalStack = static_cast<DWORD*>(CtxAllocMem(kEvalStackEntries * sizeof(DWORD)));
  wa->evalDepth = 0;
  return wa->evalStack ? 0 : -1;
}

void MdlFreeEvalStack(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return;
  MdlFreeMem(ctx->workArea->evalStack);
  ctx->workArea->evalStack = nullptr;
  ctx->workArea->evalDepth = 0;
}
