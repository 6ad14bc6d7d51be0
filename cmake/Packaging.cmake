# Installation (cmake --install) and the Debian packages (cpack): "ostrevan" holds the application and
# ostrevan-cli, "ostrevan-dataserver" the form-data server and its service. Shared files go to
# share/ostrevan, where the installed programs look for them next to their bin/ folder.
# The packages are made for /usr (programs in /usr/bin, settings in /etc), and so is a new tree's install.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install path prefix" FORCE)
endif()
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    message(STATUS "Installing under ${CMAKE_INSTALL_PREFIX}; the Debian packages want -DCMAKE_INSTALL_PREFIX=/usr")
endif()
include(GNUInstallDirs)

set(packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(OSTREVAN_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/ostrevan)

# The changelog's newest entry names the version the packages carry.
file(STRINGS ${packaging_dir}/debian/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^ostrevan \\(${PROJECT_VERSION}-[0-9]+\\)")
    message(FATAL_ERROR "packaging/debian/changelog does not begin with version ${PROJECT_VERSION}: ${changelog_head}")
endif()
string(REGEX REPLACE "^ostrevan \\([^-]+-([0-9]+)\\).*" "\\1" OSTREVAN_DEBIAN_RELEASE "${changelog_head}")

# Debian wants manual pages and the changelog compressed, reproducibly (no name or time stamp: -n).
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
set(compressed)
# The changelog of a package with a Debian revision is changelog.Debian.
foreach(source IN ITEMS man/ostrevan.1 man/ostrevan-cli.1 man/ostrevan-dataserver.1 debian/changelog)
    get_filename_component(name ${source} NAME)
    string(REPLACE changelog changelog.Debian name ${name})
    set(output ${packaging_out}/${name}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}
        COMMAND ${GZIP_EXECUTABLE} -9nc ${packaging_dir}/${source} > ${output}
        DEPENDS ${packaging_dir}/${source} VERBATIM)
    list(APPEND compressed ${output})
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${compressed})

configure_file(${packaging_dir}/dataserver/ostrevan-dataserver.service.in
               ${packaging_out}/ostrevan-dataserver.service @ONLY)
configure_file(${packaging_dir}/dataserver/conffiles.in ${packaging_out}/conffiles @ONLY)

# Every library comes from the system: no search path of our own in the installed programs.
set_target_properties(ostrevan ostrevan-cli ostrevan-dataserver PROPERTIES INSTALL_RPATH "")

# The application and its command-line companion.
install(TARGETS ostrevan ostrevan-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ostrevan)
# The browser and sound modules, found from the program's folder by the path between them.
set(webview_dir ${CMAKE_INSTALL_LIBDIR}/ostrevan)
file(RELATIVE_PATH webview_relative_dir /${CMAKE_INSTALL_BINDIR} /${webview_dir})
target_compile_definitions(ostrevan_formdata_ui PRIVATE OSTREVAN_WEBVIEW_INSTALLED_DIR="${webview_relative_dir}")
target_compile_definitions(ostrevan_app_ui PRIVATE OSTREVAN_MODULES_INSTALLED_DIR="${webview_relative_dir}")
install(TARGETS ostrevan-sound LIBRARY DESTINATION ${webview_dir} COMPONENT ostrevan)
if(TARGET ostrevan-webview)
    install(TARGETS ostrevan-webview LIBRARY DESTINATION ${webview_dir} COMPONENT ostrevan)
endif()
install(FILES ${packaging_dir}/ostrevan.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT ostrevan)
install(FILES ${packaging_dir}/appstream/au.ostrevan.Ostrevan.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT ostrevan)
install(FILES ${packaging_dir}/icons/ostrevan.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT ostrevan)
install(DIRECTORY ${packaging_dir}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT ostrevan)
install(FILES ${packaging_out}/ostrevan.1.gz ${packaging_out}/ostrevan-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ostrevan)
install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md ${CMAKE_SOURCE_DIR}/resources/weights-example.csv
        DESTINATION ${OSTREVAN_SHARE_DIR} COMPONENT ostrevan)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/guide DESTINATION ${OSTREVAN_SHARE_DIR} COMPONENT ostrevan
        FILES_MATCHING PATTERN "*.png")

# The form-data server as a service.
install(TARGETS ostrevan-dataserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT dataserver)
install(FILES ${packaging_out}/ostrevan-dataserver.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT dataserver)
install(FILES ${packaging_out}/ostrevan-dataserver.service DESTINATION lib/systemd/system COMPONENT dataserver)
install(FILES ${packaging_dir}/dataserver/sysusers.conf DESTINATION lib/sysusers.d
        RENAME ostrevan-dataserver.conf COMPONENT dataserver)
# Closed to others from the start; postinst gives the service's group read access.
install(FILES ${packaging_dir}/dataserver/dataserver.conf DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/ostrevan
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ COMPONENT dataserver)

foreach(component_package IN ITEMS ostrevan:ostrevan dataserver:ostrevan-dataserver)
    string(REPLACE ":" ";" pair ${component_package})
    list(GET pair 0 component)
    list(GET pair 1 package)
    install(FILES ${packaging_dir}/debian/copyright ${packaging_out}/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrevan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ostrevan maintainers")
set(CPACK_PACKAGE_CONTACT "Ostrevan maintainers <maintainers@users.noreply.c-seed-e4ac70ec.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ostrevan dataserver)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${OSTREVAN_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_OSTREVAN_PACKAGE_NAME ostrevan)
set(CPACK_DEBIAN_OSTREVAN_PACKAGE_SECTION misc)
# Qt loads its SQLite driver as a plugin, QtKeychain the secret service's client library and the
# programs libcurl with their first request, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_OSTREVAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libsecret-1-0, libcurl4")
set(CPACK_DEBIAN_OSTREVAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_OSTREVAN_PACKAGE_SUGGESTS "ostrevan-dataserver")
set(CPACK_COMPONENT_OSTREVAN_DESCRIPTION
   "booking agent's desk for managed jockeys in Australian racing
Ostrevan 2 loads the fields of coming race meetings (nominations, weights,
acceptances) from field files or the racing web sites, shows every nominated
horse with its trainer and books the managed jockeys onto horses. It warns
when a new field contradicts a booking, looks up form on a form-data server,
calculates weights from ratings and prints meeting reports and invoices.

This package holds the desktop application and ostrevan-cli, the same core
without windows for scripted imports, downloads and invoices.")

set(CPACK_DEBIAN_DATASERVER_PACKAGE_NAME ostrevan-dataserver)
set(CPACK_DEBIAN_DATASERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_DATASERVER_PACKAGE_CONTROL_EXTRA
    ${packaging_out}/conffiles ${packaging_dir}/dataserver/postinst
    ${packaging_dir}/dataserver/prerm ${packaging_dir}/dataserver/postrm)
set(CPACK_DEBIAN_DATASERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_DATASERVER_DESCRIPTION
   "form-data server for Ostrevan 2
ostrevan-dataserver answers the form queries of Ostrevan 2 over HTTP or
HTTPS from a SQLite file or a MariaDB database: one read-only SELECT over
the six form tables per request, with limits on time, rows and bytes.

The package holds the server with its administration commands (init,
add-user, import, generate-demo) and a systemd service that reads
/etc/ostrevan/dataserver.conf.")

include(CPack)
