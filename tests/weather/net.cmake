# The network side: the fetch against the loopback server, and the source
# addresses.
mw_add_test(weather_net_test
  SOURCES
    http_fetch_test.cpp
    sources_test.cpp
  LIBS mw_weather
)
