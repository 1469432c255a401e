# Fails when a source under Korvane/Wnds, Korvane/controls or Korvane/grid of ROOT includes
# KorvaneApp.h (with or without a folder before it).
file(GLOB_RECURSE files
  ${ROOT}/Korvane/Wnds/*.h ${ROOT}/Korvane/Wnds/*.cpp
  ${ROOT}/Korvane/controls/*.h ${ROOT}/Korvane/controls/*.cpp
  ${ROOT}/Korvane/grid/*.h ${ROOT}/Korvane/grid/*.cpp)
set(offenders "")
foreach(f IN LISTS files)
  file(STRINGS "${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*/)?KorvaneApp\\.h[\">]")
  if(hits)
    list(APPEND offenders "${f}")
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "These include KorvaneApp.h; use the seams instead:\n  ${text}")
endif()
