# One interface target carries the language standard, the warnings and the Qt strictness
# macros; every target of the project links it.
add_library(xingfan_options INTERFACE)
add_library(xingfan::options ALIAS xingfan_options)

target_compile_features(xingfan_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

target_compile_options(xingfan_options INTERFACE -Wall -Wextra -Wpedantic -Werror)
target_compile_definitions(xingfan_options INTERFACE
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_NO_KEYWORDS)

if(XINGFAN_FUZZ)
  # Every library is built with coverage for libFuzzer; the fuzz targets add its driver.
  target_compile_options(xingfan_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(xingfan_options INTERFACE -fsanitize=address,undefined)
endif()

if(XINGFAN_SANITIZE AND XINGFAN_TSAN)
  message(FATAL_ERROR "XINGFAN_SANITIZE and XINGFAN_TSAN cannot be combined")
endif()

if(XINGFAN_SANITIZE)
  target_compile_options(xingfan_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(xingfan_options INTERFACE -fsanitize=address,undefined)
endif()

if(XINGFAN_TSAN)
  target_compile_options(xingfan_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(xingfan_options INTERFACE -fsanitize=thread)
endif()
