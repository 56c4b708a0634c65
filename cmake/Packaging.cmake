# Installing like any desktop program: `cmake --install` puts the programs
# under the prefix with a menu entry, the icon in the hicolor theme and
# AppStream metainfo; `cpack -G DEB` wraps the same into a Debian package.
include(GNUInstallDirs)

# Reverse-DNS name of the desktop entry, the icon and the metainfo.
set(SP_APP_ID id.ac.unrawi.kopma.simpanpinjam)
set(sp_packaging ${CMAKE_CURRENT_LIST_DIR}/../packaging)

# Every program the package installs into bin: the program and the tool
# that moves a book between a folder and a database server.
install(TARGETS simpanpinjam simpanpinjam-pindah RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu entry names the program by its full installed path. That path is
# known only at install time: cpack installs under its own prefix (/usr), not
# the one configured here.
set(sp_desktop ${CMAKE_BINARY_DIR}/packaging/${SP_APP_ID}.desktop)
install(CODE "
  set(SP_APP_ID ${SP_APP_ID})
  set(SP_EXEC [[${CMAKE_INSTALL_BINDIR}/simpanpinjam]])
  cmake_path(ABSOLUTE_PATH SP_EXEC BASE_DIRECTORY \"\${CMAKE_INSTALL_PREFIX}\" NORMALIZE)
  configure_file([[${sp_packaging}/simpanpinjam.desktop.in]] [[${sp_desktop}]] @ONLY)
")
install(FILES ${sp_desktop} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon, drawn by tools/make-icons.sh at the theme's usual sizes.
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${sp_packaging}/icons/${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${SP_APP_ID}.png)
endforeach()

configure_file(${sp_packaging}/metainfo.xml.in
  ${CMAKE_BINARY_DIR}/packaging/${SP_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${SP_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The Debian package. dpkg-shlibdeps finds the shared libraries; what the
# program loads or draws with at run time is named by hand: Qt's platform
# plugins, X11's among them (Qt itself only recommends them), and the
# reports' fonts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME simpanpinjam)
set(CPACK_PACKAGE_VENDOR "Koperasi Mahasiswa")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Simpan pinjam koperasi mahasiswa / student cooperative savings and loans")
set(CPACK_PACKAGE_DESCRIPTION [[
Pembukuan simpan pinjam koperasi mahasiswa: daftar anggota beserta orang
tuanya, simpanan wajib, sukarela dan wisuda, pinjaman dengan biaya
administrasi 7 %, serta laporan dan slip yang tampil di pratinjau cetak.

The savings-and-loan book of a student cooperative: the member register with
the members' parents, compulsory, voluntary and graduation savings, loans
with their 7 % administration fee, and reports and slips shown in a print
preview. The interface is in Indonesian.]])
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pengembang Simpan Pinjam <simpanpinjam@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION office)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
