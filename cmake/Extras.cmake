# The user guide "Utilisation de Varnel.pdf", built from doc/guide/ with our own tools,
# and the installation of the program as a desktop application (files and .deb).

# ---- Pictures of the window ---------------------------------------------------------
# varnel-captures opens the real window offscreen, drives it and saves PNG grabs.
# It rewrites a picture only when it changed, so the guide is rebuilt only when the
# window really looks different (Ninja re-checks the outputs' dates after the run).
add_executable(varnel-captures src/tools/varnel-guide/captures.cpp)
target_link_libraries(varnel-captures PRIVATE varnel_gui)
set_target_properties(varnel-captures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(VARNEL_CAPTURES_DIR ${CMAKE_BINARY_DIR}/guide-images)
set(VARNEL_CAPTURES
    fenetre-depart.png fenetre-trame.png bande-saisie.png trace-exemple.png
    pas-a-pas.png arbitrage.png arbitrage-tableaux.png bande-saisie-fd.png trame-fd.png)
list(TRANSFORM VARNEL_CAPTURES PREPEND ${VARNEL_CAPTURES_DIR}/ OUTPUT_VARIABLE VARNEL_CAPTURE_FILES)
add_custom_command(
    OUTPUT ${VARNEL_CAPTURE_FILES}
    COMMAND varnel-captures ${VARNEL_CAPTURES_DIR}
    DEPENDS varnel-captures
    COMMENT "Images de la fenêtre pour le guide"
    VERBATIM)

# ---- The guide itself ------------------------------------------------------------------
# varnel-guide needs only Qt Gui: a change elsewhere in the program does not rebuild it.
add_executable(varnel-guide src/tools/varnel-guide/guide.cpp)
target_link_libraries(varnel-guide PRIVATE Qt6::Gui)
set_target_properties(varnel-guide PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(VARNEL_GUIDE_SOURCE ${CMAKE_SOURCE_DIR}/doc/guide/utilisation.html)
file(GLOB VARNEL_GUIDE_IMAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/doc/guide/*.png)
# Beside the programs in the build tree, where the window's "Aide" looks first.
set(VARNEL_GUIDE_PDF "${CMAKE_BINARY_DIR}/Utilisation de Varnel.pdf")
add_custom_command(
    OUTPUT "${VARNEL_GUIDE_PDF}"
    COMMAND varnel-guide "${VARNEL_GUIDE_SOURCE}" "${VARNEL_GUIDE_PDF}" ${PROJECT_VERSION}
            "${CMAKE_SOURCE_DIR}/doc/guide" "${VARNEL_CAPTURES_DIR}"
    DEPENDS varnel-guide "${VARNEL_GUIDE_SOURCE}" ${VARNEL_GUIDE_IMAGES} ${VARNEL_CAPTURE_FILES}
    COMMENT "Guide « Utilisation de Varnel.pdf »"
    VERBATIM)
add_custom_target(varnel_guide ALL DEPENDS "${VARNEL_GUIDE_PDF}")

# ---- Installation ------------------------------------------------------------------------
# The window looks for its guide in its own directory, then in ../share/varnel (not
# under share/doc: a program must keep working where documentation is not installed).
if(TARGET varnel)
    install(TARGETS varnel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS varnel-trame RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${VARNEL_GUIDE_PDF}" DESTINATION ${CMAKE_INSTALL_DATADIR}/varnel)
install(FILES ${CMAKE_SOURCE_DIR}/resources/varnel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The window's own icon (64 x 64) and the same drawing at 256 x 256 for large views.
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/varnel.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
if(EXISTS ${CMAKE_SOURCE_DIR}/resources/images/varnel.png)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/images/varnel.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()

# ---- Debian package: cd build && cpack -G DEB ----------------------------------------------
set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VENDOR "Varnel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Équipe Varnel <varnel.contact@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Teaching tool: CAN 2.0A/2.0B frames bit by bit and bitwise arbitration")
set(CPACK_PACKAGE_DESCRIPTION
    "Varnel shows, bit by bit, what a CAN frame looks like on the bus: raw and stuffed\n\
frames, CRC-15, the emitter, receiver, CAN_H and CAN_L traces, and plays the bitwise\n\
arbitration of three nodes. French user interface, with a user guide in French.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Équipe Varnel <varnel.contact@example.org>")
# The run-time libraries of Debian 12 that the programs link (as dpkg-shlibdeps lists
# them), and the platform plugin the window needs to open on a desktop.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 5.2), libqt6core6 (>= 6.4.0), \
libqt6gui6 (>= 6.4.0), libqt6widgets6 (>= 6.4.0), libqt6printsupport6 (>= 6.4.0), \
qt6-qpa-plugins (>= 6.4.0), libqcustomplot2.1-qt6 (>= 2.1.0)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pdf-viewer")
set(CPACK_STRIP_FILES ON)
include(CPack)
