# Fails when a library that must build without widgets (the platform core, the catalogue, the
# station sources, the station finder's matching, the search addresses, the cleaning steps) or the
# catalogue tool has the Qt Widgets or Gui headers on a compile line, or when the tool links either
# library.
# Run as: cmake -DCOMMANDS=compile_commands.json -DBUILD_FILE=build.ninja -P widgetfree.cmake
cmake_minimum_required(VERSION 3.25)
set(widget_free platform catalogue catalogue_sources stationfinder search privacy sieciownik-feed)

file(READ "${COMMANDS}" commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
set(checked 0)
set(seen_targets "")
set(faults "")
foreach(i RANGE ${last})
  string(JSON line GET "${commands}" ${i} command)
  string(JSON source GET "${commands}" ${i} file)
  foreach(target IN LISTS widget_free)
    if(line MATCHES "CMakeFiles/${target}\\.dir/")
      math(EXPR checked "${checked} + 1")
      list(APPEND seen_targets ${target})
      if(line MATCHES "QtWidgets|QtGui")
        list(APPEND faults "${target}: ${source}")
      endif()
    endif()
  endforeach()
endforeach()
# Sources are compiled a few at a time, so count targets, not lines: each must have been seen.
foreach(target IN LISTS widget_free)
  if(NOT target IN_LIST seen_targets)
    message(FATAL_ERROR "no compile line of ${target} found in ${COMMANDS}")
  endif()
endforeach()
if(faults)
  list(JOIN faults "\n  " listed)
  message(FATAL_ERROR "compiled with the Qt Widgets or Gui headers:\n  ${listed}")
endif()

# The tool's link line, as the build file gives it: its libraries and everything they bring with them.
file(STRINGS "${BUILD_FILE}" tool_build REGEX "^build bin/sieciownik-feed:")
if(NOT tool_build)
  message(FATAL_ERROR "no link of sieciownik-feed in ${BUILD_FILE}")
endif()
if(tool_build MATCHES "libQt6(Widgets|Gui)")
  message(FATAL_ERROR "sieciownik-feed links Qt Widgets or Gui")
endif()
message(STATUS "${checked} compile lines and the catalogue tool are free of Qt Widgets and Gui")
