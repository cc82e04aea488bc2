# Single-configuration builds default to Release with every compiler. Included
# before project(): CMake's Windows-MSVC and Windows-Clang platform files, read
# during project(), otherwise put Debug (/Od /RTC1 /MTd) in the cache first.
# Multi-configuration generators pick the configuration when building.
get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(NOT multi_config AND NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()
