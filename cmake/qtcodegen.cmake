# Qt's code generators as ordinary build steps, one per file, instead of CMake's per-target
# automatic step, which gave moc every include folder of the target: it then read the whole of the
# standard library and of the media library's headers for every file (two seconds a target, for the
# same output).
#
# Call sieciownik_qt_codegen() at the end of every CMakeLists.txt whose targets have forms (.ui) or
# classes with Q_OBJECT, Q_GADGET or Q_NAMESPACE; the configure step stops where one is missing.
# The generated files are never compiled on their own: each is included by the file it is for.
#   header foo.h with such a class  -> moc_foo.cpp, which a source of the target includes at its end
#   source foo.cpp with such a class -> foo.moc, which foo.cpp includes
#   form foo.ui                      -> ui_foo.h
# A target's generators run in a step of their own that waits for nothing, so that no moc waits for
# the libraries its target links. The files are looked at when CMake configures: a file that gains
# its first such class needs a new configure run (cmake -B build), as a new source file does.

# The folders moc reads: the project's sources and Qt's headers (they tell it which types are
# registered and which headers the generated code needs), never the build folder: there it would
# find the file it is making, included by the source it reads, and name it as its own dependency.
get_target_property(qtCoreIncludes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
list(GET qtCoreIncludes 0 qtHeaders)
get_filename_component(qtHeaders ${qtHeaders} DIRECTORY)
set(mocFolders ${PROJECT_SOURCE_DIR} ${qtHeaders} ${PROJECT_BINARY_DIR})
list(TRANSFORM mocFolders REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1")
list(GET mocFolders 2 buildFolder)
list(REMOVE_AT mocFolders 2)
list(JOIN mocFolders "|" mocFolders)
set(SIECIOWNIK_MOC_FOLDERS_REGEX "^(${mocFolders})(/|$)")
set(SIECIOWNIK_MOC_SKIPPED_REGEX "^${buildFolder}(/|$)")
unset(buildFolder)
unset(mocFolders)
unset(qtHeaders)
unset(qtCoreIncludes)
set(SIECIOWNIK_QT_CLASS_REGEX "^[ \t]*(Q_OBJECT|Q_GADGET|Q_NAMESPACE)")

function(sieciownik_qt_codegen)
  get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    get_target_property(sourceDir ${target} SOURCE_DIR)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_qt)
    set(includes "$<FILTER:$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>,INCLUDE,${SIECIOWNIK_MOC_FOLDERS_REGEX}>")
    set(includes "$<FILTER:${includes},EXCLUDE,${SIECIOWNIK_MOC_SKIPPED_REGEX}>")
    set(definitions "$<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>")
    set(generated "")
    set(includedMocs "")
    set(headerMocs "")
    foreach(source IN LISTS sources)
      if(source MATCHES "^\\$<")
        continue()
      endif()
      get_filename_component(path ${source} ABSOLUTE BASE_DIR ${sourceDir})
      get_filename_component(name ${source} NAME_WE)
      get_filename_component(ext ${source} LAST_EXT)
      if(NOT EXISTS ${path})
        continue()  # made by the build itself
      endif()
      if(ext STREQUAL ".ui")
        add_custom_command(OUTPUT ${out}/ui_${name}.h
                           COMMAND Qt6::uic -o ${out}/ui_${name}.h ${path}
                           DEPENDS ${path} Qt6::uic
                           COMMENT "uic ${name}.ui" VERBATIM)
        list(APPEND generated ${out}/ui_${name}.h)
        continue()
      elseif(NOT ext MATCHES "^\\.(h|cpp)$")
        continue()
      endif()
      if(ext STREQUAL ".cpp")
        file(STRINGS ${path} lines REGEX "^#include \"moc_[A-Za-z0-9_]+\\.cpp\"")
        foreach(line IN LISTS lines)
          string(REGEX REPLACE "^#include \"moc_([A-Za-z0-9_]+)\\.cpp\".*" "\\1" included "${line}")
          list(APPEND includedMocs ${included})
        endforeach()
      endif()
      file(STRINGS ${path} classes REGEX "${SIECIOWNIK_QT_CLASS_REGEX}" LIMIT_COUNT 1)
      if(NOT classes)
        continue()
      endif()
      if(ext STREQUAL ".h")
        set(moc ${out}/moc_${name}.cpp)
        list(APPEND headerMocs ${name})
      else()
        set(moc ${out}/${name}.moc)
      endif()
      if(moc IN_LIST generated)
        message(FATAL_ERROR "${target}: two files named ${name}${ext} would both make ${moc}")
      endif()
      add_custom_command(OUTPUT ${moc}
                         COMMAND Qt6::moc "$<$<BOOL:${definitions}>:-D$<JOIN:${definitions},;-D>>"
                                 "$<$<BOOL:${includes}>:-I$<JOIN:${includes},;-I>>"
                                 --output-dep-file -o ${moc} ${path}
                         DEPENDS ${path} Qt6::moc
                         DEPFILE ${moc}.d
                         COMMENT "moc ${name}${ext}" COMMAND_EXPAND_LISTS VERBATIM)
      list(APPEND generated ${moc})
    endforeach()
    if(NOT generated)
      continue()
    endif()
    foreach(name IN LISTS headerMocs)
      if(NOT name IN_LIST includedMocs)
        message(FATAL_ERROR "${target}: one of its sources must #include \"moc_${name}.cpp\" at its end")
      endif()
    endforeach()
    add_custom_target(${target}_qt DEPENDS ${generated})
    add_dependencies(${target} ${target}_qt)
    target_include_directories(${target} PRIVATE ${out})
    set_property(TARGET ${target} PROPERTY SIECIOWNIK_QT_CODEGEN ON)
  endforeach()
endfunction()

# At the end of the configure step: every target whose files need Qt's generators has had them.
function(sieciownik_check_qt_codegen folder)
  sieciownik_targets_below(${folder} targets)
  foreach(target IN LISTS targets)
    get_target_property(done ${target} SIECIOWNIK_QT_CODEGEN)
    get_target_property(sources ${target} SOURCES)
    get_target_property(sourceDir ${target} SOURCE_DIR)
    if(done OR NOT sources)
      continue()
    endif()
    foreach(source IN LISTS sources)
      if(source MATCHES "^\\$<" OR NOT source MATCHES "\\.(h|cpp|ui)$")
        continue()
      endif()
      get_filename_component(path ${source} ABSOLUTE BASE_DIR ${sourceDir})
      if(NOT EXISTS ${path})
        continue()
      endif()
      set(classes "")
      if(NOT source MATCHES "\\.ui$")
        file(STRINGS ${path} classes REGEX "${SIECIOWNIK_QT_CLASS_REGEX}" LIMIT_COUNT 1)
      endif()
      if(classes OR source MATCHES "\\.ui$")
        message(FATAL_ERROR "${path} needs Qt's code generators: call sieciownik_qt_codegen() at the end of ${sourceDir}/CMakeLists.txt")
      endif()
    endforeach()
  endforeach()
endfunction()
