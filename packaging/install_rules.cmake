# SPDX-License-Identifier: GPL-3.0-or-later
# Where an installed program and its data go, one function per kind of file.
include(GNUInstallDirs)

# The reverse-DNS name of the desktop program: desktop entry, icon, AppStream
# metadata and the window's desktop file name all use it.
set(KES_APP_ID org.kestrelmaps.kesTranscribe)
# Debian package names are lower case; its documentation folder follows it.
set(KES_PACKAGE_NAME kestranscribe)
set(KES_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${KES_PACKAGE_NAME})

# A compressed copy of a text file, made at build time (gzip -n: no name or
# time stamp inside, so the package is the same from build to build).
function(kes_gzip_file source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9 -n -c ${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${source}"
    VERBATIM)
endfunction()

# Installs a program into bin/ with its manual page of section 1
# (man/TARGET.1), compressed as manual pages are on Debian.
function(kes_install_program target)
  set(page ${PROJECT_SOURCE_DIR}/man/${target}.1)
  set(compressed ${PROJECT_BINARY_DIR}/man/${target}.1.gz)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  kes_gzip_file(${page} ${compressed})
  add_custom_target(${target}_manual_page ALL DEPENDS ${compressed})
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# Installs the shell completions of a command, made at build time by the
# command itself from its option table ('TARGET --completion=SHELL'), where
# bash-completion, zsh and fish look for them.
function(kes_install_completions target)
  set(folder ${PROJECT_BINARY_DIR}/completions)
  set(bash ${folder}/${target}) # bash finds a completion by the command's name
  set(zsh ${folder}/_${target})
  set(fish ${folder}/${target}.fish)
  foreach(shell bash zsh fish)
    add_custom_command(OUTPUT ${${shell}}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND $<TARGET_FILE:${target}> --completion=${shell} > ${${shell}}
      DEPENDS ${target}
      COMMENT "Making the ${shell} completion of ${target}"
      VERBATIM)
  endforeach()
  add_custom_target(${target}_completions ALL DEPENDS ${bash} ${zsh} ${fish})
  install(FILES ${bash} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)
  install(FILES ${zsh} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions)
  install(FILES ${fish} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d)
endfunction()
