# The licence files a distribution carries beside its programs: peltrix's LICENSE and the
# third-party notices joined from packaging/notices/ (one file per library it embeds).
#   peltrix_text_file(OUT LF|CRLF FILE...)
# joins the FILEs, two blank lines apart, into OUT with the given line ends, at configure time
# (an edited FILE configures again); OUT is rewritten only when its text changes.
function(peltrix_text_file out newline)
  set(text "")
  set(gap "")
  foreach(file IN LISTS ARGN)
    file(READ ${file} part)
    string(APPEND text "${gap}${part}")
    set(gap "\n\n")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  endforeach()
  if(newline STREQUAL "CRLF")
    string(REPLACE "\n" "\r\n" text "${text}")
  endif()
  file(WRITE ${out}.new "${text}")
  file(COPY_FILE ${out}.new ${out} ONLY_IF_DIFFERENT)
  file(REMOVE ${out}.new)
endfunction()
