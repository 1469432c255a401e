# Fails when a source under Korvane/Wnds, Korvane/controls, Korvane/grid or Korvane/wizard of
# ROOT includes KorvaneApp.h, MainFrame.h or KorvaneView.h (with or without a folder before it).
file(GLOB_RECURSE files
  ${ROOT}/Korvane/Wnds/*.h ${ROOT}/Korvane/Wnds/*.cpp
  ${ROOT}/Korvane/controls/*.h ${ROOT}/Korvane/controls/*.cpp
  ${ROOT}/Korvane/grid/*.h ${ROOT}/Korvane/grid/*.cpp
  ${ROOT}/Korvane/wizard/*.h ${ROOT}/Korvane/wizard/*.cpp)
set(offenders "")
foreach(f IN LISTS files)
  file(STRINGS "${f}" hits
       REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*/)?(KorvaneApp|MainFrame|KorvaneView)\\.h[\">]")
  if(hits)
    list(APPEND offenders "${f}: ${hits}")
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "These include the application, the main frame or the view; use the seams "
                      "(page ids: PageIds.h; a control tells its parent by a message) instead:\n  ${text}")
endif()
