# Builds Snowball's libstemmer as a static library from its C distribution
# (libstemmer_c: include/, runtime/, src_c/, libstemmer/) for systems that
# package no libstemmer (Homebrew has none). VYX_STEMMER_SOURCE names the
# sources: an unpacked folder, an archive, or an archive's URL. Sets
# STEMMER_INCLUDE_DIR and STEMMER_LIB as finding an installed library does.
#
# Code fetched from the network is compiled into the program that reads every
# keystroke, so a downloaded archive must match its SHA-256: VYX_STEMMER_SHA256
# when given (it is checked for a local archive too), else the published hash
# of libstemmer_c-2.2.0.tar.gz for that file; any other URL needs the hash.
set(stemmer_2_2_0_sha256 b941d9fe9cf36b4e2f8d3873cd4d8b8775bd94867a1df8d8c001bb8b688377c3)
if(IS_DIRECTORY "${VYX_STEMMER_SOURCE}")
  set(stemmer_dir "${VYX_STEMMER_SOURCE}")
else()
  set(stemmer_sha256 "${VYX_STEMMER_SHA256}")
  if(VYX_STEMMER_SOURCE MATCHES "^[A-Za-z][A-Za-z0-9+.-]*://" AND NOT stemmer_sha256)
    if(VYX_STEMMER_SOURCE MATCHES "/libstemmer_c-2\\.2\\.0\\.tar\\.gz$")
      set(stemmer_sha256 ${stemmer_2_2_0_sha256})
    else()
      message(FATAL_ERROR "VYX_STEMMER_SOURCE: ${VYX_STEMMER_SOURCE} is downloaded, and no hash "
                          "is known for it: pass its SHA-256 as -DVYX_STEMMER_SHA256=...")
    endif()
  endif()
  set(stemmer_hash)
  if(stemmer_sha256)
    string(LENGTH "${stemmer_sha256}" stemmer_sha256_length)
    if(NOT stemmer_sha256 MATCHES "^[0-9A-Fa-f]+$" OR NOT stemmer_sha256_length EQUAL 64)
      message(FATAL_ERROR "VYX_STEMMER_SHA256: ${stemmer_sha256} is not a SHA-256 in hexadecimal")
    endif()
    set(stemmer_hash URL_HASH SHA256=${stemmer_sha256})
  endif()
  include(FetchContent)
  FetchContent_Declare(libstemmer_c URL "${VYX_STEMMER_SOURCE}" ${stemmer_hash}
                       DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
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
