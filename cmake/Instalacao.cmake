# Installation (cmake --install) and the Debian package (cpack -G DEB): the programs in bin, the
# data in share/moxnfe, manual pages made from the programs' own --help, README and docs.
include(GNUInstallDirs)

foreach(program moxnfe-cli moxnfe-sandbox moxnfe-certificados)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# All of data/, with the templates as the build laid them out (one folder per UF).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/moxnfe PATTERN Templates EXCLUDE)
install(DIRECTORY ${PROJECT_BINARY_DIR}/Templates DESTINATION ${CMAKE_INSTALL_DATADIR}/moxnfe)
# The TX2 examples a new user starts from (moxnfe tx2 exemplo), the same the tests convert.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tests/fixtures/tx2/ DESTINATION ${CMAKE_INSTALL_DATADIR}/moxnfe/Exemplos/tx2)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR})

# One manual page per program, written from what the program says with --help.
set(MOXNFE_MANUAIS)
foreach(program moxnfe moxnfe-sandbox moxnfe-certificados)
  set(target ${program})
  if(program STREQUAL "moxnfe")
    set(target moxnfe-cli)
  endif()
  if(NOT TARGET ${target})
    continue()
  endif()
  set(manual ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${manual}
    COMMAND ${CMAKE_COMMAND} -DPROGRAMA=$<TARGET_FILE:${target}> -DNOME=${program}
            -DSAIDA=${PROJECT_BINARY_DIR}/man/${program}.1
            -DVERSAO=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/tools/manual/gerar_manual.cmake
    COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/man/${program}.1
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/tools/manual/gerar_manual.cmake
    COMMENT "Manual ${program}.1")
  list(APPEND MOXNFE_MANUAIS ${manual})
endforeach()
add_custom_target(moxnfe-manuais ALL DEPENDS ${MOXNFE_MANUAIS})
install(FILES ${MOXNFE_MANUAIS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moxnfe)
set(CPACK_PACKAGE_VENDOR "moxnfe")
set(CPACK_PACKAGE_CONTACT "Equipe moxnfe <moxnfe@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Componente de NF-e: linha de comando, janela de certificados e sandbox SEFAZ")
set(CPACK_PACKAGE_DESCRIPTION "Nota Fiscal eletrônica (NF-e) para Linux: chaves de acesso, conversão de TX2, \
assinatura, serviços da SEFAZ e um sandbox SEFAZ local para desenvolver e testar.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's display plugins (xcb, wayland) are loaded at run time, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
