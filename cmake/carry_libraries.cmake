# Runs at install time, after Vyx.app has been copied: every library it loads
# from outside the system (ICU, yaml-cpp, ... from Homebrew) is copied into
# Contents/Frameworks and referred to there through @executable_path, so that
# the bundle runs on a Mac without those packages and survives their upgrades.
# BundleUtilities stops the install if anything from outside is left. The
# copies' signatures no longer match, so the whole bundle is signed again.
# Set by the install rule: VYX_BUNDLE, VYX_LIBRARY_DIRS (where to look for
# libraries named by a relative path) and what codesign_bundle.cmake needs.
include(BundleUtilities)
# Homebrew installs its libraries read-only; install_name_tool must write them.
set(BU_CHMOD_BUNDLE_ITEMS ON)
fixup_bundle("${VYX_BUNDLE}" "" "${VYX_LIBRARY_DIRS}")
include(${CMAKE_CURRENT_LIST_DIR}/codesign_bundle.cmake)
