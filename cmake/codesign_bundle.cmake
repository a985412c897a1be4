# Signs an application bundle: first the libraries it carries in
# Contents/Frameworks, then the bundle itself, which seals its Info.plist and
# signs every architecture of its executable. Run with cmake -P, or included
# by an install script, with
#   VYX_BUNDLE             the .app folder
#   VYX_CODESIGN_IDENTITY  "-" (ad hoc) or a code-signing certificate's name
#   VYX_BUNDLE_ID          the signature's identifier, the same across rebuilds
#   VYX_ENTITLEMENTS       entitlements for the hardened runtime
# A certificate's signature also turns on the hardened runtime. Its library
# validation would refuse every library not signed by Apple or by the same
# team, and a self-signed certificate has no team: Homebrew's libraries in the
# build tree, and the copies in an installed bundle, would not load. The
# entitlements lift that one check.
foreach(var VYX_BUNDLE VYX_CODESIGN_IDENTITY VYX_BUNDLE_ID VYX_ENTITLEMENTS)
  if("${${var}}" STREQUAL "")
    message(FATAL_ERROR "codesign_bundle: ${var} is not set")
  endif()
endforeach()
find_program(VYX_CODESIGN codesign REQUIRED)

set(sign ${VYX_CODESIGN} --force --sign "${VYX_CODESIGN_IDENTITY}")
set(app_options --identifier "${VYX_BUNDLE_ID}")
if(NOT VYX_CODESIGN_IDENTITY STREQUAL "-")
  list(APPEND sign --options runtime)
  list(APPEND app_options --entitlements "${VYX_ENTITLEMENTS}")
endif()

file(GLOB carried "${VYX_BUNDLE}/Contents/Frameworks/*")
foreach(item IN LISTS carried)
  execute_process(COMMAND ${sign} "${item}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
execute_process(COMMAND ${sign} ${app_options} "${VYX_BUNDLE}" COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Signed ${VYX_BUNDLE} as ${VYX_BUNDLE_ID} (identity ${VYX_CODESIGN_IDENTITY})")
