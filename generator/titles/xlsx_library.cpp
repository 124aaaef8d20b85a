#include "xlsx_library.h"

#ifdef WORDLOOM_XLSXWRITER_SONAME
#include <dlfcn.h>

#include <optional>
#endif

namespace wordloom {

#ifdef WORDLOOM_XLSXWRITER_SONAME

namespace {

std::optional<XlsxCalls> OpenXlsxLibrary() {
  // Never closed: the calls stay valid until the program ends.
  void* library = dlopen(WORDLOOM_XLSXWRITER_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (!library) return std::nullopt;
  XlsxCalls calls{};
  bool found = true;
#define WORDLOOM_XLSX_FIND(name) \
  found = found && (calls.name = reinterpret_cast<decltype(calls.name)>(dlsym(library, #name))) != nullptr;
  WORDLOOM_XLSX_CALLS(WORDLOOM_XLSX_FIND)
#undef WORDLOOM_XLSX_FIND
  if (!found) return std::nullopt;
  return calls;
}

}  // namespace

const XlsxCalls* XlsxLibrary() {
  static const std::optional<XlsxCalls> calls = OpenXlsxLibrary();
  return calls ? &*calls : nullptr;
}

#else

const XlsxCalls* XlsxLibrary() {
#define WORDLOOM_XLSX_ADDRESS(name) &::name,
  static const XlsxCalls calls{WORDLOOM_XLSX_CALLS(WORDLOOM_XLSX_ADDRESS)};
#undef WORDLOOM_XLSX_ADDRESS
  return &calls;
}

#endif

}  // namespace wordloom
