# Installs the build tree into a fresh prefix and checks the result: every
# file in its place, the unit naming the installed program, the desktop
# entry, icon and manual readable, and the installed decoder finding exactly
# the messages of the installed sample recording.
#
#   cmake -DBUILD=<build dir> -DSOURCE=<source dir> -DBINDIR=bin -DDATADIR=share
#         -DWITH_WINDOW=0|1 -DXMLLINT=<path> [-DDESKTOP_FILE_VALIDATE=<path>]
#         -P check_install.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/sample_messages.cmake)

foreach(required BUILD SOURCE BINDIR DATADIR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "-D${required}=... is required")
  endif()
endforeach()
if(NOT XMLLINT)
  message(FATAL_ERROR "xmllint was not found (Debian: libxml2-utils)")
endif()

# A prefix of its own, so that two runs never share one.
string(TIMESTAMP stamp "%s%f")
string(RANDOM LENGTH 6 tag)
set(PREFIX "${BUILD}/Testing/install-${stamp}-${tag}")
file(REMOVE_RECURSE "${PREFIX}")

macro(fail text)
  message(FATAL_ERROR "${text}\n(the installed tree is kept in ${PREFIX})")
endmacro()

# Runs a command; fails with its output unless it ends with status 0.
# The output goes to run_out.
macro(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE run_status OUTPUT_VARIABLE run_out ERROR_VARIABLE run_err)
  if(NOT run_status EQUAL 0)
    fail("${what} failed (${run_status}):\n${run_out}${run_err}")
  endif()
endmacro()

run("cmake --install" ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}")

set(bindir "${PREFIX}/${BINDIR}")
set(datadir "${PREFIX}/${DATADIR}")
set(programs veltrin-decode veltrin-gen)
if(WITH_WINDOW)
  list(APPEND programs veltrin)
endif()
set(expected
  "${datadir}/veltrin/Veltrin.html"
  "${datadir}/veltrin/veltrin-sample.wav"
  "${datadir}/veltrin/veltrin-headless.service"
  "${datadir}/applications/veltrin.desktop"
  "${datadir}/icons/hicolor/scalable/apps/veltrin.svg")
foreach(program IN LISTS programs)
  list(APPEND expected "${bindir}/${program}")
endforeach()
foreach(file IN LISTS expected)
  if(NOT EXISTS "${file}")
    fail("missing after installing: ${file}")
  endif()
endforeach()
# The tools run from where they were installed (the window needs a display).
run("veltrin-gen --help" "${bindir}/veltrin-gen" --help)

# F1 in the build tree finds the manual beside the program.
file(SHA256 "${SOURCE}/docs/manual/Veltrin.html" manual_hash)
foreach(copy "${BUILD}/bin/Veltrin.html" "${datadir}/veltrin/Veltrin.html")
  if(NOT EXISTS "${copy}")
    fail("missing: ${copy}")
  endif()
  file(SHA256 "${copy}" copy_hash)
  if(NOT copy_hash STREQUAL manual_hash)
    fail("${copy} differs from docs/manual/Veltrin.html")
  endif()
endforeach()

# xmllint reports problems on standard error even where its status is 0.
macro(xmllint_clean what)
  run("xmllint of ${what}" ${XMLLINT} --noout ${ARGN})
  if(NOT run_err STREQUAL "")
    fail("xmllint of ${what}:\n${run_err}")
  endif()
endmacro()
xmllint_clean("the icon" "${datadir}/icons/hicolor/scalable/apps/veltrin.svg")
xmllint_clean("the manual" --html "${datadir}/veltrin/Veltrin.html")

if(DESKTOP_FILE_VALIDATE)
  run("desktop-file-validate" ${DESKTOP_FILE_VALIDATE} "${datadir}/applications/veltrin.desktop")
  if(NOT run_out STREQUAL "")
    fail("desktop-file-validate:\n${run_out}")
  endif()
else()
  message(STATUS "desktop-file-validate not found: the desktop entry is not validated")
endif()

# The unit is filled in for the prefix installed to, not the configured one.
file(STRINGS "${datadir}/veltrin/veltrin-headless.service" exec_start REGEX "^ExecStart=")
set(wanted "ExecStart=${bindir}/veltrin --headless --workdir /var/lib/veltrin --audio udp:7355")
if(NOT exec_start STREQUAL wanted)
  fail("the unit says\n  ${exec_start}\ninstead of\n  ${wanted}")
endif()
file(STRINGS "${datadir}/veltrin/veltrin-headless.service" unfilled REGEX "@[A-Z_]+@")
if(unfilled)
  fail("the unit was not filled in: ${unfilled}")
endif()

# A decimal degree as whole millionths (truncated), for comparing positions
# without floating-point arithmetic.
function(microdegrees out text)
  if(NOT text MATCHES "^(-?)([0-9]+)(\\.([0-9]*))?$")
    set(${out} "not a number: ${text}" PARENT_SCOPE)
    return()
  endif()
  set(fraction "${CMAKE_MATCH_4}000000")
  string(SUBSTRING "${fraction}" 0 6 fraction)
  math(EXPR value "${CMAKE_MATCH_2} * 1000000 + 1${fraction} - 1000000")
  set(${out} "${CMAKE_MATCH_1}${value}" PARENT_SCOPE)
endfunction()

# The installed decoder, on the installed sample: the table's messages, in
# its order, each with a good body CRC, and nothing else.
run("veltrin-decode" "${bindir}/veltrin-decode" --json "${datadir}/veltrin/veltrin-sample.wav")
string(STRIP "${run_out}" decoded)
string(REPLACE "\n" ";" decoded "${decoded}")
list(LENGTH decoded decoded_count)
list(LENGTH VELTRIN_SAMPLE_MESSAGES wanted_count)
if(NOT decoded_count EQUAL wanted_count)
  fail("${decoded_count} messages decoded instead of ${wanted_count}:\n${run_out}")
endif()
set(index 0)
foreach(row IN LISTS VELTRIN_SAMPLE_MESSAGES)
  list(GET decoded ${index} line)
  math(EXPR index "${index} + 1")
  veltrin_sample_fields("${row}" m)
  if(m_kind STREQUAL "text")
    set(m_type 5)
    set(m_flags 160)
  elseif(m_kind STREQUAL "gps")
    set(m_type 6)
    set(m_flags 164)
  else()
    set(m_type 6)
    set(m_flags 160)
  endif()
  foreach(pair "speed=${m_speed}" "type=${m_type}" "flags=${m_flags}" "sender=${m_sender}"
          "recipient=${m_recipient}" "msgNumber=${m_number}" "crcOk=ON")
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 key)
    list(GET pair 1 value)
    string(JSON got ERROR_VARIABLE json_error GET "${line}" ${key})
    if(json_error OR NOT got STREQUAL value)
      fail("message ${index}: ${key} is '${got}' instead of '${value}':\n${line}")
    endif()
  endforeach()
  # The text comes last in the body (after the position for gps).
  string(JSON body GET "${line}" body)
  string(HEX "${m_text}" text_hex)
  string(LENGTH "${body}" body_length)
  string(LENGTH "${text_hex}" text_length)
  if(body_length LESS text_length)
    fail("message ${index}: body ${body} is shorter than the text '${m_text}'")
  endif()
  math(EXPR tail_start "${body_length} - ${text_length}")
  string(SUBSTRING "${body}" ${tail_start} -1 body_tail)
  string(TOLOWER "${body_tail}" body_tail)
  if(NOT body_tail STREQUAL text_hex)
    fail("message ${index}: body ${body} does not end in the text '${m_text}'")
  endif()
  if(m_kind STREQUAL "gps" AND body_length EQUAL text_length)
    fail("message ${index}: a position without position bytes: ${line}")
  endif()
  # Where the decoder reads the position out, it must be the one sent.
  string(JSON position ERROR_VARIABLE no_position GET "${line}" position)
  if(m_kind STREQUAL "gps" AND NOT no_position)
    foreach(pair "latitude=${m_lat}" "longitude=${m_lon}")
      string(REPLACE "=" ";" pair "${pair}")
      list(GET pair 0 key)
      list(GET pair 1 sent)
      string(JSON got GET "${position}" ${key})
      microdegrees(got_micro "${got}")
      microdegrees(sent_micro "${sent}")
      math(EXPR off "${got_micro} - ${sent_micro}")
      if(off GREATER 10 OR off LESS -10)
        fail("message ${index}: ${key} ${got} instead of ${sent}")
      endif()
    endforeach()
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
