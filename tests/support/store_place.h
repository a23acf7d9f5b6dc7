// Where the store's shared tests keep their entries: a fresh, empty place for
// every case, given back afterwards. On Linux a temporary configuration folder,
// on Windows the product key, emptied before and after.
#pragma once

#ifdef _WIN32
#include "support/registry_sandbox.h"
using StorePlace = RegistrySandbox;
#else
#include "support/temp_config.h"
using StorePlace = TempConfigDir;
#endif
