// Points LeakSanitizer at the suppressions of leaks inside system libraries
// (lsan.supp beside this file). Included by each test program's main, and
// only there: the sanitizer asks for these options before main runs, and a
// program may define them once.
#pragma once

extern "C" const char* __lsan_default_options() {
  return "suppressions=" MW_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
