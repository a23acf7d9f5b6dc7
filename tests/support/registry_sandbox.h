// The product key HKEY_CURRENT_USER\Software\Tidewell\Aerolume as a scratch
// area for tests: removed with everything below it when a sandbox is made and
// again when it goes. Nothing else of the registry is touched.
//
// The tests run under Wine in a throwaway prefix. On a real Windows desktop
// these tests would remove the user's settings, so the Windows test main
// refuses to run there unless MW_TEST_REGISTRY_SCRATCH=1 says that this is
// wanted.
#pragma once

class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;
};

// Whether this process runs under Wine.
bool RunningUnderWine();
