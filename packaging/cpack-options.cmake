# SPDX-License-Identifier: LicenseRef-Draventa-freeware
# Read by cpack for each generator run. A source tarball holds the tree as it
# is, so the /usr prefix that the binary package installs under has no place
# in it.
if(CPACK_SOURCE_INSTALLED_DIRECTORIES)
  set(CPACK_PACKAGING_INSTALL_PREFIX "/")
endif()
