// Setting and clearing environment variables the same way on POSIX systems
// and on Windows.
#pragma once

#include <cstdlib>
#include <string>

inline void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

// On Windows a variable cannot be set to the empty text: it is removed.
inline void UnsetEnvironment(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}
