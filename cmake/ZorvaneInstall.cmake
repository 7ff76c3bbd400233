# Install helpers for the files that go with the programs.

# A hand-written manual page (section 1): its version line is filled in from
# project(), and it is compressed, as Debian keeps manual pages.
function(zorvane_install_man_page page)
  set(configured ${CMAKE_CURRENT_BINARY_DIR}/${page})
  configure_file(${page} ${configured} @ONLY)
  add_custom_command(OUTPUT ${configured}.gz
    COMMAND gzip -9 -n -k -f ${configured}
    DEPENDS ${configured}
    VERBATIM)
  add_custom_target(man_${page} ALL DEPENDS ${configured}.gz)
  install(FILES ${configured}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
