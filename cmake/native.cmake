# Native build: the portable core's unit tests, fast and under sanitizers.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

if(MEKURI_SANITIZE)
  set(SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_compile_options(mekuri_core PRIVATE ${SAN_FLAGS})
  target_link_options(mekuri_core PUBLIC ${SAN_FLAGS})
endif()

# The cipher library's algorithm, tested natively; its DLL entry points are
# Windows-only (files ending in _dll.cpp).
file(GLOB QZL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cipher/*.cpp)
list(FILTER QZL_SOURCES EXCLUDE REGEX "_dll\\.cpp$")
if(QZL_SOURCES)
  add_library(qzl_cipher STATIC ${QZL_SOURCES})
  target_include_directories(qzl_cipher PUBLIC ${CMAKE_SOURCE_DIR})
  if(MEKURI_SANITIZE)
    target_compile_options(qzl_cipher PRIVATE ${SAN_FLAGS})
  endif()
endif()

file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*.cpp)
add_executable(core_tests ${CORE_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE mekuri_core GTest::gtest GTest::gtest_main Threads::Threads)
if(QZL_SOURCES)
  target_link_libraries(core_tests PRIVATE qzl_cipher)
endif()
if(MEKURI_SANITIZE)
  target_compile_options(core_tests PRIVATE ${SAN_FLAGS})
endif()
include(GoogleTest)
gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)
