# The transmissions of the installed sample recording, in the order they are
# sent. The build writes the recording from this table and the install check
# expects the decoder to return exactly these messages.
#
# kind|speed|sender|recipient|number|text|latitude|longitude
set(VELTRIN_SAMPLE_MESSAGES
  "text|32|101|200|1|CQ de 101, sample||"
  "gps|32|102|0|2|Mobile|52.52|13.405"
  "beacon|32|103|0|3|QRV||"
  "text|16|104|200|4|Hi 16||"
  "gps|16|105|0|5||48.8566|2.3522"
  "beacon|16|106|0|6|QRV 16||")

# A fixed fix time keeps the recording the same from build to build.
set(VELTRIN_SAMPLE_GPS_TIME "2024-04-05T19:30:00Z")

# Splits one table row into <prefix>_kind, _speed, _sender, _recipient,
# _number, _text, _lat and _lon.
macro(veltrin_sample_fields row prefix)
  string(REPLACE "|" ";" _fields "${row}")
  list(GET _fields 0 ${prefix}_kind)
  list(GET _fields 1 ${prefix}_speed)
  list(GET _fields 2 ${prefix}_sender)
  list(GET _fields 3 ${prefix}_recipient)
  list(GET _fields 4 ${prefix}_number)
  list(GET _fields 5 ${prefix}_text)
  list(GET _fields 6 ${prefix}_lat)
  list(GET _fields 7 ${prefix}_lon)
endmacro()

# veltrin-gen's message options for the whole table, groups separated by
# --message, then the file options.
function(veltrin_sample_generator_args out)
  set(args)
  foreach(row IN LISTS VELTRIN_SAMPLE_MESSAGES)
    if(args)
      list(APPEND args --message)
    endif()
    veltrin_sample_fields("${row}" m)
    list(APPEND args --type ${m_kind} --speed ${m_speed} --from ${m_sender}
         --to ${m_recipient} --number ${m_number})
    if(NOT m_text STREQUAL "")
      list(APPEND args --text "${m_text}")
    endif()
    if(m_kind STREQUAL "gps")
      list(APPEND args --lat ${m_lat} --lon ${m_lon} --gps-time ${VELTRIN_SAMPLE_GPS_TIME})
    endif()
  endforeach()
  # A short gap keeps the file small; the silence at the end lets a
  # receiver fed from the file finish the last message.
  list(APPEND args --rate 48000 --bits 16 --channels 1 --gap 0.7 --trail 3)
  set(${out} "${args}" PARENT_SCOPE)
endfunction()
