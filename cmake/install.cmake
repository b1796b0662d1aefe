# Install rules and the Debian package.
#
# The program finds every file relative to its program folder, so the whole runtime tree is
# installed as one private, read-only tree with links in bin/:
#   lib/zhengding/bin/        zhengding, zhengding-admin, syscfg.dbm, Book.layout, Order.layout, jpg/
#   lib/zhengding/init/       data.mdb (the demo catalogue, made at install time), mail files
#   lib/zhengding/html/, lib/zhengding/bookimages/
#   bin/zhengding, bin/zhengding-admin -> ../lib/zhengding/bin/...
# bin/per-user-tree marks the tree as installed: each user works in a copy of it under
# $XDG_DATA_HOME/zhengding (src/common/user_tree.h), made on first start.
include(GNUInstallDirs)

set(ZD_INSTALL_DEMO_TITLES 5000 CACHE STRING
    "Titles of the demo catalogue installed as init/data.mdb (0: install no database)")

set(ZD_INSTALL_TREE lib/zhengding)
set(ZD_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS zhengding RUNTIME DESTINATION ${ZD_INSTALL_TREE}/bin)
if(TARGET zhengding-admin)
  install(TARGETS zhengding-admin RUNTIME DESTINATION ${ZD_INSTALL_TREE}/bin)
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/ DESTINATION ${ZD_INSTALL_TREE}
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                              WORLD_READ WORLD_EXECUTE
        PATTERN "data.mdb" EXCLUDE)
install(FILES ${ZD_PACKAGING}/per-user-tree DESTINATION ${ZD_INSTALL_TREE}/bin)

# The demo catalogue, made by the freshly built admin tool inside the staged tree.
if(TARGET zhengding-admin AND ZD_INSTALL_DEMO_TITLES GREATER 0)
  install(CODE "
    set(tree \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZD_INSTALL_TREE}\")
    file(REMOVE \"\${tree}/init/data.mdb\")
    message(STATUS \"Making the demo catalogue (${ZD_INSTALL_DEMO_TITLES} titles): \${tree}/init/data.mdb\")
    foreach(step \"init\" \"demo;--titles;${ZD_INSTALL_DEMO_TITLES}\")
      execute_process(COMMAND \"$<TARGET_FILE:zhengding-admin>\" --config \"\${tree}/bin/syscfg.dbm\" \${step}
                      RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
      if(NOT rc EQUAL 0)
        message(FATAL_ERROR \"zhengding-admin \${step} failed: \${err}\")
      endif()
    endforeach()
    file(CHMOD \"\${tree}/init/data.mdb\" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    # What the admin tool's writes left beside the file belongs to run time, not to the
    # read-only tree: the desks' turn file goes; a journal left means the file was not closed
    # cleanly, and the package is not made from it.
    file(REMOVE \"\${tree}/init/data.mdb-desk.lock\")
    foreach(leftover \"-wal\" \"-shm\" \"-journal\")
      if(EXISTS \"\${tree}/init/data.mdb\${leftover}\")
        message(FATAL_ERROR \"zhengding-admin left \${tree}/init/data.mdb\${leftover}\")
      endif()
    endforeach()
  ")
endif()

# Links in bin/: the executables resolve their program folder through the link.
foreach(program zhengding zhengding-admin)
  if(TARGET ${program})
    install(CODE "
      set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
      get_filename_component(dir \"\${link}\" DIRECTORY)
      file(MAKE_DIRECTORY \"\${dir}\")
      file(REMOVE \"\${link}\")
      file(CREATE_LINK ../${ZD_INSTALL_TREE}/bin/${program} \"\${link}\" SYMBOLIC)
      message(STATUS \"Installing: \${link} -> ../${ZD_INSTALL_TREE}/bin/${program}\")
    ")
  endif()
endforeach()

# Desktop integration.
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${ZD_PACKAGING}/icons/zhengding-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME zhengding.png)
endforeach()
install(FILES ${ZD_PACKAGING}/icons/zhengding.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ZD_PACKAGING}/zhengding.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZD_PACKAGING}/com.example.zhengding.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian package: cpack -G DEB in a release build folder (scripts/package-check.sh).
set(CPACK_PACKAGE_NAME zhengding)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zhengding")
set(CPACK_PACKAGE_CONTACT "Zhengding developers <dev@zhengding.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "textbook ordering for schools and bookshops")
set(CPACK_PACKAGE_DESCRIPTION "Zhengding (征订) browses a season's textbook subscription catalogue,
collects titles in a cart and makes numbered orders, one per supplier,
that are sent by e-mail or exported as a workbook.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.zhengding.example.com")
# The libraries the programs link come from dpkg-shlibdeps; what is loaded at run time or
# started as a program is listed here: the SQL drivers (SQLite, Firebird, ODBC), the X11
# platform plugin, xdg-email/xdg-open, the Chinese font, the toolkit's Chinese texts and the
# system's certificates an SMTP server is verified against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-ibase, libqt6sql6-odbc, qt6-qpa-plugins, xdg-utils, fonts-wqy-microhei, qt6-translations-l10n, ca-certificates")
set(CPACK_STRIP_FILES ON)
include(CPack)

# The desktop entry and the AppStream data are checked with the tools the desktops use.
if(ZD_TESTS)
  find_program(ZD_DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(ZD_APPSTREAMCLI appstreamcli)
  if(ZD_DESKTOP_FILE_VALIDATE)
    add_test(NAME packaging.desktop_entry
             COMMAND ${ZD_DESKTOP_FILE_VALIDATE} ${ZD_PACKAGING}/zhengding.desktop)
  endif()
  # The staged install: nothing writable by everybody, no run-time file shipped.
  find_program(ZD_BASH bash)
  if(ZD_BASH)
    add_test(NAME packaging.installed_tree
             COMMAND ${ZD_BASH} ${CMAKE_SOURCE_DIR}/scripts/check-installed-tree.sh
                     --install ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/installed-tree-check)
  endif()
  if(ZD_APPSTREAMCLI)
    add_test(NAME packaging.appstream_metainfo
             COMMAND ${ZD_APPSTREAMCLI} validate --no-net --pedantic
                     ${ZD_PACKAGING}/com.example.zhengding.metainfo.xml)
  endif()
endif()
