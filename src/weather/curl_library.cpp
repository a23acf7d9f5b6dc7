#include "weather/curl_library.h"

#include <dlfcn.h>


namespace {

// Resolves `name` into `function`; false, with the reason in `error`, when
// the library has no such symbol.
template <typename Function>
bool Resolve(void* handle, const char* name, Function& function, std::string& error) {
  void* symbol = dlsym(handle, name);
  if (!symbol) {
    error = std::string(name) + " is missing";
    return false;
  }
  function = reinterpret_cast<Function>(symbol);
  return true;
}

}  // namespace

CurlLoad LoadCurlLibrary(const char* soname) {
  CurlLoad load;
  // Local: its symbols stay out of the global scope, where later lookups of
  // every other library (Qt's plugins among them) would walk past them.
  void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    load.error = std::string(soname) + " could not be loaded: " + (reason ? reason : "unknown");
    return load;
  }
  CurlLibrary library{};
  std::string missing;
  const bool resolved =
      Resolve(handle, "curl_global_init", library.global_init, missing) &&
      Resolve(handle, "curl_easy_init", library.easy_init, missing) &&
      Resolve(handle, "curl_easy_cleanup", library.easy_cleanup, missing) &&
      Resolve(handle, "curl_easy_setopt", library.easy_setopt, missing) &&
      Resolve(handle, "curl_easy_getinfo", library.easy_getinfo, missing) &&
      Resolve(handle, "curl_easy_strerror", library.easy_strerror, missing) &&
      Resolve(handle, "curl_multi_init", library.multi_init, missing) &&
      Resolve(handle, "curl_multi_cleanup", library.multi_cleanup, missing) &&
      Resolve(handle, "curl_multi_add_handle", library.multi_add_handle, missing) &&
      Resolve(handle, "curl_multi_remove_handle", library.multi_remove_handle, missing) &&
      Resolve(handle, "curl_multi_perform", library.multi_perform, missing) &&
      Resolve(handle, "curl_multi_poll", library.multi_poll, missing) &&
      Resolve(handle, "curl_multi_info_read", library.multi_info_read, missing) &&
      Resolve(handle, "curl_multi_strerror", library.multi_strerror, missing) &&
      Resolve(handle, "curl_slist_append", library.slist_append, missing) &&
      Resolve(handle, "curl_slist_free_all", library.slist_free_all, missing);
  if (!resolved) {
    dlclose(handle);
    load.error = std::string(soname) + " is not a usable libcurl: " + missing;
    return load;
  }
  load.library = library;
  return load;
}

const CurlLoad& SystemCurl() {
  static const CurlLoad load = LoadCurlLibrary(kCurlSoname);
  return load;
}
