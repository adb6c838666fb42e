# Every target defined in `folder` and the folders below it, for the steps that look at all of them
# once the configure step has seen the whole project.
function(sieciownik_targets_below folder result)
  get_property(found DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(subfolder IN LISTS subfolders)
    sieciownik_targets_below(${subfolder} below)
    list(APPEND found ${below})
  endforeach()
  set(${result} ${found} PARENT_SCOPE)
endfunction()
