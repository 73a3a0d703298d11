# The Debian package, made by CPack from the install rules:
#   cpack -G DEB --config build/CPackConfig.cmake
# gives quorrel_<version>_<arch>.deb. scripts/package.sh makes it from a clean build.
set(CPACK_PACKAGE_NAME quorrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quorrel Project")
set(CPACK_PACKAGE_CONTACT "The Quorrel Project <quorrel@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "file shredder: destroys files so they cannot be read back")
# The extended description: CPack indents it and marks its empty lines for the control file.
set(CPACK_PACKAGE_DESCRIPTION
    "Quorrel overwrites each file in place with the passes of the chosen method
(from one pass of zeros to thirty passes of random data), flushes every pass
to the disk, then truncates the file, renames it to a random name and deletes
it. Folders are walked depth first and removed once empty.

The package holds the window, quorrel, which shreds a list of files and
folders, a folder tree or the trash and reports every step in its action log,
and the terminal shredder quorrel-shred. File managers open files and folders
with Quorrel into its list; nothing is shredded before the user confirms.

Overwriting in place does not reach old data on copy-on-write file systems
(btrfs, ZFS), on SSDs that remap blocks, or in snapshots and backups.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# The libraries' packages come from the binaries (dpkg-shlibdeps). Qt's platform plugins are
# loaded at run time, so no binary names them: the window cannot open without them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(QUORREL_GUI)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
    # The help opens in the desktop's browser.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")

include(CPack)
