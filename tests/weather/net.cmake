# The network side: the fetch against the loopback server, and the source
# addresses.
if(WIN32)
  # The WinINet fetch, against the server the test command runs on the Linux
  # side of the machine. That server answers one connection at a time, so a
  # case that holds it (a reset after a pause, a silence) would make another
  # case's short limits run out: they take it in turns.
  mw_add_test(weather_net_test
    SOURCES http_fetch_wininet_test.cpp
    LIBS mw_weather
    RESOURCE_LOCK fetch_test_server
  )
  return()
endif()

mw_add_test(weather_net_test
  SOURCES
    http_fetch_test.cpp
    sources_test.cpp
  LIBS mw_weather mw_store
)
