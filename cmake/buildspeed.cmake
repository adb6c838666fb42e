# What keeps a build quick on a small machine, without changing what is built:
# - three precompiled headers, made once and reused by every target: one of Qt Core and the standard
#   library for the targets without widgets, one that adds Qt Gui and Widgets, and one that adds Qt
#   Test for the tests;
# - unity builds: the sources of a target are compiled up to sixteen at a time in one unit;
# - the tests' own code compiled without optimisation: it is not shipped (the libraries it tests are
#   compiled as shipped), and the optimiser took a third of a test's compile;
# - moc reads only the project's and Qt's headers (below);
# - a fast linker where one is installed;
# - the compiler cache where one is installed: the same sources compile once in any clone of the
#   project (paths below the source folder count as relative), precompiled headers included.
#   CCACHE_DISABLE=1 in the environment turns it off for a build.
option(SIECIOWNIK_FAST_BUILD "All of the above but the compiler cache" ON)

find_program(SIECIOWNIK_CCACHE ccache)
if(SIECIOWNIK_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_CXX_COMPILER_LAUNCHER env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=true
      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime ${SIECIOWNIK_CCACHE})
endif()

if(NOT SIECIOWNIK_FAST_BUILD)
  return()
endif()

set(CMAKE_UNITY_BUILD ON)
# A precompiled header serves only units compiled with the same macros. The media library's flags
# bring _REENTRANT, which glibc treats as a no-op where _GNU_SOURCE (g++'s default) is on: defined
# everywhere, one header serves all.
add_compile_definitions(_REENTRANT)
set(CMAKE_UNITY_BUILD_BATCH_SIZE 16)

# CMake gives moc the compiler's own include folders besides the target's. There moc finds the
# standard library, which every Qt header includes, and reads it for every file it generates: three
# quarters of its time, for the same output (moc looks for classes, which the project's and Qt's
# headers hold). So moc runs through a wrapper that leaves those folders out.
set(SIECIOWNIK_MOC ${PROJECT_BINARY_DIR}/moc-without-compiler-folders)
set(compilerFolders "")
foreach(folder IN LISTS CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
  string(APPEND compilerFolders "    \"-I${folder}\") ;;\n")
endforeach()
file(GENERATE OUTPUT ${SIECIOWNIK_MOC}
     CONTENT "#!/bin/sh\n# moc without the compiler's own include folders (cmake/buildspeed.cmake says why).\nfor arg do\n  shift\n  case \"$arg\" in\n${compilerFolders}    *) set -- \"$@\" \"$arg\" ;;\n  esac\ndone\nexec \"$<TARGET_FILE:Qt6::moc>\" \"$@\"\n"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
unset(compilerFolders)

find_program(SIECIOWNIK_MOLD mold)
if(SIECIOWNIK_MOLD)
  add_link_options(-fuse-ld=mold)
endif()

set(SIECIOWNIK_PCH_CORE
  <algorithm> <functional> <map> <memory> <optional> <set> <string> <utility> <vector>
  <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash> <QList> <QMap> <QObject> <QSet>
  <QString> <QStringList> <QTimer> <QUrl> <QVariant>)
set(SIECIOWNIK_PCH_WIDGETS ${SIECIOWNIK_PCH_CORE}
  <QApplication> <QCheckBox> <QDialog> <QEvent> <QGroupBox> <QKeyEvent> <QLabel> <QLineEdit>
  <QListWidget> <QMessageBox> <QPushButton> <QWidget>)
# Every test includes the whole of Qt Test, which brings the whole of Qt Core and Gui.
set(SIECIOWNIK_PCH_TESTS ${SIECIOWNIK_PCH_WIDGETS} <QtTest>)

# Clang stamps a precompiled header with its build time, which the compiler cache cannot restore.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options("SHELL:-Xclang -fno-pch-timestamp")
endif()

add_library(pch_core OBJECT ${CMAKE_CURRENT_LIST_DIR}/pch.cpp)
target_link_libraries(pch_core PRIVATE Qt6::Core)
target_precompile_headers(pch_core PRIVATE ${SIECIOWNIK_PCH_CORE})
add_library(pch_widgets OBJECT ${CMAKE_CURRENT_LIST_DIR}/pch.cpp)
target_link_libraries(pch_widgets PRIVATE Qt6::Widgets)
target_precompile_headers(pch_widgets PRIVATE ${SIECIOWNIK_PCH_WIDGETS})
add_library(pch_tests OBJECT ${CMAKE_CURRENT_LIST_DIR}/pch.cpp)
# Qt Test's header brings its network helpers where Qt Network is linked; every test links it.
target_link_libraries(pch_tests PRIVATE Qt6::Widgets Qt6::Network Qt6::Test)
target_precompile_headers(pch_tests PRIVATE ${SIECIOWNIK_PCH_TESTS})
set_target_properties(pch_core pch_widgets pch_tests PROPERTIES AUTOMOC OFF AUTOUIC OFF)
set(SIECIOWNIK_TEST_OPTIONS -O0)
target_compile_options(pch_tests PRIVATE ${SIECIOWNIK_TEST_OPTIONS})

# Every C++ target below `folder`: its moc through the wrapper, and one of the three precompiled
# headers, by whether it sees Qt Test or widgets.
function(sieciownik_quick_build folder)
  sieciownik_targets_below(${folder} targets)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE)$" OR target MATCHES "^pch_")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    if(NOT sources)
      continue()
    endif()
    sieciownik_links_qt(${target} Test test)
    sieciownik_links_qt(${target} Widgets widgets)
    get_target_property(automoc ${target} AUTOMOC)
    if(automoc)
      set_target_properties(${target} PROPERTIES AUTOMOC_EXECUTABLE ${SIECIOWNIK_MOC})
      # The unit that CMake adds for generated code no source includes: empty here, as every source
      # includes its own, so not worth loading a precompiled header for.
      get_target_property(binaryDir ${target} BINARY_DIR)
      set_source_files_properties(${binaryDir}/${target}_autogen/mocs_compilation.cpp TARGET_DIRECTORY ${target}
                                  PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
    if(test)
      target_precompile_headers(${target} REUSE_FROM pch_tests)
      target_compile_options(${target} PRIVATE ${SIECIOWNIK_TEST_OPTIONS})
    elseif(widgets)
      target_precompile_headers(${target} REUSE_FROM pch_widgets)
    else()
      target_precompile_headers(${target} REUSE_FROM pch_core)
    endif()
  endforeach()
endfunction()
