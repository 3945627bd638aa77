# The packages `./dev package` makes with CPack from build/: a Debian package of both
# programs, their menu entry, icon and README, and a zip of the 32-bit and the 64-bit
# Windows programs, taken from the Windows builds beside build/.
if(WIN32)
  # Each program in a folder named by its width, beside the text on how to start them.
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  install(TARGETS brivola-composer RUNTIME DESTINATION ${bits}-bit)
  install(FILES ${sound_library_dlls} DESTINATION ${bits}-bit)
  install(FILES cmake/windows-readme.txt DESTINATION . RENAME README.txt)
  # The libraries' licences, the same for both builds.
  install(DIRECTORY ${BRIVOLA_SOUND_LIBRARIES}/licenses/ DESTINATION licenses)
  return()
endif()

# The README, the copyright and the changelog go into the package only: `cmake --install`
# installs the program alone. Debian wants the changelog compressed with gzip -9n.
set(changelog_source ${PROJECT_SOURCE_DIR}/src/resources/changelog)
set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog_source}
             ${PROJECT_SOURCE_DIR}/src/resources/org.brivola.composer.metainfo.xml)
# The changelog's latest entry and the AppStream metadata's latest release name the
# version the package is made with.
file(STRINGS ${changelog_source} changelog_top LIMIT_COUNT 1)
file(READ ${PROJECT_SOURCE_DIR}/src/resources/org.brivola.composer.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"[^\"]*\"" metainfo_release "${metainfo}")
if(NOT changelog_top MATCHES "^brivola-composer \\(${PROJECT_VERSION}\\) "
   OR NOT metainfo_release STREQUAL "<release version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "The changelog and the AppStream metadata must begin with version "
                      "${PROJECT_VERSION}, the project's")
endif()
execute_process(COMMAND gzip -9n INPUT_FILE ${changelog_source} OUTPUT_FILE ${changelog}
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES README.md src/resources/copyright ${changelog}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/brivola-composer
        COMPONENT package_documents EXCLUDE_FROM_ALL)

# What each package kind installs, as CPACK_INSTALL_CMAKE_PROJECTS entries (build folder,
# project, component, folder in the package); cmake/package_kinds.cmake picks one.
set(CPACK_BRIVOLA_DEBIAN_PROJECTS
    ${PROJECT_BINARY_DIR} ${PROJECT_NAME} ALL /
    ${PROJECT_BINARY_DIR} ${PROJECT_NAME} package_documents /)
set(BRIVOLA_WINDOWS_BUILDS "${PROJECT_SOURCE_DIR}/build-win32;${PROJECT_SOURCE_DIR}/build-win64"
    CACHE STRING "The 32-bit and 64-bit Windows build folders the zip is made from")
set(CPACK_BRIVOLA_WINDOWS_PROJECTS)
foreach(build IN LISTS BRIVOLA_WINDOWS_BUILDS)
  list(APPEND CPACK_BRIVOLA_WINDOWS_PROJECTS ${build} ${PROJECT_NAME} ALL /)
endforeach()

set(CPACK_GENERATOR DEB ZIP)
set(CPACK_PACKAGE_NAME brivola-composer)
set(CPACK_PACKAGE_VENDOR "Brivola")
set(CPACK_PACKAGE_CONTACT "Brivola Synthesis Composer developers <developers@brivola.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "NES sound channel sample composer and Synth file tool")
# Debian shows the description as it stands: lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "\
Brivola Synthesis Composer attaches 16-bit PCM samples to the seven synthesis
waves of the NES sound channels, previews them and saves them as one Synth
file. brivola-syn builds, inspects, extracts and renders Synth files on the
command line.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/package_kinds.cmake")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# dpkg-shlibdeps finds the libraries the programs link; Qt loads its X11 platform plugin
# at run time, and the windows need a font to draw their text.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2")
include(CPack)
