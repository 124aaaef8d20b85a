#pragma once
#include <xlsxwriter.h>

namespace wordloom {

// The libxlsxwriter calls a workbook makes.
#define WORDLOOM_XLSX_CALLS(X) \
  X(workbook_new_opt)          \
  X(workbook_add_worksheet)    \
  X(workbook_add_format)       \
  X(workbook_close)            \
  X(format_set_bold)           \
  X(worksheet_set_column)      \
  X(worksheet_freeze_panes)    \
  X(worksheet_write_string)    \
  X(worksheet_write_number)

struct XlsxCalls {
#define WORDLOOM_XLSX_MEMBER(name) decltype(&::name) name;
  WORDLOOM_XLSX_CALLS(WORDLOOM_XLSX_MEMBER)
#undef WORDLOOM_XLSX_MEMBER
};

// Where the build names the shared library's soname, it is opened on the
// first workbook: every other run would otherwise pay for loading it and
// the crypto library it needs, about 2.5 ms at each start. nullptr when it
// cannot be opened. Linked statically, the calls are the library's own.
const XlsxCalls* XlsxLibrary();

}  // namespace wordloom
