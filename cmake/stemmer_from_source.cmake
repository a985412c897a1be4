# Builds Snowball's libstemmer as a static library from its C distribution
# (libstemmer_c: include/, runtime/, src_c/, libstemmer/) for systems that
# package no libstemmer (Homebrew has none). VYX_STEMMER_SOURCE names the
# sources: an unpacked folder, an archive, or an archive's URL. Sets
# STEMMER_INCLUDE_DIR and STEMMER_LIB as finding an installed library does.
if(IS_DIRECTORY "${VYX_STEMMER_SOURCE}")
  set(stemmer_dir "${VYX_STEMMER_SOURCE}")
else()
  include(FetchContent)
  FetchContent_Declare(libstemmer_c URL "${VYX_STEMMER_SOURCE}" DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
  FetchContent_MakeAvailable(libstemmer_c)
  set(stemmer_dir "${libstemmer_c_SOURCE_DIR}")
endif()
if(NOT EXISTS "${stemmer_dir}/include/libstemmer.h" OR NOT EXISTS "${stemmer_dir}/libstemmer/libstemmer.c")
  message(FATAL_ERROR "VYX_STEMMER_SOURCE: ${stemmer_dir} does not hold libstemmer_c's sources")
endif()
# The algorithms in every encoding, their runtime, and the one front end that
# knows them all (libstemmer_utf8.c is the UTF-8-only alternative to it).
file(GLOB stemmer_sources "${stemmer_dir}/runtime/*.c" "${stemmer_dir}/src_c/*.c")
add_library(vyx_stemmer STATIC ${stemmer_sources} "${stemmer_dir}/libstemmer/libstemmer.c")
# Third-party code, built as a package would be: without the project's
# warnings-as-errors and without sanitizers (dictgen, which runs during the
# build, links it and has none).
set_property(TARGET vyx_stemmer PROPERTY COMPILE_OPTIONS -w)
set(STEMMER_INCLUDE_DIR "${stemmer_dir}/include")
set(STEMMER_LIB vyx_stemmer)
