# What `cmake --install` puts where: the programs, the manual, a sample
# recording, the desktop entry with its icon and an example service unit.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/sample_messages.cmake)

set(VELTRIN_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/veltrin)

# The sample recording comes from our own generator, so it always matches
# the modem the build produces.
set(VELTRIN_SAMPLE ${CMAKE_BINARY_DIR}/share/veltrin-sample.wav)
veltrin_sample_generator_args(sample_args)
add_custom_command(OUTPUT ${VELTRIN_SAMPLE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share
  COMMAND veltrin-gen -o ${VELTRIN_SAMPLE} --quiet ${sample_args}
  DEPENDS veltrin-gen ${CMAKE_CURRENT_LIST_DIR}/sample_messages.cmake
  COMMENT "Writing the sample recording"
  VERBATIM)
add_custom_target(sample_recording ALL DEPENDS ${VELTRIN_SAMPLE})

# F1 looks for the manual beside the program first: this copy serves the
# build tree.
configure_file(${CMAKE_SOURCE_DIR}/docs/manual/Veltrin.html ${CMAKE_BINARY_DIR}/bin/Veltrin.html COPYONLY)

set(VELTRIN_PROGRAMS veltrin-decode veltrin-gen)
if(TARGET veltrin)
  list(PREPEND VELTRIN_PROGRAMS veltrin)
endif()
install(TARGETS ${VELTRIN_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/manual/Veltrin.html ${VELTRIN_SAMPLE}
        DESTINATION ${VELTRIN_SHARE_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/veltrin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/veltrin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The example unit is filled in when installing, not when configuring, so
# that it names the program under the prefix given to `cmake --install`.
function(veltrin_install_time_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "\${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()
veltrin_install_time_path(unit_bindir "${CMAKE_INSTALL_BINDIR}")
veltrin_install_time_path(unit_datadir "${CMAKE_INSTALL_DATADIR}")
veltrin_install_time_path(unit_dir "${VELTRIN_SHARE_DIR}")
install(CODE "
  set(CMAKE_INSTALL_FULL_BINDIR \"${unit_bindir}\")
  set(CMAKE_INSTALL_FULL_DATADIR \"${unit_datadir}\")
  set(unit \"${unit_dir}/veltrin-headless.service\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${unit}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/data/veltrin-headless.service.in\" \"\$ENV{DESTDIR}\${unit}\" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${unit}\")
")

if(BUILD_TESTING)
  find_program(VELTRIN_XMLLINT xmllint)
  find_program(VELTRIN_DESKTOP_FILE_VALIDATE desktop-file-validate)
  add_test(NAME install_tree
    COMMAND ${CMAKE_COMMAND}
      -DBUILD=${CMAKE_BINARY_DIR}
      -DSOURCE=${CMAKE_SOURCE_DIR}
      -DBINDIR=${CMAKE_INSTALL_BINDIR}
      -DDATADIR=${CMAKE_INSTALL_DATADIR}
      -DWITH_WINDOW=$<TARGET_EXISTS:veltrin>
      -DXMLLINT=${VELTRIN_XMLLINT}
      -DDESKTOP_FILE_VALIDATE=${VELTRIN_DESKTOP_FILE_VALIDATE}
      -P ${CMAKE_CURRENT_LIST_DIR}/check_install.cmake)
  set_tests_properties(install_tree PROPERTIES TIMEOUT 600)
endif()
