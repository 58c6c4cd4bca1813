# cpack -G DEB: one package holding the program and its desktop integration.
set(CPACK_PACKAGE_NAME "plenwick")
set(CPACK_PACKAGE_VENDOR "Tarvik")
set(CPACK_PACKAGE_VERSION "${PLENWICK_DISPLAY_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Join Multiple MS Word Documents into One")
set(CPACK_PACKAGE_DESCRIPTION
    "Plenwick joins every Word document (.doc, .docx) found in a folder and all of its
subfolders into one new document, with a live counter and a save after every document.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PLENWICK_SITE}/plenwick.html")
set(CPACK_PACKAGE_CONTACT "Tarvik")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "text")
# Libraries come from dpkg-shlibdeps; the rest are used at run time without being linked:
# Tahoma for the window, xdg-open for web pages and folders.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, xdg-utils")
# LibreOffice turns legacy .doc files into something the joiner reads; without it they are
# reported and skipped.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-writer-nogui | libreoffice-writer")

include(CPack)
