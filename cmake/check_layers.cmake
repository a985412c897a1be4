# Fails when a core layer includes a platform header: detect, store and
# pipeline reach the platform only through values their callers pass in.
foreach(layer detect store pipeline log text)
  file(GLOB_RECURSE files ${SRC}/${layer}/*.h ${SRC}/${layer}/*.cpp)
  foreach(f ${files})
    file(STRINGS ${f} hits REGEX "#include +\"(os|platform|shell)/")
    if(hits)
      message(FATAL_ERROR "${f} includes a higher layer: ${hits}")
    endif()
  endforeach()
endforeach()
