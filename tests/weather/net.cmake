# The network side: the fetch against the loopback server, and the source
# addresses.
if(WIN32)
  # The WinINet fetch, against the loopback server on a thread of each case's
  # own process.
  mw_add_test(weather_net_test
    SOURCES http_fetch_wininet_test.cpp
    LIBS mw_weather
  )
  return()
endif()

mw_add_test(weather_net_test
  SOURCES
    http_fetch_test.cpp
    sources_test.cpp
  LIBS mw_weather mw_store
)
