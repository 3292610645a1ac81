# A Debian package of the installed tree: cpack -G DEB in the build folder.
# Its dependencies come from dpkg-shlibdeps on the programs, so they follow
# whatever the build links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plugsweep)
set(CPACK_PACKAGE_VENDOR "PlugSweep developers")
set(CPACK_PACKAGE_CONTACT "PlugSweep developers <plugsweep@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "crash-safe VST 2 and VST 3 plug-in scanner and catalogue")
# One paragraph: CPack indents each line of it for the control file.
set(CPACK_PACKAGE_DESCRIPTION
    "PlugSweep probes audio plug-ins in a process of its own, so that a plug-in that crashes or hangs never takes the host with it; plugcat lists, edits and runs the catalogue it builds, and runs plug-ins on audio and MIDI files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
