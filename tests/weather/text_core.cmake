# The weather text core: work buffer, line splitting, the two cuts and the
# picture choice.
mw_add_test(weather_text_core_test
  SOURCES
    work_buffer_test.cpp
    document_lines_test.cpp
    conditions_test.cpp
    forecast_test.cpp
    condition_picture_test.cpp
  LIBS mw_weather
)

mw_add_fuzz_test(weather_text_core_fuzz
  SOURCES text_core_fuzz.cpp
  LIBS mw_weather
  SECONDS 20
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/fuzz_seeds/text_core
)
