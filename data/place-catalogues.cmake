# Copies the shipped catalogues from FROM into TO where TO has none yet.
foreach(name TV.FEED RADIO.FEED)
  if(NOT EXISTS "${TO}/${name}")
    file(COPY_FILE "${FROM}/${name}" "${TO}/${name}")
  endif()
endforeach()
